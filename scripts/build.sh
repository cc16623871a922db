#!/usr/bin/env bash
# Builds the engine. Usage: scripts/build.sh [release|asan|tsan]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
kind=${1:-release}
case "$kind" in
  release) dir=build; flags=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALBERD_SANITIZE=address) ;;
  tsan) dir=build-tsan; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALBERD_SANITIZE=thread) ;;
  *) echo "usage: $0 [release|asan|tsan]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
