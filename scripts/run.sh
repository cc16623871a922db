#!/usr/bin/env bash
# Builds the engine and starts it at the console (arguments go to the engine).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh release >&2
exec ./build/halberd "$@"
