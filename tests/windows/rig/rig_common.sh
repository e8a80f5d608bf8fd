# Shared by the rig scripts: where Wine's programs are and how the rig's state is
# kept. Debian's wine64/wine32 packages put the loaders in /usr/lib/wine without
# adding them to PATH unless the "wine" wrapper package is installed too.

export WINEDEBUG=-all
# No installer for .NET or HTML support may pop up in a test prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

rig_fail() {
  echo "wine rig: $*" >&2
  exit 1
}

# The 64-bit loader: the test programs and the launcher are 64-bit.
rig_find_wine() {
  local candidate
  for candidate in "$(command -v wine64)" /usr/lib/wine/wine64 "$(command -v wine)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && { echo "$candidate"; return 0; }
  done
  return 1
}

rig_find_wineserver() {
  local candidate
  for candidate in "$(command -v wineserver)" /usr/lib/wine/wineserver; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && { echo "$candidate"; return 0; }
  done
  return 1
}

# The state file holds shell assignments: RIG_DIR, WINEPREFIX, DISPLAY, XVFB_PID,
# WINE, WINESERVER.
rig_load_state() {
  local state=$1
  [ -f "$state" ] || rig_fail "no rig state at $state: the WineRig fixture did not run or failed"
  # shellcheck disable=SC1090
  . "$state"
  export WINEPREFIX DISPLAY
}
