#!/usr/bin/env bash
# Builds the engine. Usage: scripts/build.sh [release|asan|tsan|fuzz|pgo [DIR]]
# asan: one clang++ tree under ASan+UBSan (build-asan) for the tests, with the
# engine's assertions on, and for the libFuzzer targets; warnings are errors
# there (the sources must build warning-free with clang++ as well as g++).
# fuzz: the libFuzzer targets of that tree only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
kind=${1:-release}
# A new tree is built with Ninja where it is installed (less work to start each
# compilation than make's); a tree keeps the generator it was made with.
command -v ninja >/dev/null 2>&1 && export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}

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
targets=()
case "$kind" in
  release) dir=build; flags=(-DCMAKE_BUILD_TYPE=Release -DHALBERD_TESTS=ON) ;;
  # The engine keeps its assertions under ASan+UBSan, so that the tests (and the
  # fuzz targets) also check the search's invariants.
  asan|fuzz) dir=build-asan; flags=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
          -DHALBERD_SANITIZE=address -DHALBERD_ASSERTS=ON -DHALBERD_FUZZ=ON -DHALBERD_TESTS=ON
          -DCMAKE_CXX_FLAGS=-Werror)
    [ "$kind" = fuzz ] && targets=(--target fuzz_targets) ;;
  tsan) dir=build-tsan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALBERD_SANITIZE=thread) ;;
  *) echo "usage: $0 [release|asan|tsan|fuzz|pgo]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
