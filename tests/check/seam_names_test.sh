#!/usr/bin/env bash
# Every function of the platform seam is renamed below voq-check's recording layer,
# and named back for it. A function missing from the list would link the real
# one into the check unseen: a change call made for real.
set -euo pipefail
root=${1:?usage: seam_names_test.sh SOURCE_DIR}
declared=$(grep -oE '^[^/ ][^(]* ([A-Z][A-Za-z0-9]*)\(' "$root/platform/platform.h" |
  sed -E 's/.* ([A-Z][A-Za-z0-9]*)\($/\1/' | LC_ALL=C sort -u)
renamed=$(sed -n -E 's/^#define ([A-Za-z0-9]+) Real\1$/\1/p' "$root/platform/real_seam_names.h" | LC_ALL=C sort -u)
undone=$(sed -n -E 's/^#undef ([A-Za-z0-9]+)$/\1/p' "$root/platform/real_seam_names.h" | LC_ALL=C sort -u)
[ "$(wc -l <<<"$declared")" -gt 50 ] || { echo "too few seam functions found: the pattern is stale"; exit 1; }
diff <(echo "$declared") <(echo "$renamed") || { echo "renamed (>) differs from declared (<)"; exit 1; }
diff <(echo "$declared") <(echo "$undone") || { echo "named back (>) differs from declared (<)"; exit 1; }
