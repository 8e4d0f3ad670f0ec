#!/usr/bin/env bash
# The whole sweep of damaged type libraries: every truncation length of every wine64 type library (and
# of each module's headers and resource section) and 2000 seeded single-byte corruptions of each, through
# loading, walking and generation, under the sanitizers of the dev build, one library file per test and
# as many at a time as there are processors. It takes about two hours on two processors, most of it
# generating mshtml.tlb's 2000 corrupted copies. The test command runs a deterministic subset of the same
# tests.
# Usage: scripts/sweep.sh [ctest name regex, default Sweep]; the per-library lines go to build/sweep.log.
# One library's sweep can be shared between processes: TESSIVAR_SWEEP=full TESSIVAR_SWEEP_SHARD=K/N
# build/dev/tests/tessivar_tests --gtest_filter='WineLibraries/Sweep.*/mshtml_tlb' for K = 0 .. N-1.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target tessivar_tests
start=$(date +%s)
status=0
TESSIVAR_SWEEP=full ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/dev -R "${1:-Sweep}" -j "$(nproc)" --timeout 0 -V --output-log build/sweep.log >/dev/null || status=1
grep -E 'corruptions\)|HANG|ERROR|Failure' build/sweep.log | sed 's/^[0-9]*: //' || true
echo "whole sweep: $(($(date +%s) - start)) s"
exit $status
