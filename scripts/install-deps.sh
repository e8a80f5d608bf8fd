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

# wine32's loader and the 32-bit elevation helper are i386 programs. Some machines' kernels
# start none ("Exec format error", even for the i386 dynamic loader); there they run under
# QEMU's user-mode emulator (see run_32bit_under_emulation below).
runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && runs_32bit && exit 0

if [ "$(id -u)" -ne 0 ]; then
  if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: missing packages (${missing[*]}); run as root" >&2
  else
    echo "install-deps: this kernel runs no 32-bit programs; run as root to set up their emulator" >&2
  fi
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
update_package_index() {
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
}

# QEMU 10 from bookworm-backports: bookworm's QEMU 7.2 took about 50 s of CPU to start one
# 32-bit Wine program (nearly all of it in its own page bookkeeping for Wine's large address
# reservations), 10.0 about 0.2 s. The handler is registered with the F flag, so that the
# kernel opens the emulator once and every mount namespace can use it.
run_32bit_under_emulation() {
  local emulator=/usr/bin/qemu-i386
  local sources=/etc/apt/sources.list.d/voq-bookworm-backports.list
  local version
  version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
  if [ -z "$version" ] || dpkg --compare-versions "$version" lt 1:10; then
    echo "install-deps: this kernel runs no 32-bit programs; installing QEMU's emulator for them" >&2
    echo 'deb http://deb.debian.org/debian bookworm-backports main' >"$sources"
    update_package_index
    apt-get install -y -qq --no-install-recommends qemu-user/bookworm-backports
  fi
  local binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  [ -e "$binfmt/voq-i386" ] ||
    printf '%s' ':voq-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$emulator"':F' \
      >"$binfmt/register"
  runs_32bit || { echo "install-deps: 32-bit programs still do not run under $emulator" >&2; return 1; }
}

if [ ${#missing[@]} -gt 0 ]; then
  update_package_index
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
runs_32bit || run_32bit_under_emulation
