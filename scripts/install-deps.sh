#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine.
# Safe to run again: it returns at once when every package is already there.
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev libbenchmark-dev clang-format clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 xvfb xauth zip unzip osslsigncode openssl
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# wine32 lives in the i386 architecture; without it the test prefix cannot run 32-bit programs.
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
# A mirror in the middle of a sync can serve an index that its newer Release file does not
# describe; apt then drops that index, and with it (for i386) every security update, so the i386
# libraries wine32 needs no longer match their amd64 halves. Try again a little later; if the
# mirror still serves that index, take it as served (it comes from the same mirror apt uses,
# only its listed size is from the next sync) and say so.
update_log=$(mktemp)
for attempt in 1 2 3; do
  apt-get update -qq 2>&1 | tee "$update_log" && ! grep -q '^E:' "$update_log" && break
  echo "install-deps: package index update failed (try $attempt of 3)" >&2
  [ "$attempt" -lt 3 ] && sleep $((attempt * 10))
done
sed -n -E 's/^E: Failed to fetch (https?:\/\/[^ ]+\/Packages\.xz) +File has unexpected size.*/\1/p' "$update_log" |
  sort -u | while read -r url; do
    command -v curl >/dev/null || apt-get install -y -qq --no-install-recommends curl
    list=/var/lib/apt/lists/$(sed -E 's#^https?://##; s#\.xz$##; s#/#_#g' <<<"$url")
    if curl -fsS "$url" | xz -dc >"$list.served" && [ -s "$list.served" ]; then
      mv "$list.served" "$list"
      echo "install-deps: using the index the mirror serves for $url" >&2
    else
      rm -f "$list.served"
    fi
  done
rm -f "$update_log"
apt-get install -y -qq --no-install-recommends "${missing[@]}"
