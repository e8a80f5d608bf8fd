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
# A mirror in the middle of a sync fails one index now and then; try again a little later, and if
# it still fails go on with what was fetched: the install below fails plainly if a package is missing.
for attempt in 1 2 3; do
  apt-get update -qq && break
  echo "install-deps: package index update failed (try $attempt of 3)" >&2
  [ "$attempt" -lt 3 ] && sleep $((attempt * 15))
done
apt-get install -y -qq --no-install-recommends "${missing[@]}"
