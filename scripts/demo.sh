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
INI
say "The portable folder: voQ.exe renamed after the application, its ini, the application"
(cd "$portable" && find . -type f | sort | sed 's/^/   /')
echo "   CounterApp.ini says:"; sed 's/^/     /' "$portable/CounterApp.ini"

run() {
  say "Starting CounterApp.exe $* under Wine"
  set +e
  (cd "$portable" && xvfb-run -a wine "$portable/CounterApp.exe" "$@")
  local code=$?
  set -e
  wineserver -w
  echo "   The launcher ended with exit code $code."
  echo "   The application recorded how it was started:"
  tr -d '\r' <"$portable/App/last-run.txt" | sed 's/^/     /'
}

run "first argument" "C:\\My Files\\note.txt"
run

appdata=$(find "$WINEPREFIX/drive_c/users" -path '*CounterApp/counter.txt' | head -n 1)
say "Where the application kept its settings"
echo "   ${appdata#$WINEPREFIX/drive_c/} holds: $(tr -d '\r\n' <"$appdata")"
echo "   (they live on the machine; carrying them in the portable folder comes with the dir key)"

rm -rf "$work"
say "Done"
