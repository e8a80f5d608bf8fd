#!/usr/bin/env bash
# Fixture set-up: a virtual X display (message boxes need one to exist at all)
# and a fresh WoW64 prefix in a temporary folder. Writes the rig's state file.
# A missing Wine or Xvfb is a failure: the Windows suites must never pass unrun.
set -uo pipefail
. "$(dirname "$0")/rig_common.sh"
state=${1:?usage: rig_up.sh STATE_FILE}

# A state file left by an interrupted run points at a rig that may still live.
[ -f "$state" ] && bash "$(dirname "$0")/rig_down.sh" "$state"

WINE=$(rig_find_wine) || rig_fail "wine64 not found (install wine64 and wine32:i386)"
WINESERVER=$(rig_find_wineserver) || rig_fail "wineserver not found"
command -v Xvfb >/dev/null || rig_fail "Xvfb not found (install xvfb)"
[ -e /usr/lib/wine/wine ] || command -v wine >/dev/null ||
  rig_fail "the 32-bit Wine loader is missing (install wine32:i386)"

RIG_DIR=$(mktemp -d /tmp/voq-wine-rig.XXXXXX) || rig_fail "cannot make a temporary folder"
started=$(date +%s%N)

# Xvfb picks a free display itself and writes its number to the given descriptor.
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
  3>"$RIG_DIR/display" </dev/null >"$RIG_DIR/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
  [ -s "$RIG_DIR/display" ] && break
  kill -0 "$XVFB_PID" 2>/dev/null || break
  sleep 0.1
done
[ -s "$RIG_DIR/display" ] || { cat "$RIG_DIR/xvfb.log" >&2; rm -rf "$RIG_DIR"; rig_fail "Xvfb did not start"; }
DISPLAY=:$(tr -d '\n' <"$RIG_DIR/display")

WINEPREFIX=$RIG_DIR/prefix
cat >"$state" <<STATE
RIG_DIR='$RIG_DIR'
WINEPREFIX='$WINEPREFIX'
DISPLAY='$DISPLAY'
XVFB_PID='$XVFB_PID'
WINE='$WINE'
WINESERVER='$WINESERVER'
STATE
export WINEPREFIX DISPLAY

if ! "$WINE" wineboot -i >"$RIG_DIR/wineboot.log" 2>&1; then
  cat "$RIG_DIR/wineboot.log" >&2
  bash "$(dirname "$0")/rig_down.sh" "$state"
  rig_fail "wineboot -i failed"
fi
# Xvfb has no window manager; Wine would wait 2 s for one on every unmap of a
# managed window (each message box, each window closed), so none is managed.
if ! "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$RIG_DIR/wineboot.log" 2>&1; then
  cat "$RIG_DIR/wineboot.log" >&2
  bash "$(dirname "$0")/rig_down.sh" "$state"
  rig_fail "cannot configure the prefix"
fi
"$WINESERVER" -w
[ -d "$WINEPREFIX/drive_c/windows/syswow64" ] || {
  bash "$(dirname "$0")/rig_down.sh" "$state"
  rig_fail "the prefix has no 32-bit half (was wine32 installed?)"
}

# Drive Y: is a second volume (another Linux file system than drive C:), so that a
# rename from C: to Y: is refused as between two real drives.
OTHER_VOLUME=$(mktemp -d /dev/shm/voq-wine-rig-y.XXXXXX 2>/dev/null) ||
  OTHER_VOLUME=$(mktemp -d /run/voq-wine-rig-y.XXXXXX) || rig_fail "no second volume for drive Y:"
ln -s "$OTHER_VOLUME" "$WINEPREFIX/dosdevices/y:"
echo "OTHER_VOLUME='$OTHER_VOLUME'" >>"$state"

# One persistent server for the whole run: every test program starts warm, and no
# server lingers on the test's output after its program has ended.
"$WINESERVER" -p </dev/null >/dev/null 2>&1

elapsed=$((($(date +%s%N) - started) / 1000000))
echo "wine rig up in ${elapsed} ms: WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY"
