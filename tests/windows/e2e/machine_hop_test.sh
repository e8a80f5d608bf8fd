#!/usr/bin/env bash
# The portable folder travels between two machines: the rig's prefix (machine A)
# and a second prefix made here (machine B), with the same user name and paths
# but their own MachineGuid, as wineboot writes one per prefix. A run with a
# folder item and a registry key item is killed on A while its application runs;
# the folder is then started on B, and then on A again.
#
# B's own folder and key must stay exactly as they were, and nothing of them may
# reach the portable folder. Back on A, A's own data is back in place, B's newer
# settings keep the portable places, and A's cut-short run is kept beside them.
set -uo pipefail
. "$(dirname "$0")/../rig/rig_common.sh"
state=${1:?usage: machine_hop_test.sh STATE_FILE VOQ_EXE TEST_APP_EXE}
launcher=${2:?}
app=${3:?}
rig_load_state "$state"

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

prefix_a=$WINEPREFIX
prefix_b=$RIG_DIR/machine-b
work=$(mktemp -d "$RIG_DIR/hop.XXXXXX")
trap 'WINEPREFIX=$prefix_b "$WINESERVER" -k >/dev/null 2>&1; rm -rf "$prefix_b" "$work"' EXIT

on() { WINEPREFIX=$1 "${@:2}"; }
win() { local prefix=$1; shift; WINEPREFIX=$prefix "$WINE" "$@" </dev/null 2>/dev/null; }

echo "making machine B"
on "$prefix_b" "$WINE" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
on "$prefix_b" "$WINESERVER" -w

appdata_win=$(win "$prefix_a" cmd /c echo %APPDATA% | tr -d '\r')
[ -n "$appdata_win" ] || { echo "no APPDATA"; exit 1; }
# C:\users\<name>\AppData\Roaming in each prefix's drive_c.
appdata_rel=$(sed -e 's/^[Cc]:\\//' -e 's/\\/\//g' <<<"$appdata_win")
place() { echo "$1/drive_c/$appdata_rel/voQHop"; }

folder=$work/P
mkdir -p "$folder/App" "$folder/Settings"
cp "$launcher" "$folder/Hop.exe"
cp "$app" "$folder/App/App.exe"
printf '[GENERAL]\r\napplication = App\\App.exe\r\n[BEFORE]\r\ndir = %%APPDATA%%\\voQHop\r\nregkey = HKCU\\Software\\voQHop\r\n' >"$folder/Hop.ini"
printf 'portable\r\n' >"$folder/Settings/s.ini"
folder_win="Z:${folder//\//\\}"

for prefix in "$prefix_a" "$prefix_b"; do
  name=$([ "$prefix" = "$prefix_a" ] && echo A || echo B)
  mkdir -p "$(place "$prefix")"
  printf 'machine %s\r\n' "$name" >"$(place "$prefix")/own.txt"
  win "$prefix" reg add 'HKCU\Software\voQHop' /v own /d "machine $name" /f >/dev/null
done
hex() { printf '%s' "$1" | iconv -t UTF-16LE | od -An -tx1 | tr -d ' \n'; printf '0000'; }
control() {  # what the application does on its run: write into both places
  printf 'append|%s\\voQHop\\s.ini|on %s\r\nregset|Software\\voQHop|s|1|%s\r\n%s' \
    "$appdata_win" "$1" "$(hex "on $1")" "${2:-}" >"$folder/App/App.exe.control.txt"
}

snapshot() {  # a machine's own folder and key
  (cd "$(place "$1")" && for f in *; do echo "$f: $(tr -d '\r' <"$f" | tr '\n' '|')"; done)
  win "$1" reg query 'HKCU\Software\voQHop' | tr -d '\r' | grep REG_
}
before_a=$(snapshot "$prefix_a")
before_b=$(snapshot "$prefix_b")

# Machine A: killed while the application runs (it sleeps after writing).
control A $'sleep|60000\r\n'
# The loader itself in the background (not a function or subshell), so that the
# kill below ends the launcher and nothing else.
WINEPREFIX=$prefix_a "$WINE" "$folder_win\\Hop.exe" </dev/null >/dev/null 2>&1 &
launcher_pid=$!
for _ in $(seq 300); do
  grep -q "on A" "$(place "$prefix_a")/s.ini" 2>/dev/null && break
  sleep 0.1
done
grep -q "on A" "$(place "$prefix_a")/s.ini" 2>/dev/null || fail "the application did not run on A"
sleep 1
kill -KILL "$launcher_pid"
wait "$launcher_pid" 2>/dev/null
pkill -KILL -f 'App\\App.exe' 2>/dev/null
ls "$folder"/Hop.*.running >/dev/null 2>&1 || fail "no run record after the kill on A"


# Machine B: a normal run, which must not touch A's record.
control B
win "$prefix_b" "$folder_win\\Hop.exe" >/dev/null || fail "the run on B failed"
[ "$(snapshot "$prefix_b")" = "$before_b" ] || fail "B's own data changed: $(snapshot "$prefix_b")"
grep -rq "machine B" "$folder" && fail "B's own data reached the portable folder"
grep -q "on B" "$folder/Settings/s.ini" || fail "B's run did not carry its settings back"
ls "$folder"/*_backup "$(place "$prefix_b")_backup" >/dev/null 2>&1 && fail "a backup left on B"

# Machine A again: its run is finished there; B's newer settings keep their places.
control A2
win "$prefix_a" "$folder_win\\Hop.exe" >/dev/null || fail "the second run on A failed"
[ "$(snapshot "$prefix_a")" = "$before_a" ] || fail "A's own data is not back: $(snapshot "$prefix_a")"
grep -q "on B" "$folder/Settings/s.ini" || fail "B's settings lost their place"
grep -q "on A2" "$folder/Settings/s.ini" || fail "A's second run did not carry back"
kept=$(ls -d "$folder/Settings (from "* 2>/dev/null | head -1)
[ -n "$kept" ] && grep -q "on A" "$kept/s.ini" || fail "A's cut-short run is not kept beside the settings"
ls "$folder"/*" (from "*.reg >/dev/null 2>&1 || fail "A's registry key is not kept beside settings.reg"
ls "$folder"/Hop.*.running "$folder"/*.newer >/dev/null 2>&1 && fail "a run record or note is left"

echo "portable folder after both machines:"
(cd "$folder" && find . -type f | sort)
[ "$failures" -eq 0 ] && echo "machine hop: all checks passed"
exit $((failures > 0))
