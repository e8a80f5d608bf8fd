#!/usr/bin/env bash
# Checks what the shipped launcher image carries, read back from the image itself:
#   check_shipped_image.sh manifest WINDRES IMAGE
#       an application manifest that asks for asInvoker and common controls 6 and
#       declares no supported systems (Windows would then report its own version
#       instead of 6.2, which the version table relies on);
#   check_shipped_image.sh version WINDRES IMAGE VERSION
#       the version resource: "voQ portable launcher" and the build's version;
#   check_shipped_image.sh size IMAGE MAX_BYTES
#       the file is no larger than MAX_BYTES.
set -uo pipefail
usage="usage: check_shipped_image.sh manifest|version WINDRES IMAGE [VERSION] | size IMAGE MAX_BYTES"
what=${1:?$usage}
status=0
fail() {
  echo "$*"
  status=1
}
# Every needle must appear in the text, as windres writes it.
expect() {
  local text=$1 label=$2
  shift 2
  local needle
  for needle in "$@"; do
    if grep -qF -- "$needle" <<<"$text"; then echo "ok: $label has $needle"; else fail "$label lacks $needle"; fi
  done
}

case $what in
  size)
    image=${2:?$usage}
    max=${3:?$usage}
    size=$(stat -c %s "$image") || exit 1
    if [ "$size" -le "$max" ]; then echo "ok: $image is $size bytes (at most $max)"; else
      fail "$image is $size bytes, more than $max"
    fi
    ;;
  manifest | version)
    windres=${2:?$usage}
    image=${3:?$usage}
    # windres turns the image's resources back into a resource script; inside a
    # quoted resource string a double quote is written twice.
    script=$("$windres" -i "$image" -O rc 2>&1) || { echo "$image: no resources ($script)"; exit 1; }
    if [ "$what" = manifest ]; then
      manifest=$(awk '/^1 24 /{ found = 1 } found { print } found && /^END/{ exit }' <<<"$script")
      [ -n "$manifest" ] || { echo "$image carries no manifest"; exit 1; }
      expect "$manifest" manifest 'requestedExecutionLevel level=""asInvoker""' \
        'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""'
      if grep -qi supportedOS <<<"$manifest"; then fail "manifest declares supported systems"; else
        echo "ok: manifest declares no supported systems"
      fi
    else
      version=${4:?$usage}
      IFS=. read -r major minor patch <<<"$version"
      info=$(awk '/VERSIONINFO$/{ found = 1 } found { print } found && /^END/{ exit }' <<<"$script")
      [ -n "$info" ] || { echo "$image carries no version resource"; exit 1; }
      expect "$info" "version resource" "FILEVERSION $major, $minor, $patch, 0" \
        'VALUE "FileDescription", "voQ portable launcher"' "VALUE \"FileVersion\", \"$version\"" \
        "VALUE \"ProductVersion\", \"$version\""
    fi
    ;;
  *)
    echo "$usage"
    exit 2
    ;;
esac
exit $status
