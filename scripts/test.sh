#!/usr/bin/env bash
# Sets up, builds and runs every test, in stages: `default` (the normal build,
# CTest), `asan` (the same suite built with AddressSanitizer +
# UndefinedBehaviorSanitizer, CTest) and `windows` (scripts/check-windows.sh,
# when the checkout has it). Every stage runs even when an earlier one failed;
# the end is one summary line per stage, and the exit status is non-zero when
# any stage failed. ORVANE_PRESET=default (or asan, or windows) runs one stage
# only. Further arguments go to ctest.
set -uo pipefail
cd "$(dirname "$0")/.."

if [ -n "${ORVANE_PRESET:-}" ]; then
  stages=("$ORVANE_PRESET")
else
  stages=(default asan windows)
fi
for stage in "${stages[@]}"; do
  case "$stage" in
    default | asan | windows) ;;
    *) echo "ORVANE_PRESET must be default, asan or windows, not \"$stage\"" >&2; exit 2 ;;
  esac
done

logs=$(mktemp -d "${TMPDIR:-/tmp}/orvane-test.XXXXXX")
trap 'rm -rf "$logs"' EXIT
summary=()
failed=0

duration() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }

# run_ctest_stage PRESET [CTEST ARGS...]: set-up and build, then the suite.
# Prints the stage's result as "passed P, failed F" (or why it did not run)
# on fd 3; returns non-zero when anything failed.
run_ctest_stage()
{
  local preset=$1
  shift
  if ! ORVANE_PRESET="$preset" scripts/setup.sh; then
    echo "set-up or build failed" >&3
    return 1
  fi
  local log="$logs/$preset.log" rc
  ctest --preset "$preset" -j2 "$@" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  # "97% tests passed, 3 tests failed out of 90"
  local line
  line=$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  if [ -n "$line" ]; then
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    echo "passed $((total - bad)), failed $bad" >&3
    [ "$rc" -eq 0 ] && [ "$bad" -eq 0 ]
    return
  fi
  echo "ctest ended with status $rc before counting" >&3
  return 1
}

run_windows_stage()
{
  if [ ! -f scripts/check-windows.sh ]; then
    echo "skipped (no scripts/check-windows.sh)" >&3
    return 0
  fi
  local log="$logs/windows.log" rc
  bash scripts/check-windows.sh 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  # Its last line: "windows: N sources checked, M reader tests passed under Wine".
  local last
  last=$(grep -E '^windows: ' "$log" | tail -n1)
  if [ "$rc" -eq 0 ]; then
    echo "passed (${last#windows: })" >&3
  else
    echo "failed with status $rc${last:+ (${last#windows: })}" >&3
  fi
  return "$rc"
}

for stage in "${stages[@]}"; do
  echo "== $stage stage"
  start=$SECONDS
  if [ "$stage" = windows ]; then
    run_windows_stage 3>"$logs/result"
  else
    run_ctest_stage "$stage" "$@" 3>"$logs/result"
  fi
  rc=$?
  result=$(cat "$logs/result")
  [ "$rc" -eq 0 ] || failed=1
  summary+=("$(printf '%-8s %-6s %s in %s' "$stage" "$([ "$rc" -eq 0 ] && echo ok || echo FAILED)" "$result" \
    "$(duration $((SECONDS - start)))")")
done

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
exit "$failed"
