#!/usr/bin/env bash
# Builds the shipped programs (the "release" preset) and packs them for users:
# dist/voQ-<version>.zip and dist/SHA256SUMS. The zip keeps the repository's
# layout (README.md, LICENSE, CHANGELOG.md, CONTRIBUTING.md, docs/), so that the
# links between the texts work inside it. The version is the project version of
# CMakeLists.txt.
#
# The same source gives the same bytes: the programs carry no link time or build
# path, and every file of the zip has the time of the last commit
# (SOURCE_DATE_EPOCH, which a tree without git history must be given) and a fixed
# place in it.
#
# Given VOQ_SIGN_PFX (a PKCS#12 file with the code-signing key and its
# certificates) and VOQ_SIGN_PASSWORD, the programs are signed with Authenticode,
# without a timestamp server, and the signatures verified against VOQ_SIGN_CA (a
# PEM file of trusted certificates; the system's own when unset). The signing time
# is SOURCE_DATE_EPOCH too, so that the same key signs the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset release >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/windows/CMakeCache.txt)
[ -n "$version" ] || { echo "package: no project version in build/windows" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
[ -n "$epoch" ] || { echo "package: no git history; set SOURCE_DATE_EPOCH" >&2; exit 1; }
name=voQ-$version
stage=dist/$name
rm -rf "$stage" "dist/$name.zip" dist/SHA256SUMS
mkdir -p "$stage/docs"

programs=(voQ.exe voq-scramble.exe voq-check.exe)
for program in "${programs[@]}"; do
  if [ -n "${VOQ_SIGN_PFX:-}" ]; then
    osslsigncode sign -pkcs12 "$VOQ_SIGN_PFX" -readpass <(printf '%s' "${VOQ_SIGN_PASSWORD:-}") \
      -h sha256 -n voQ -time "$epoch" -in "build/windows/$program" -out "$stage/$program" >/dev/null
    osslsigncode verify ${VOQ_SIGN_CA:+-CAfile "$VOQ_SIGN_CA"} -in "$stage/$program" >/dev/null ||
      { echo "package: the signature of $program does not verify" >&2; exit 1; }
  else
    cp "build/windows/$program" "$stage/"
  fi
done
cp README.md LICENSE CHANGELOG.md CONTRIBUTING.md "$stage/"
cp docs/*.md docs/example.ini "$stage/docs/"

# Windows users open the texts with Notepad: CR LF line ends.
texts=$(cd "$stage" && find . -type f ! -name '*.exe')
for text in $texts; do sed -i 's/\r\{0,1\}$/\r/' "$stage/$text"; done

# Every link between the texts must lead to a file of the zip.
broken=0
for text in $texts; do
  for target in $(grep -o '](\([^)]*\))' "$stage/$text" | sed 's/^](//; s/)$//; s/#.*//' |
    grep -v -E '^$|^[a-z]+:' | sort -u); do
    [ -e "$stage/$(dirname "$text")/$target" ] || { echo "package: $text links to missing $target" >&2; broken=1; }
  done
done
[ "$broken" -eq 0 ] || exit 1

# Fixed times, modes and order; no extra fields (owner, times of the machine).
find "$stage" -type d -exec chmod 755 {} + && find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -d "@$epoch" {} +
(cd dist && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D "$name.zip" -@)
rm -rf "$stage"
(cd dist && sha256sum "$name.zip" >SHA256SUMS)
echo "dist/$name.zip:"
unzip -l "dist/$name.zip" | sed '1,3d;$d' | sed '$d'
cat dist/SHA256SUMS
