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
regkey = HKCU\Software\CounterApp
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
# ... and a registry counter of 500 (HKCU\Software\CounterApp, value Runs).
wine reg add 'HKCU\Software\CounterApp' /v Runs /t REG_DWORD /d 500 /f >/dev/null 2>&1
registry_runs() {
  local value
  value=$(wine reg query 'HKCU\Software\CounterApp' /v Runs 2>/dev/null | tr -d '\r' |
    awk '$1 == "Runs" { print $3 }')
  if [ -n "$value" ]; then printf '%d' "$value"; else printf 'not there'; fi
}
say "This machine keeps its own CounterApp settings"
echo "   ${machine#$WINEPREFIX/drive_c/}/counter.txt holds: $(tr -d '\r\n' <"$machine/counter.txt")"
echo "   HKCU\Software\CounterApp holds Runs = $(registry_runs)"

counters() {
  echo "   The portable counter (Settings\\counter.txt): $(tr -d '\r\n' <"$portable/Settings/counter.txt")"
  echo "   The machine's own counter, back in place:      $(tr -d '\r\n' <"$machine/counter.txt")"
  [ -e "$machine""_backup" ] && echo "   (CounterApp_backup is still there: unexpected)"
  echo "   The portable registry counter (settings.reg):  $(iconv -f UTF-16 -t UTF-8 \
    "$portable/settings.reg" | tr -d '\r' | grep '^"Runs"')"
  echo "   The machine's own registry counter, back:      Runs = $(registry_runs)"
  wine reg query 'HKCU\Software\CounterApp_backup' >/dev/null 2>&1 &&
    echo "   (CounterApp_backup is still in the registry: unexpected)"
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

say "What the dir and regkey keys did"
echo "   Before each run the machine's CounterApp folder was set aside as CounterApp_backup and"
echo "   the portable Settings folder was copied in; after the run the application's settings"
echo "   were carried back into Settings and the machine's own folder was put back."
echo "   The registry key went the same way: HKCU\Software\CounterApp was set aside as"
echo "   CounterApp_backup and settings.reg imported; after the run the key was exported to"
echo "   settings.reg and the machine's own key put back (Runs counts from 1 here, 500 there)."
(cd "$portable" && find . -type f | sort | sed 's/^/   /')

rm -rf "$work"
say "Done"
