#!/usr/bin/env bash
# Installs what is missing, builds both toolchains and runs every test: the
# native suite, the same under AddressSanitizer and UBSan, every fuzz target for
# a bounded time, and the Windows suites under Wine. Fails on any failed, skipped
# or missing test.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || exit 1

logs=$(mktemp -d)
passed=0
failed=0
status=0

run_preset() {
  local preset=$1
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

presets=(native native-asan fuzz windows)
[ $# -gt 0 ] && presets=("$@")
for preset in "${presets[@]}"; do run_preset "$preset"; done

echo
echo "voQ: $passed passed, $failed failed"
exit $status
