#!/usr/bin/env bash
# Makes data/Halberd.bo2, the opening book that ships with the engine.
#
# Source: the named opening lines of Scid's ECO classification (Debian's
# scid-data, /usr/share/scid/data/scid.eco, GPL-2), each line counted once as a
# drawn game, up to 40 half-moves. Every book move is then judged by Debian's
# stockfish at a fixed depth; a move that loses more than the margin against
# stockfish's best move is left out, and the book is made again until every move
# in it has been judged (leaving a move out can let a sixth candidate in).
# Last, each move is weighed by how many lines use it and by what it loses
# against the best move (scripts/book/weigh.py), so that sound main lines are
# played most and side lines now and then.
# Installs scid-data and stockfish when missing. Judging every move anew takes
# about 10-30 minutes of one core (some 12000 moves at depth 12); the verdicts
# ship in data/book-verdicts.tsv.gz and are cached in build/book-work, so a run
# only judges moves no verdict covers. After a run that judged new moves,
# "sort -u build/book-work/verdicts.txt | gzip -9n > data/book-verdicts.tsv.gz"
# keeps them.
# Usage: scripts/make-book.sh [DEPTH [MARGIN_CENTIPAWNS]]
set -euo pipefail
cd "$(dirname "$0")/.."
depth=${1:-12}
margin=${2:-30}
eco=/usr/share/scid/data/scid.eco
need=()
[ -f "$eco" ] || need+=(scid-data)
command -v stockfish >/dev/null 2>&1 || [ -x /usr/games/stockfish ] || need+=(stockfish)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
export PATH=$PATH:/usr/games
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target halberd -j"$(nproc)" >&2
work=build/book-work
mkdir -p "$work"
[ -s "$work/verdicts.txt" ] || gzip -dc data/book-verdicts.tsv.gz > "$work/verdicts.txt"
python3 scripts/book/eco2pgn.py "$eco" > "$work/eco.pgn"
: > "$work/excluded.txt"
for round in $(seq 30); do
  ./build/halberd book make "$work/eco.pgn" -o "$work/book.bo2" --max-ply 40 --exclude "$work/excluded.txt" >&2
  ./build/halberd book dump -b "$work/book.bo2" > "$work/dump.txt"
  python3 scripts/book/vet.py --cache "$work/verdicts.txt" --depth "$depth" --margin "$margin" \
    < "$work/dump.txt" > "$work/bad.txt"
  if [ ! -s "$work/bad.txt" ]; then
    python3 scripts/book/weigh.py --verdicts "$work/verdicts.txt" "$work/book.bo2" data/Halberd.bo2
    echo "make-book: data/Halberd.bo2 written after $round rounds" >&2
    exit 0
  fi
  cat "$work/bad.txt" >> "$work/excluded.txt"
done
echo "make-book: moves were still being left out after 30 rounds; no book written" >&2
exit 1
