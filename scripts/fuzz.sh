#!/usr/bin/env bash
# Runs the libFuzzer targets of build-asan (scripts/build.sh fuzz or asan), each for a
# bounded time from its seed corpus in tests/fuzz/corpus. New inputs go to a
# scratch folder, not into the repository. Any finding fails: a crash, a
# sanitizer report, a failed check, a leak, an input that runs longer than
# 25 s or needs more than 2 GB; its input is kept in build-asan/findings.
# Usage: scripts/fuzz.sh [seconds per target] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fen moves pgn bookfile files session emd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-asan/findings
failed=()
for target in "${targets[@]}"; do
  mkdir -p "$work/$target"
  if build-asan/fuzz_"$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix=build-asan/findings/"$target"- "$work/$target" tests/fuzz/corpus/"$target" \
      >"$work/$target.log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
    cover=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$work/$target.log" | tail -n 1)
    echo "fuzz_$target: ${runs:-?} runs in ${seconds} s ($(( ${runs:-0} / seconds ))/s), $cover, no finding"
  else
    tail -n 80 "$work/$target.log"
    echo "fuzz_$target: FINDING (input kept in build-asan/findings)"
    failed+=("$target")
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz targets with findings: ${failed[*]}"; exit 1; }
