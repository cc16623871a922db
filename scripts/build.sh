#!/usr/bin/env bash
# Builds the engine. Usage: scripts/build.sh [release|asan|tsan|fuzz|pgo]
# fuzz: the libFuzzer targets with clang++ under ASan+UBSan, warnings as errors
# (the sources must build warning-free with clang++ as well as g++).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
kind=${1:-release}
# pgo: the release program trained on bench and perft, then rebuilt from that
# profile (build-pgo/halberd; the tests are not built there).
if [ "$kind" = pgo ]; then
  dir=build-pgo
  rm -rf "$dir/pgo-profile"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DHALBERD_TESTS=OFF -DHALBERD_PGO=generate >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target halberd
  "$dir/halberd" bench >/dev/null
  "$dir/halberd" perft 5 >/dev/null
  cmake -S . -B "$dir" -DHALBERD_PGO=use >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target halberd
  exit 0
fi
case "$kind" in
  release) dir=build; flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  # The engine keeps its assertions under ASan+UBSan, so that the tests also check the search's invariants.
  asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALBERD_SANITIZE=address -DHALBERD_ASSERTS=ON) ;;
  tsan) dir=build-tsan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALBERD_SANITIZE=thread) ;;
  fuzz) dir=build-fuzz; flags=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
          -DHALBERD_SANITIZE=address -DHALBERD_FUZZ=ON -DHALBERD_TESTS=OFF -DCMAKE_CXX_FLAGS=-Werror) ;;
  *) echo "usage: $0 [release|asan|tsan|fuzz|pgo]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
