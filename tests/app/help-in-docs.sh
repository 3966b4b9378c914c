#!/usr/bin/env bash
# Every switch and option the program's --help lists must be in the manual
# page and in the README, so that the three do not drift apart.
#
#   help-in-docs.sh PROGRAM MANPAGE README
set -euo pipefail
program=$1 manpage=$2 readme=$3

# The option column of each help line that starts with "-" or "/": every
# name in it, without its argument ("/c[:HANDLE]" gives "/c").
options=$("$program" --help |
  sed -nE 's/^  ([-/][^ ].*)$/\1/p' |
  sed -E 's/   .*//; s/, /\n/g' |
  sed -E 's/[[ ].*//' | sort -u)
[ -n "$options" ] || { echo "help-in-docs: --help lists no option" >&2; exit 1; }

# The page as it reads: roff's "\-" is a hyphen, font changes are dropped.
page=$(sed -E 's/\\-/-/g; s/\\f[BIRP]//g; s/\\&//g' "$manpage")
failures=0
for option in $options; do
  pattern="(^|[^A-Za-z0-9-])${option}([^A-Za-z0-9-]|$)"
  for document in page readme; do
    if [ "$document" = page ]; then text=$page; else text=$(cat "$readme"); fi
    if ! grep -qE -e "$pattern" <<<"$text"; then
      echo "help-in-docs: $option is missing from the $document" >&2
      failures=$((failures + 1))
    fi
  done
done
count=$(wc -w <<<"$options")
echo "help-in-docs: $count options, $failures missing"
[ "$failures" -eq 0 ]
