#!/usr/bin/env bash
# Checks the package that scripts/package.sh makes: a second build of a copy of the
# tree in another folder gives the same bytes, and a build signed with a throw-away
# certificate made here verifies against its CA (and against no other), its every
# program signed, each the unsigned program once its signature is removed. Says
# "pass:" or "fail:" for each check; fails on any failed or skipped one.
set -uo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {
  local what=$1
  shift
  if "$@" >>"$work/log" 2>&1; then echo "pass: $what"; passed=$((passed + 1)); else
    echo "fail: $what"; failed=$((failed + 1)); tail -n 20 "$work/log"
  fi
  : >"$work/log"
}

package() { bash scripts/package.sh && cp -r dist "$work/$1"; }
check "the package builds" package unsigned

# The same source elsewhere, built afresh: no folder, time or order may show.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
again() {
  mkdir "$work/tree" &&
    tar -c --exclude=./build --exclude=./dist --exclude=./.git . | tar -x -C "$work/tree" &&
    SOURCE_DATE_EPOCH=$epoch bash "$work/tree/scripts/package.sh" &&
    diff -r "$work/unsigned" "$work/tree/dist"
}
check "a second build in another folder gives the same bytes" again

# A CA and a code-signing certificate of its own, good for a day.
certificates() (
  cd "$work" &&
    openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=voQ throw-away CA" \
      -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
      -keyout ca.key -out ca.pem &&
    openssl req -newkey rsa:2048 -nodes -subj "/CN=voQ throw-away signer" -keyout signer.key \
      -out signer.csr &&
    printf 'keyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext &&
    openssl x509 -req -days 1 -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial \
      -extfile signer.ext -out signer.pem &&
    openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem \
      -passout pass:throw-away -out signer.pfx
)
signed() {
  certificates &&
    VOQ_SIGN_PFX=$work/signer.pfx VOQ_SIGN_PASSWORD=throw-away VOQ_SIGN_CA=$work/ca.pem package signed &&
    unzip -q "$work"/signed/*.zip -d "$work/signed" && unzip -q "$work"/unsigned/*.zip -d "$work/unsigned"
}
check "the package builds signed" signed

programs=$(cd "$work/signed" 2>/dev/null && find . -name '*.exe' | sort)
[ -n "$programs" ] || check "the signed package holds programs" false
for program in $programs; do
  check "$program: the signature verifies against the throw-away CA" \
    osslsigncode verify -CAfile "$work/ca.pem" -in "$work/signed/$program"
  check "$program: the signature does not verify against the system's CAs" \
    bash -c '! osslsigncode verify -in "$1"' - "$work/signed/$program"
  check "$program: without its signature it is the unsigned program" \
    bash -c 'osslsigncode remove-signature -in "$1" -out "$3" && cmp "$2" "$3"' - \
    "$work/signed/$program" "$work/unsigned/$program" "$work/stripped.exe"
  rm -f "$work/stripped.exe"
done

# dist/ holds the unsigned package again, not one signed with a throw-away key.
rm -rf dist/* && cp "$work"/unsigned/*.zip "$work/unsigned/SHA256SUMS" dist/ 2>/dev/null
echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
