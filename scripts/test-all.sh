#!/usr/bin/env bash
# Installs what is missing, builds both toolchains and runs every test: the
# native suite, the same under AddressSanitizer and UBSan, every fuzz target for
# a bounded time, the Windows suites under Wine, and the package's checks
# (reproducible bytes, signatures). Fails on any failed, skipped or missing test.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || exit 1

logs=$(mktemp -d)
passed=0
failed=0
status=0

# The package's own checks (scripts/check-package.sh), counted like tests.
run_package_checks() {
  echo "== package: reproducible bytes and signatures"
  bash scripts/check-package.sh 2>&1 | tee "$logs/package.test"
  local rc=${PIPESTATUS[0]} total fail
  total=$(sed -n -E 's/^package: ([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' "$logs/package.test")
  read -r total fail <<<"${total:-0 1}"
  passed=$((passed + total))
  failed=$((failed + fail))
  [ "$rc" -eq 0 ] && [ "$fail" -eq 0 ] || status=1
}

run_preset() {
  local preset=$1
  [ "$preset" = package ] && { run_package_checks; return; }
  echo "== $preset: configure and build"
  if ! cmake --preset "$preset" >"$logs/$preset.configure" 2>&1; then
    cat "$logs/$preset.configure"; status=1; failed=$((failed + 1)); return
  fi
  if ! cmake --build --preset "$preset" >"$logs/$preset.build" 2>&1; then
    tail -n 60 "$logs/$preset.build"; status=1; failed=$((failed + 1)); return
  fi
  echo "== $preset: tests"
  ctest --preset "$preset" --no-tests=error 2>&1 | tee "$logs/$preset.test"
  local rc=${PIPESTATUS[0]}
  local summary
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$preset.test" | tail -n 1)
  local total fail
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
  fail=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  [ -n "$total" ] || { total=0; fail=1; }
  passed=$((passed + total - fail))
  failed=$((failed + fail))
  # A test skipped for lack of a tool is a failure here, never a pass.
  if grep -q -E '\*\*\*Skipped|Not Run|Disabled' "$logs/$preset.test"; then
    echo "== $preset: some tests were skipped or not run"; status=1
  fi
  [ "$rc" -eq 0 ] || status=1
}

presets=(native native-asan fuzz windows package)
[ $# -gt 0 ] && presets=("$@")
for preset in "${presets[@]}"; do run_preset "$preset"; done

echo
echo "voQ: $passed passed, $failed failed"
exit $status
