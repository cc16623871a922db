#!/usr/bin/env bash
# The dependency arrows run one way:
#   frontend -> book, tablebase;  tablebase -> search -> eval -> board;  book -> board;
# and every floor may use files and parallel, the floor below board (generic
# file pieces and the way to run parts of a job on threads), which use nothing
# above themselves. Fails, listing the offending includes, when a folder
# includes one it may not.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
# folder: the folders it may include besides itself
allowed() {
  case $1 in
    files | parallel) echo "" ;;
    board) echo "files parallel" ;;
    eval) echo "board files parallel" ;;
    search) echo "eval board files parallel" ;;
    book) echo "board files parallel" ;;
    tablebase) echo "search eval board files parallel" ;;
  esac
}
for folder in files parallel board eval search book tablebase; do
  [ -d "src/$folder" ] || continue
  permitted="$folder $(allowed "$folder")"
  found=$(grep -nE '#include "[a-z_]+/' "src/$folder"/* 2>/dev/null |
    while IFS= read -r line; do
      target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
      [[ " $permitted " == *" $target "* ]] || echo "$line"
    done || true)
  if [ -n "$found" ]; then
    echo "$folder reaches beyond $permitted:"
    echo "$found" | sed 's/^/  /'
    status=1
  fi
done
[ "$status" = 0 ] && echo "check-layers: every include points down"
exit "$status"
