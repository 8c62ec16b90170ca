#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test

jobs=${ESTRIVO_JOBS:-2}

# The calculator core under libFuzzer first (clang), a bounded run per target.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz

# The release build the package test turns into a .deb: everything the package installs.
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target estrivo estrivo-records estrivo_print_backend

# Then the whole program and its tests; CTest's summary closes the run.
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --preset asan -j "$jobs"
