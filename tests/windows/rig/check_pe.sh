#!/usr/bin/env bash
# Checks the launcher's PE image: Windows GUI subsystem, and no import beyond the
# DLLs every Windows installation has (no MinGW runtime DLL to carry along).
set -uo pipefail
objdump=${1:?usage: check_pe.sh OBJDUMP IMAGE}
image=${2:?usage: check_pe.sh OBJDUMP IMAGE}

headers=$("$objdump" -p "$image") || { echo "cannot read $image"; exit 1; }
status=0

subsystem=$(awk '$1 == "Subsystem" { print $2 }' <<<"$headers")
if [ "$subsystem" != "00000002" ]; then
  echo "subsystem is '$subsystem', expected 00000002 (Windows GUI)"
  status=1
fi

dlls=$(awk '/DLL Name:/ { print $3 }' <<<"$headers")
[ -n "$dlls" ] || { echo "no imports found"; status=1; }
for dll in $dlls; do
  case "${dll,,}" in
    kernel32.dll | user32.dll | advapi32.dll | shell32.dll | ole32.dll | oleaut32.dll | \
      comctl32.dll | comdlg32.dll | gdi32.dll | shlwapi.dll | msvcrt.dll | psapi.dll | \
      version.dll | wininet.dll | ws2_32.dll | iphlpapi.dll | winmm.dll | \
      api-ms-win-crt-*.dll | api-ms-win-core-*.dll | ucrtbase.dll)
      echo "import ok: $dll" ;;
    *)
      echo "import not allowed: $dll"
      status=1 ;;
  esac
done
exit $status
