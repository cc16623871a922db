#!/usr/bin/env bash
# Builds the engine alone (not the tests) and starts it at the console
# (arguments go to the engine). The program is the profile-guided one
# (scripts/build.sh pgo: the same moves, a few percent at most faster),
# made again only when a source file is newer than it; HALBERD_PGO=0 builds
# and starts the plain release program instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >&2
if [ "${HALBERD_PGO:-1}" = 0 ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build --target halberd -j"$(nproc)" >&2
  exec ./build/halberd "$@"
fi
program=build-pgo/halberd
if [ ! -x "$program" ] || [ -n "$(find src data CMakeLists.txt scripts/build.sh -newer "$program" -print -quit)" ]; then
  echo "run: building the profile-guided program (two builds and a minute of training)" >&2
  bash scripts/build.sh pgo >&2
fi
exec "$program" "$@"
