#!/usr/bin/env bash
# Builds the engine. Usage: scripts/build.sh [release|asan|tsan|fuzz|pgo [DIR]]
# fuzz: the libFuzzer targets with clang++ under ASan+UBSan, warnings as errors
# (the sources must build warning-free with clang++ as well as g++).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
kind=${1:-release}

# Games the program plays against itself through the UCI loop, from its book
# into the middle game and the ending, as a GUI would have it play.
selfplay() {
  local engine=$1 games=$2 line move moves
  for _ in $(seq "$games"); do
    coproc ENGINE { "$engine"; }
    printf 'uci\nsetoption name Hash value 32\nucinewgame\n' >&"${ENGINE[1]}"
    moves=""
    for _ in $(seq 160); do
      printf 'position startpos moves%s\ngo movetime 40\n' "$moves" >&"${ENGINE[1]}"
      while read -r line <&"${ENGINE[0]}"; do [[ $line == bestmove* ]] && break; done
      move=$(awk '{print $2}' <<<"$line")
      [ -z "$move" ] || [ "$move" = 0000 ] && break
      moves="$moves $move"
    done
    printf 'quit\n' >&"${ENGINE[1]}"
    wait "$ENGINE_PID" || true
  done
}

# pgo: the release program trained on bench, longer searches of the bench
# positions, games against itself and perft, then rebuilt from that profile
# (build-pgo/halberd; the tests are not built there).
if [ "$kind" = pgo ]; then
  dir=${2:-build-pgo}
  rm -rf "$dir/pgo-profile"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DHALBERD_TESTS=OFF -DHALBERD_PGO=generate >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target halberd
  "$dir/halberd" bench >/dev/null
  "$dir/halberd" bench 40 1 250 >/dev/null
  selfplay "$dir/halberd" 4
  "$dir/halberd" perft 5 >/dev/null
  cmake -S . -B "$dir" -DHALBERD_PGO=use >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target halberd
  exit 0
fi
case "$kind" in
  release) dir=build; flags=(-DCMAKE_BUILD_TYPE=Release -DHALBERD_TESTS=ON) ;;
  # The engine keeps its assertions under ASan+UBSan, so that the tests also check the search's invariants.
  asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALBERD_SANITIZE=address -DHALBERD_ASSERTS=ON) ;;
  tsan) dir=build-tsan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALBERD_SANITIZE=thread) ;;
  fuzz) dir=build-fuzz; flags=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
          -DHALBERD_SANITIZE=address -DHALBERD_FUZZ=ON -DHALBERD_TESTS=OFF -DCMAKE_CXX_FLAGS=-Werror) ;;
  *) echo "usage: $0 [release|asan|tsan|fuzz|pgo]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
