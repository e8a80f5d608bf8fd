#!/usr/bin/env bash
# Runs one Windows program in the rig's prefix and display; exits with its exit
# code. The output goes through a file, so that a Windows process left running
# by the program cannot hold the test's output open.
set -uo pipefail
. "$(dirname "$0")/rig_common.sh"
state=${1:?usage: run_in_wine.sh STATE_FILE PROGRAM [ARGS...]}
shift
rig_load_state "$state"
kill -0 "$XVFB_PID" 2>/dev/null || rig_fail "the rig's Xvfb ($DISPLAY) is not running"

# Paths of programs under test, handed over by CTest as Linux paths; Wine's drive
# Z: is the Linux root.
[ -n "${VOQ_LAUNCHER_UNIX:-}" ] && export VOQ_LAUNCHER_EXE="Z:${VOQ_LAUNCHER_UNIX//\//\\}"

# Without address-space randomisation. With it, about 1 in 3,300 CreateProcess
# calls inside Wine fail at once with ERROR_INTERNAL_ERROR (1359): the new
# process dies before it starts (6 of 20,000 starts; 0 of 20,000 with it off).
# Every process a test starts inherits the setting, the launcher's own included.
norandom=(setarch "$(uname -m)" -R)

log=$(mktemp "$RIG_DIR/run.XXXXXX")
"${norandom[@]}" "$WINE" "$@" </dev/null >"$log" 2>&1
code=$?
# About once in a few thousand starts, Wine's loader ends with code 1 within some
# milliseconds without starting the program: nothing is printed, not even
# GoogleTest's first line. Such a start is made once more. A program that ran
# prints before it can fail, so its failure always stands.
if [ "$code" -ne 0 ] && [ ! -s "$log" ]; then
  echo "wine rig: wine ended with code $code before the program printed anything; starting it once more" >&2
  "${norandom[@]}" "$WINE" "$@" </dev/null >"$log" 2>&1
  code=$?
fi
cat "$log"
rm -f "$log"
exit $code
