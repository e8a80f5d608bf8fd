#!/usr/bin/env bash
# voq-check against the real launcher: the demo's portable folder (a folder item
# and a registry key item, a portable copy from an earlier run, the machine's own
# settings in place) is checked once, then started for real. What the check says
# will differ from the machine when the application starts, and once the launcher
# has ended, must be exactly what differs then: the same names, each in the same
# state (missing, a folder, a file of so many bytes). The application changes
# nothing itself, so everything that differs is the launcher's doing.
#
# The registry is compared at the end only (the machine's key is back as it was):
# the check follows which keys the registry tool deletes and makes, not the data.
set -uo pipefail
. "$(dirname "$0")/../rig/rig_common.sh"
state=${1:?usage: check_plan_test.sh STATE_FILE VOQ_EXE CHECK_EXE TEST_APP_EXE}
launcher=${2:?}
check=${3:?}
app=${4:?}
rig_load_state "$state"

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
win() { "$WINE" "$@" </dev/null 2>/dev/null; }

work=$(mktemp -d "$RIG_DIR/check.XXXXXX")
trap 'win reg delete "HKCU\Software\CounterApp" /f >/dev/null; rm -rf "$work" "$machine" "$machine"_backup*' EXIT

appdata_win=$(win cmd /c echo %APPDATA% | tr -d '\r')
[ -n "$appdata_win" ] || { echo "no APPDATA"; exit 1; }
roaming=$WINEPREFIX/drive_c/$(sed -e 's/^[Cc]:\\//' -e 's/\\/\//g' <<<"$appdata_win")
machine=$roaming/CounterApp

# The demo's portable folder, with the test's stand-in application, which waits
# while the state is taken and changes nothing.
folder=$work/CounterApp
mkdir -p "$folder/App" "$folder/Settings"
cp "$launcher" "$folder/CounterApp.exe"
cp "$app" "$folder/App/CounterApp.exe"
printf 'sleep|4000\r\n' >"$folder/App/CounterApp.exe.control.txt"
printf '[GENERAL]\r\napplication = App\\CounterApp.exe\r\ncommandline = /from-ini\r\n[BEFORE]\r\ndir = %%APPDATA%%\\CounterApp\r\nregkey = HKCU\\Software\\CounterApp\r\n' \
  >"$folder/CounterApp.ini"
printf '7\r\n' >"$folder/Settings/counter.txt"
mkdir -p "$machine"
printf '100\r\n' >"$machine/counter.txt"
win reg add 'HKCU\Software\CounterApp' /v Runs /t REG_DWORD /d 500 /f >/dev/null
folder_win="Z:${folder//\//\\}"

# A Windows name of the prefix as a Linux path.
unix_path() {
  local path=$1
  case "${path:0:3}" in
    [Zz]:\\) path=${path:2} ;;
    [Cc]:\\) path=$WINEPREFIX/drive_c/${path:3} ;;
  esac
  printf '%s' "${path//\\//}"
}
# Every name the launcher may touch (the portable folder but the application's
# own, and everything in Roaming): "name TAB state TAB bytes", the state as the
# check writes it.
snapshot() {
  find "$folder" "$roaming" -path "$folder/App" -prune -o -print | LC_ALL=C sort |
    while read -r name; do
      if [ -d "$name" ]; then printf '%s\ta folder\t-\n' "$name"
      else printf '%s\ta file of %s bytes\t%s\n' "$name" "$(stat -c %s "$name")" "$(md5sum <"$name" | cut -c1-32)"; fi
    done
}
# The names that differ from the snapshot before the run, each with its state
# then ("missing" when it has gone).
actual() {
  local then=$1
  diff <(echo "$before") <(echo "$then") | sed -n 's/^[<>] //p' | cut -f1 | LC_ALL=C sort -u |
    while read -r name; do
      local line
      line=$(grep -F "$name	" <<<"$then" | awk -F'\t' -v n="$name" '$1 == n')
      if [ -n "$line" ]; then cut -f1,2 <<<"$line"; else printf '%s\tmissing\n' "$name"; fi
    done
}

# ---- the check -----------------------------------------------------------------
win "$check" --json "$folder_win\\CounterApp.exe" >"$work/plan.json"
code=$?
[ "$code" -eq 0 ] || fail "voq-check ended with $code, not 0: $(head -c 2000 "$work/plan.json")"
# "path<TAB>then" lines of one of the lists, with Unix paths.
expected() {
  python3 - "$1" "$work/plan.json" <<'PY' | while IFS=$'\t' read -r path then; do
import json, sys
for d in json.load(open(sys.argv[2], encoding="utf-8"))[sys.argv[1]]:
    print(d["path"] + "\t" + d["then"])
PY
    printf '%s\t%s\n' "$(unix_path "$path")" "$then"
  done | LC_ALL=C sort
}
expected_at_start=$(expected atApplication)
expected_at_end=$(expected atEnd)
[ -n "$expected_at_start" ] || fail "the check foresees no change at the application's start"

# ---- the real run ----------------------------------------------------------------
before=$(snapshot)
"$WINE" "$folder_win\\CounterApp.exe" </dev/null >/dev/null 2>&1 &
launcher_pid=$!
for _ in $(seq 200); do
  [ -s "$folder/App/CounterApp.exe.run.txt" ] && break
  sleep 0.1
done
[ -s "$folder/App/CounterApp.exe.run.txt" ] || fail "the application did not start"
at_start=$(snapshot)
wait "$launcher_pid"
at_end=$(snapshot)

compare() {
  local when=$1 want=$2 got=$3
  # A registry export's size shows only once the tool has written it.
  got=$(while IFS=$'\t' read -r path now; do
    [ -n "$path" ] || continue
    grep -qxF "$path	a file the registry tool writes" <<<"$want" && [[ $now == "a file of "* ]] &&
      now="a file the registry tool writes"
    printf '%s\t%s\n' "$path" "$now"
  done <<<"$got")
  if ! diff <(echo "$want") <(echo "$got") >"$work/diff"; then
    fail "$when: the check's list (<) is not what the run did (>):"
    cat "$work/diff"
  fi
}
compare "when the application starts" "$expected_at_start" "$(actual "$at_start")"
compare "once the launcher has ended" "$expected_at_end" "$(actual "$at_end")"

runs=$(win reg query 'HKCU\Software\CounterApp' /v Runs | tr -d '\r' | awk '$1 == "Runs" { print $3 }')
[ "$runs" = 0x1f4 ] || fail "the machine's registry value is ${runs:-gone}, not 0x1f4"

echo "$expected_at_start" | sed 's/^/at start: /'
echo "$expected_at_end" | sed 's/^/at end: /'
[ "$failures" -eq 0 ] && echo "passed" || echo "$failures failure(s)"
[ "$failures" -eq 0 ]
