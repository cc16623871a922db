#!/usr/bin/env bash
# Builds the engine alone (not the tests) and starts it at the console
# (arguments go to the engine). The program is the plain release build: the
# profile-guided one (scripts/build.sh pgo) measured no faster here.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >&2
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target halberd -j"$(nproc)" >&2
exec ./build/halberd "$@"
