#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs it; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSONARIC_SANITIZE=ON -DBUILD_TESTING=ON \
    >/dev/null
cmake --build build-asan --parallel "$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-asan
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 --parallel "$(nproc)"
# Each suite once more as one process, as the Windows stage runs them: there, what one test
# leaves behind (an object deleted later, a posted call) meets the tests after it.
for suite in tests/*_tests; do
  log=$(mktemp)
  if ! QT_QPA_PLATFORM=offscreen timeout 900 "$suite" --gtest_brief=1 >"$log" 2>&1; then
    tail -60 "$log"
    echo "sanitize: $(basename "$suite") failed as one process"
    exit 1
  fi
  rm -f "$log"
done
echo "sanitize: every suite passed as one process too"
