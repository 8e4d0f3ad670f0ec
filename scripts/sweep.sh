#!/usr/bin/env bash
# The whole sweep of damaged type libraries: every truncation length of every wine64 type library (and
# of each module's headers and resource section) and 2000 seeded single-byte corruptions of each, through
# loading, walking and generation, under the sanitizers of the dev build. It takes hours: the big images
# are parsed far into their member records at every length. The test command runs a deterministic subset.
# Usage: scripts/sweep.sh [gtest filter, default Sweep*]; prints one line per library and the total time.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target tessivar_tests
start=$(date +%s)
TESSIVAR_SWEEP=full ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  build/dev/tests/tessivar_tests --gtest_filter="${1:-*Sweep*}" --gtest_brief=1
echo "whole sweep: $(($(date +%s) - start)) s"
