#!/usr/bin/env bash
# Builds the engine alone (not the tests) and starts it at the console
# (arguments go to the engine). The program is the plain release build: the
# profile-guided one (scripts/build.sh pgo) measured no faster here.
# Installs only what building and running need; scripts/test.sh installs the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run >&2
# A new tree is built with Ninja, as scripts/build.sh builds it.
command -v ninja >/dev/null 2>&1 && export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}
# Without GoogleTest the tests are left out of the build; with it they stay
# configured, so that the test build in the same directory keeps them.
tests=ON
[ -f /usr/include/gtest/gtest.h ] || tests=OFF
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DHALBERD_TESTS=$tests >/dev/null
cmake --build build --target halberd -j"$(nproc)" >&2
exec ./build/halberd "$@"
