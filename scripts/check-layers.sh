#!/usr/bin/env bash
# The dependency arrows run one way: frontend -> book/search -> eval -> board,
# with tablebase beside search. Fails, listing the offending includes, when
# board includes a subsystem above it or anything below the front end
# includes the front end.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
report() {
  local what=$1 pattern=$2; shift 2
  local found
  found=$(grep -nE "#include \"($pattern)/" "$@" 2>/dev/null || true)
  if [ -n "$found" ]; then
    echo "$what:"
    echo "$found" | sed 's/^/  /'
    status=1
  fi
}
report "board reaches above itself" 'eval|search|book|tablebase|frontend' src/board/*
report "below the front end, the front end is included" 'frontend' \
  src/board/* src/eval/* src/search/* src/book/* src/tablebase/*
report "the search or the tables reach the book or the front end" 'book|frontend' src/search/* src/tablebase/*
report "eval reaches above itself" 'search|book|tablebase|frontend' src/eval/*
[ "$status" = 0 ] && echo "check-layers: every include points down"
exit "$status"
