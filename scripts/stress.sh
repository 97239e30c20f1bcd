#!/usr/bin/env bash
# The long reliability runs over a build folder (default build):
#   every failure point of a backup and a restore, a real process killed at
#   many moments while it restores and backs up a large database, trees of
#   40,000 subfolders and 100,000 photos, the copy and registry tests under
#   valgrind, and the registry reader fuzzed.
# STRESS_MB (default 512) sizes the database, STRESS_KILLS (default 300) the
# kill points, FUZZ_SECONDS (default 60) the fuzzing.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-build}" && pwd)"
cmake --build "$build" --target reliability_test crash_test bt_operation_driver large_trees_test \
  copy_test registry_test

step() { printf '\n== %s\n' "$*"; }

step "Every call and every step of a copy fails in turn"
"$build/tests/reliability_test" --gtest_brief=1

step "A real process killed at ${STRESS_KILLS:-300} moments (database of ${STRESS_MB:-512} MB)"
BT_CRASH_MB="${STRESS_MB:-512}" BT_CRASH_KILLS="${STRESS_KILLS:-300}" \
  "$build/tests/stress/crash_test" --gtest_brief=1

step "Trees of 40,000 subfolders and 100,000 photos"
"$build/tests/stress/large_trees_test" --gtest_brief=1

step "The copy and the registry reader under valgrind"
ctest --test-dir "$build" --output-on-failure -R '^memcheck_'

step "The registry reader fuzzed for ${FUZZ_SECONDS:-60} s"
FUZZ_BUILD="$build/fuzz" "$here/scripts/fuzz.sh"
