#!/usr/bin/env bash
# The benchmark: how voQ's whole runs compare with the least the platform itself
# needs for the same work, under Wine, on this machine, in one run.
#
#   bash scripts/bench.sh
#
# Builds the shipped programs and the benchmark's own (bench/), makes a Wine
# profile of its own with one persistent wineserver and a program kept running
# in it (as a desktop session would have), then times each case against its
# floor in alternating pairs (voQ, floor, voQ, floor, ...) after one pair of
# warm-up, and prints the median of each and the median of the per-pair ratios:
#   - a `dir` wrap of a 46 MB folder of 1,510 files (1,500 x 4 KB in 30 folders and
#     10 x 4 MB), with the same folder on the machine, against bench/wrap_floor.cmd;
#   - the same with the application writing one of the 4 KB files anew, against
#     the same floor (which copies everything both ways either way);
#   - the one-key configuration (`application` only; the application ends at once)
#     against bench/shell_floor.cpp, which starts it through the shell and polls;
#   - the same against that floor also starting the clean-up's five reg.exe DELETEs;
# then the carry-back of the untouched folder alone against a full copy of it
# (bench/carry_back_bench.cpp), the size of the shipped voQ.exe and the native
# cost of PrepareValue.
# It judges nothing: it is a benchmark, not a test.
#
# Environment: BENCH_PAIRS (default 7; fewer only for a quick look),
# BENCH_LAUNCHER (time this voQ.exe instead of the one built here),
# BENCH_RUN_LIMIT (seconds one run may take, default 300),
# BENCH_WRAP_ONLY=1 (the two `dir` cases only: to compare launchers on them).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
pairs=${BENCH_PAIRS:-7}

say() { printf '== %s\n' "$*" >&2; }
die() {
  echo "bench: $*" >&2
  exit 1
}

bash scripts/install-deps.sh || exit 1
say "Building the shipped programs and the benchmark's own (windows preset)"
cmake --preset windows >/dev/null || die "configure failed"
cmake --build build/windows --target voQ bench_app shell_floor carry_back_bench >/dev/null || die "build failed"
launcher=${BENCH_LAUNCHER:-$root/build/windows/voQ.exe}
[ -f "$launcher" ] || die "no launcher at $launcher"

# ---- a Wine profile of its own ---------------------------------------------------
# The test rig's fixture does exactly what is needed: Xvfb, a fresh prefix with
# unmanaged windows, and a persistent wineserver.
work=$(mktemp -d /tmp/voq-bench.XXXXXX) || die "no temporary folder"
state=$work/rig.state
stay_pid=
finish() {
  [ -n "$stay_pid" ] && kill "$stay_pid" 2>/dev/null
  bash tests/windows/rig/rig_down.sh "$state" >/dev/null 2>&1
  rm -rf "$work"
}
trap finish EXIT
say "Making a Wine profile"
bash tests/windows/rig/rig_up.sh "$state" >&2 || die "no Wine profile"
. tests/windows/rig/rig_common.sh
rig_load_state "$state"

drive_c=$WINEPREFIX/drive_c
roaming=$(find "$drive_c/users" -maxdepth 3 -type d -path '*/AppData/Roaming' ! -path '*/Public/*' |
  head -n 1)
[ -d "$roaming" ] || die "no AppData\\Roaming in the profile"

# ---- the cases' folders ------------------------------------------------------------
bench=$drive_c/bench
mkdir -p "$bench/wrap/App" "$bench/change/App" "$bench/onekey/App"
for folder in wrap change onekey; do
  cp "$launcher" "$bench/$folder/BenchApp.exe"
  cp build/windows/bench/bench_app.exe "$bench/$folder/App/BenchApp.exe"
done
cp build/windows/bench/bench_app.exe build/windows/bench/shell_floor.exe bench/wrap_floor.cmd \
  "$bench/"
printf '[GENERAL]\r\napplication = App\\BenchApp.exe\r\n' >"$bench/onekey/BenchApp.ini"
printf '[GENERAL]\r\napplication = App\\BenchApp.exe\r\n[BEFORE]\r\ndir = %%APPDATA%%\\BenchApp\r\n' \
  >"$bench/wrap/BenchApp.ini"
printf '[GENERAL]\r\napplication = App\\BenchApp.exe\r\ncommandline = /change\r\n[BEFORE]\r\ndir = %%APPDATA%%\\BenchApp\r\n' \
  >"$bench/change/BenchApp.ini"

# 1,500 files of 4 KB in 30 folders and 10 files of 4 MB: 46 MB in 1,510 files.
say "Making the 46 MB folder, in the portable folder and on the machine"
settings=$bench/wrap/Settings
for d in $(seq -w 1 30); do
  mkdir -p "$settings/folder$d"
  for f in $(seq -w 1 50); do printf '%4096s' "$d.$f" >"$settings/folder$d/file$f.dat"; done
done
for f in $(seq -w 1 10); do head -c 4194304 /dev/urandom >"$settings/large$f.bin"; done
cp -a "$settings" "$roaming/BenchApp"
cp -a "$settings" "$bench/change/Settings"
tree_files=$(find "$settings" -type f | wc -l)
tree_mb=$(find "$settings" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s / 1048576 }')

# One program stays in the profile while measuring: every start finds the session up.
"$WINE" 'C:\bench\bench_app.exe' /stay >/dev/null 2>&1 &
stay_pid=$!

# ---- timing ------------------------------------------------------------------------
# Each case is a command run from Linux; a run that fails, takes longer than
# BENCH_RUN_LIMIT seconds (a message box nobody answers) or leaves the folders other
# than it found them stops the benchmark, as its time would mean nothing.
run_limit=${BENCH_RUN_LIMIT:-300}
voq_wrap=("$WINE" 'C:\bench\wrap\BenchApp.exe')
floor_wrap=("$WINE" cmd /c 'C:\bench\wrap_floor.cmd' 'C:\bench\wrap')
voq_change=("$WINE" 'C:\bench\change\BenchApp.exe')
floor_change=("$WINE" cmd /c 'C:\bench\wrap_floor.cmd' 'C:\bench\change')
voq_onekey=("$WINE" 'C:\bench\onekey\BenchApp.exe')
floor_shell=("$WINE" 'C:\bench\shell_floor.exe' 'C:\bench\onekey\App\BenchApp.exe')
floor_cleanup=("${floor_shell[@]}" /cleanup)

folders_intact() {
  [ ! -e "$roaming/BenchApp_backup" ] && [ ! -e "$bench/wrap/BenchApp.running" ] &&
    [ "$(find "$roaming/BenchApp" -type f | wc -l)" -eq "$tree_files" ] &&
    [ "$(find "$settings" -type f | wc -l)" -eq "$tree_files" ] &&
    [ "$(find "$bench/change/Settings" -type f | wc -l)" -eq "$tree_files" ]
}

# time_run COMMAND_ARRAY_NAME: prints the run's wall time in milliseconds.
time_run() {
  local -n run=$1
  local started ended
  started=$(date +%s%N)
  timeout -s KILL "$run_limit" "${run[@]}" >/dev/null 2>&1 ||
    die "${run[*]} failed or took over $run_limit s (exit code $?)"
  ended=$(date +%s%N)
  folders_intact || die "${run[*]} left the folders changed"
  echo $(((ended - started) / 1000000))
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

rows=()
# compare LABEL VOQ_COMMAND FLOOR_COMMAND (array names): one warm-up pair, then
# the counted pairs.
compare() {
  local label=$1 a=$2 b=$3 i ta tb times_a=() times_b=() ratios=()
  say "$label: $pairs pairs"
  time_run "$a" >/dev/null
  time_run "$b" >/dev/null
  for ((i = 0; i < pairs; i++)); do
    ta=$(time_run "$a") || exit 1
    tb=$(time_run "$b") || exit 1
    times_a+=("$ta")
    times_b+=("$tb")
    ratios+=("$(awk -v a="$ta" -v b="$tb" 'BEGIN { printf "%.3f", a / b }')")
    printf '   pair %d: %d ms / %d ms\n' $((i + 1)) "$ta" "$tb" >&2
  done
  local ma mb mr lo hi
  ma=$(printf '%s\n' "${times_a[@]}" | median)
  mb=$(printf '%s\n' "${times_b[@]}" | median)
  mr=$(printf '%s\n' "${ratios[@]}" | median)
  lo=$(printf '%s\n' "${ratios[@]}" | sort -g | head -n 1)
  hi=$(printf '%s\n' "${ratios[@]}" | sort -g | tail -n 1)
  rows+=("$(awk -v l="$label" -v a="$ma" -v b="$mb" -v r="$mr" -v lo="$lo" -v hi="$hi" \
    'BEGIN { printf "| %s | %.2f s | %.2f s | %.2fx (%.2f-%.2f) |", l, a / 1000, b / 1000, r, lo, hi }')")
}

compare "\`dir\` wrap, $tree_files files, $tree_mb MB, whole run" \
  voq_wrap floor_wrap
compare "the same, the application writing one 4 KB file" voq_change floor_change
# The carry-back alone, by bench/carry_back_bench.cpp: of the same 46 MB folder
# untouched, against a full copy of it (medians of 5 rounds).
say "The carry-back of an untouched folder, against a full copy"
cp build/windows/bench/carry_back_bench.exe "$bench/"
carry=$("$WINE" 'C:\bench\carry_back_bench.exe' 'C:\bench\carry' 2>/dev/null | tr -d '\r')
rows+=("| carry-back of the untouched folder alone: ${carry:-failed} | | | |")
if [ "${BENCH_WRAP_ONLY:-0}" = 1 ]; then
  echo
  echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $("$WINE" --version 2>/dev/null), $launcher," \
    "median of $pairs alternating pairs"
  echo
  printf '%s\n' "${rows[@]}"
  exit 0
fi
compare "one-key configuration, whole run" voq_onekey floor_shell
compare "the same, floor also starting the 5 reg.exe DELETEs" voq_onekey floor_cleanup

# ---- the native cost of a value ----------------------------------------------------
# PrepareValue of three typical values with the in-memory platform: the processor
# time per value, median of seven repetitions, lowest and highest of the three.
say "Native benchmark: preparing a value (in memory)"
cmake -S . -B build/bench-native -DCMAKE_BUILD_TYPE=Release >/dev/null || die "native configure failed"
cmake --build build/bench-native --target voq_benchmarks -j 2 >/dev/null || die "native build failed"
per_value=$(build/bench-native/tests/native/voq_benchmarks --benchmark_filter='^BM_PrepareValue/' \
  --benchmark_repetitions=7 --benchmark_report_aggregates_only=true 2>/dev/null |
  awk '$1 ~ /_median$/ && $5 == "us" { if (!n++ || $4 < lo) lo = $4; if ($4 > hi) hi = $4 }
       END { if (n) printf "%.1f-%.1f us", lo, hi }')

# ---- the table -----------------------------------------------------------------------
size=$(stat -c %s "$launcher")
cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
echo
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $cpu, $(nproc) cores, $("$WINE" --version 2>/dev/null)," \
  "median of $pairs alternating pairs"
echo
echo "| case | voQ | floor | ratio (min-max) |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo "| shipped \`voQ.exe\` | $size bytes | | |"
echo "| \`PrepareValue\` per value (native, in memory, processor time) | ${per_value:-?} | | |"
