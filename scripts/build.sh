#!/usr/bin/env bash
# Builds the engine. Usage: scripts/build.sh [release|asan|tsan|fuzz]
# fuzz: the libFuzzer targets with clang++ under ASan+UBSan, warnings as errors
# (the sources must build warning-free with clang++ as well as g++).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
kind=${1:-release}
case "$kind" in
  release) dir=build; flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  # The engine keeps its assertions under ASan+UBSan, so that the tests also check the search's invariants.
  asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALBERD_SANITIZE=address -DHALBERD_ASSERTS=ON) ;;
  tsan) dir=build-tsan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALBERD_SANITIZE=thread) ;;
  fuzz) dir=build-fuzz; flags=(-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
          -DHALBERD_SANITIZE=address -DHALBERD_FUZZ=ON -DHALBERD_TESTS=OFF -DCMAKE_CXX_FLAGS=-Werror) ;;
  *) echo "usage: $0 [release|asan|tsan|fuzz]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
