#!/usr/bin/env bash
# The demo: builds voQ.exe and a tiny example application, lays out a portable
# folder the way a user would, and runs it under Wine, saying what happens.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

say() { printf '\n== %s\n' "$*"; }

bash scripts/install-deps.sh
say "Building voQ.exe and the example application (MinGW-w64, static)"
cmake --preset windows >/dev/null
cmake --build --preset windows --target voQ counter_app >/dev/null

work=$(mktemp -d /tmp/voq-demo.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
say "Creating a fresh Windows (Wine) profile in $WINEPREFIX"
xvfb-run -a wineboot -i >/dev/null 2>&1
wineserver -w

portable="$work/USB/CounterApp"
mkdir -p "$portable/App"
cp build/windows/voQ.exe "$portable/CounterApp.exe"
cp build/windows/counter_app.exe "$portable/App/CounterApp.exe"
cat >"$portable/CounterApp.ini" <<'INI'
[GENERAL]
application = App\CounterApp.exe
commandline = /from-ini
[BEFORE]
dir = %APPDATA%\CounterApp
INI
say "The portable folder: voQ.exe renamed after the application, its ini, the application"
(cd "$portable" && find . -type f | sort | sed 's/^/   /')
echo "   CounterApp.ini says:"; sed 's/^/     /' "$portable/CounterApp.ini"

# This machine already has CounterApp settings of its own: a counter of 100.
roaming=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -path '*/AppData/Roaming' \
  ! -path '*/Public/*' | head -n 1)
machine="$roaming/CounterApp"
mkdir -p "$machine"
printf '100\r\n' >"$machine/counter.txt"
say "This machine keeps its own CounterApp settings"
echo "   ${machine#$WINEPREFIX/drive_c/}/counter.txt holds: $(tr -d '\r\n' <"$machine/counter.txt")"

counters() {
  echo "   The portable counter (Settings\\counter.txt): $(tr -d '\r\n' <"$portable/Settings/counter.txt")"
  echo "   The machine's own counter, back in place:      $(tr -d '\r\n' <"$machine/counter.txt")"
  [ -e "$machine""_backup" ] && echo "   (CounterApp_backup is still there: unexpected)"
  return 0
}

run() {
  say "Starting CounterApp.exe $* under Wine"
  set +e
  (cd "$portable" && xvfb-run -a wine "$portable/CounterApp.exe" "$@" 2>/dev/null)
  local code=$?
  set -e
  wineserver -w
  echo "   The launcher ended with exit code $code."
  echo "   The application recorded how it was started:"
  tr -d '\r' <"$portable/App/last-run.txt" | sed 's/^/     /'
}

run "first argument" "C:\\My Files\\note.txt"
counters
run
counters

say "What the dir key did"
echo "   Before each run the machine's CounterApp folder was set aside as CounterApp_backup and"
echo "   the portable Settings folder was copied in; after the run the application's settings"
echo "   were carried back into Settings and the machine's own folder was put back."
(cd "$portable" && find . -type f | sort | sed 's/^/   /')

rm -rf "$work"
say "Done"
