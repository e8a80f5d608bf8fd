#!/usr/bin/env bash
# Builds the shipped programs (the "release" preset) and packs them for users:
# dist/voQ-<version>.zip with voQ.exe, voq-scramble.exe, the README, the reference
# of keys and an example ini. The version is the project version of CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/release/CMakeCache.txt)
[ -n "$version" ] || { echo "package: no project version in build/release" >&2; exit 1; }
name=voQ-$version
stage=dist/$name
rm -rf "$stage" "dist/$name.zip"
mkdir -p "$stage"
cp build/release/voQ.exe build/release/voq-scramble.exe README.md docs/reference.md \
  docs/example.ini "$stage/"
# Windows users open the texts with Notepad: CR LF line ends.
for text in README.md reference.md example.ini; do
  sed -i 's/\r\{0,1\}$/\r/' "$stage/$text"
done
(cd dist && zip -q -r -X "$name.zip" "$name")
rm -rf "$stage"
echo "dist/$name.zip:"
unzip -l "dist/$name.zip" | sed '1,3d;$d' | sed '$d'
