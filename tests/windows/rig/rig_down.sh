#!/usr/bin/env bash
# Fixture clean-up: ends every Windows process of the prefix and its server,
# stops the rig's Xvfb and removes the prefix.
set -uo pipefail
. "$(dirname "$0")/rig_common.sh"
state=${1:?usage: rig_down.sh STATE_FILE}
[ -f "$state" ] || { echo "wine rig: nothing to take down"; exit 0; }
rig_load_state "$state"

[ -n "${WINESERVER:-}" ] && [ -d "$WINEPREFIX" ] && "$WINESERVER" -k >/dev/null 2>&1
[ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
case "$RIG_DIR" in
  /tmp/voq-wine-rig.*) rm -rf "$RIG_DIR" ;;
esac
case "${OTHER_VOLUME:-}" in
  /dev/shm/voq-wine-rig-y.* | /run/voq-wine-rig-y.*) rm -rf "$OTHER_VOLUME" ;;
esac
rm -f "$state"
echo "wine rig down"
