#!/usr/bin/env bash
# Runs the fuzz targets long, by hand: one after another, at low priority, so that
# builds on the same machine go on. What a target finds stays in
# build/fuzz/fuzz-corpus/<name>/ for its next run; an input that breaks it is kept
# in build/fuzz/fuzz-crashes/ (run the target with that file to see it again).
#
#   scripts/fuzz.sh [--runs N | --seconds S] [--keep] [target ...]
#
# --keep: after each run, tests/fuzz/corpus/<name>/ becomes its hand-named seeds
# and the fewest inputs (libFuzzer's merge) that reach all that it and the run
# reached, so that CI, which starts from that folder, starts where the run ended.
# Commit the folder.
#
# Without a limit every target runs 10 million inputs; without targets, all of
# tests/fuzz/*_fuzz.cpp. The executions of each are printed at its end.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-runs=10000000)
keep=0
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) limit=("-runs=$2"); shift 2 ;;
    --seconds) limit=("-max_total_time=$2"); shift 2 ;;
    --keep) keep=1; shift ;;
    *) targets+=("$1"); shift ;;
  esac
done

bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

build=build/fuzz
if [ ${#targets[@]} -eq 0 ]; then
  for source in tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" _fuzz.cpp)"); done
fi

status=0
for name in "${targets[@]}"; do
  flags=()
  [ -f "tests/fuzz/$name.options" ] && mapfile -t flags <"tests/fuzz/$name.options"
  seeds=()
  [ -d "tests/fuzz/corpus/$name" ] && seeds=("tests/fuzz/corpus/$name")
  mkdir -p "$build/fuzz-corpus/$name" "$build/fuzz-crashes"
  echo "== $name"
  nice -n 10 "$build/tests/fuzz/${name}_fuzz" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "-artifact_prefix=$build/fuzz-crashes/$name-" "${flags[@]}" \
    "$build/fuzz-corpus/$name" "${seeds[@]}" 2>"$build/fuzz-$name.log" || status=1
  grep -E '^Done|^stat::number_of_executed_units|property broken|ERROR|SUMMARY' \
    "$build/fuzz-$name.log" || true
  [ "$keep" = 1 ] || continue
  kept=tests/fuzz/corpus/$name
  merged=$(mktemp -d)
  mkdir -p "$kept"
  # Hand-named seeds stay as they are; found inputs are named by their SHA-1.
  find "$kept" -maxdepth 1 -regextype posix-extended -type f ! -regex '.*/[0-9a-f]{40}' -exec cp {} "$merged/" \;
  if "$build/tests/fuzz/${name}_fuzz" -merge=1 -timeout=10 -rss_limit_mb=2048 "${flags[@]}" \
    "$merged" "$kept" "$build/fuzz-corpus/$name" 2>"$build/fuzz-$name-merge.log"; then
    find "$kept" -maxdepth 1 -type f -delete
    find "$merged" -type f -exec cp {} "$kept/" \;
    echo "kept $(find "$kept" -type f | wc -l) inputs in $kept"
  else
    echo "merge failed, $kept left as it was (see $build/fuzz-$name-merge.log)"
    status=1
  fi
  rm -rf "$merged"
done
exit $status
