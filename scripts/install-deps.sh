#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, when missing.
set -euo pipefail
need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v make >/dev/null 2>&1 || need+=(make)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
# Gaviota's three-man tables and their probing library: the table generator's oracle.
[ -d /usr/share/gaviotatb/gtb1 ] || need+=(gaviotatb)
[ -f /usr/include/gtb-probe.h ] || need+=(libgaviotatb-dev)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
