#!/usr/bin/env bash
# Builds and runs every test: the release build, then the sanitizer builds
# (ASan+UBSan over everything, TSan over the two-thread protocol tests), then
# each libFuzzer target for a bounded time under ASan+UBSan (clang++; the
# targets are built in the ASan+UBSan tree beside the tests).
# HALBERD_QUICK=1 runs the release build only; HALBERD_FUZZ_SECONDS sets the
# time of each fuzz target (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh release
(cd build && ctest --output-on-failure -j"$(nproc)")
bash scripts/check-install.sh build
if [ "${HALBERD_QUICK:-0}" != 1 ]; then
  bash scripts/build.sh asan
  (cd build-asan && ctest --output-on-failure -j"$(nproc)" -E 'Slow')
  bash scripts/build.sh tsan
  # The tablebase sessions generate tables, too slow there: they run in the other builds.
  (cd build-tsan && ctest --output-on-failure -j"$(nproc)" -R 'Protocol|Thread' -E 'ProtocolTablebases')
  bash scripts/fuzz.sh "${HALBERD_FUZZ_SECONDS:-30}"
fi
