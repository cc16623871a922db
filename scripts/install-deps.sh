#!/usr/bin/env bash
# Installs from Debian's packages what is missing. Usage: scripts/install-deps.sh [run|test]
# run: what building and running the engine needs (cmake, g++, make).
# Both lists take ninja-build: scripts/build.sh builds new trees with it.
# test (the default): that, and what the tests need besides.
set -euo pipefail
what=${1:-test}
need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v make >/dev/null 2>&1 || need+=(make)
command -v ninja >/dev/null 2>&1 || need+=(ninja-build)
if [ "$what" = test ]; then
  [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
  # The install check renders the manual page.
  command -v man >/dev/null 2>&1 || need+=(man-db)
  command -v groff >/dev/null 2>&1 || need+=(groff-base)
  # clang++ and its runtime (libFuzzer, sanitizers) for the fuzz targets.
  command -v clang++ >/dev/null 2>&1 || need+=(clang)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
  # Gaviota's three-man tables and their probing library: the table generator's oracle.
  [ -d /usr/share/gaviotatb/gtb1 ] || need+=(gaviotatb)
  [ -f /usr/include/gtb-probe.h ] || need+=(libgaviotatb-dev)
fi
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
