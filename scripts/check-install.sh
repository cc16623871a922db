#!/usr/bin/env bash
# Installs the release build into a scratch prefix and checks what a user gets:
# the installed engine finds its book (a book move answers 1. e4), the manual
# page renders without warnings, and the sample configuration names every key
# the program reads. Usage: scripts/check-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in games/halberd share/games/halberd/Halberd.bo2 share/games/halberd/halberd.cfg \
         share/man/man6/halberd.6 share/games/plugins/xboard/halberd.eng; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done

# A book move is shown with "!" after it in the thinking line.
answer=$( (printf 'xboard\nprotover 2\nnew\npost\ne2e4\n'; sleep 3; printf 'quit\n') \
          | (cd "$prefix" && timeout 30 "$prefix/games/halberd" 2>/dev/null) )
grep -q '^move ' <<<"$answer" || fail "the installed engine did not answer 1. e4: $answer"
grep -q '!' <<<"$answer" || fail "the installed engine did not answer 1. e4 from its book: $answer"

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/halberd.6" 2>&1 >/dev/null || true)
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"

keys=$(grep -oE '^\s*\{"[A-Z_]+",' src/frontend/config.cpp | grep -oE '[A-Z_]+')
[ -n "$keys" ] || fail "no configuration keys found in src/frontend/config.cpp"
for key in $keys; do
  grep -q "$key=" "$prefix/share/games/halberd/halberd.cfg" || fail "the sample configuration lacks $key"
done
echo "check-install: installed engine plays from its book; manual page and sample configuration complete"
