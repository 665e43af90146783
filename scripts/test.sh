#!/usr/bin/env bash
# Installs, builds and runs every test headless: first each test case in a process of its own
# (ctest), then each test binary whole, its cases shuffled, once per seed. The first run finds a
# case that needs another to have run before it; the second, a case that leaves something behind
# that breaks a later one.
#
# RP_PANELCTA_TEST_SEEDS: the shuffle seeds, separated by blanks (default: one chosen at random,
# printed). Arguments are passed on to ctest.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
jobs="${RP_PANELCTA_JOBS:-$(nproc)}"
cd "$top/build"
failed=0
if ! ctest --output-on-failure --no-tests=error --parallel "$jobs" "$@"; then
  echo "The cases that failed run again with: cd $top/build && ctest --rerun-failed" \
    "--output-on-failure" >&2
  failed=1
fi

seeds="${RP_PANELCTA_TEST_SEEDS:-$((RANDOM % 99999 + 1))}"
logs="$top/build/Testing/shuffled"
rm -rf "$logs"
mkdir -p "$logs"

# One binary, one seed; prints one line, and on failure the cases that failed and the command
# that runs it again.
run_shuffled() {
  local binary=$1 seed=$2
  local name log
  name=$(basename "$binary")
  log="$logs/$name.$seed.log"
  local command=("$binary" --gtest_shuffle --gtest_random_seed="$seed")
  if timeout 600 "${command[@]}" >"$log" 2>&1; then
    echo "passed: $name, seed $seed"
    return 0
  fi
  {
    echo "FAILED: $name, seed $seed"
    grep -E '^\[  FAILED  \]|Failure$|^unknown file' "$log" | head -40 || true
    echo "  log: $log"
    echo "  run it again: cd $top/build && QT_QPA_PLATFORM=offscreen" \
      "QTWEBENGINE_DISABLE_SANDBOX=1 ${command[*]}"
  } >&2
  return 1
}
export -f run_shuffled
export logs top

for seed in $seeds; do
  echo "Each test binary whole, shuffled with seed $seed"
  # Every binary runs even when one fails, so that one run shows every failure.
  sed 's/$/ '"$seed"'/' "$top/build/tests/test_binaries.txt" |
    xargs -P "$jobs" -L 1 bash -c 'run_shuffled "$@"' _ || failed=1
done
exit "$failed"
