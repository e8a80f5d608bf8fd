#!/bin/sh
# Every function an ignorelist names is defined in the library it is meant for: a
# name that no longer matches (a changed signature) would silently give that
# function its coverage callbacks back.
# Usage: ignorelist_names_exist.sh <ignorelist> <library>
list=$1
library=$2
symbols=$(nm --defined-only "$library" | awk '{print $3}') || exit 1
status=0
for pattern in $(sed -n 's/^fun://p' "$list"); do
  regex="^$(printf '%s' "$pattern" | sed 's/\*/.*/g')\$"
  if ! printf '%s\n' "$symbols" | grep -q -- "$regex"; then
    echo "no function of $library matches fun:$pattern"
    status=1
  fi
done
exit $status
