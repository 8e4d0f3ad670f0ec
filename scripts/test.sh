#!/usr/bin/env bash
# Builds every configuration the tests need and runs all tests: the whole suite under the sanitizers (the
# threaded ones also under ThreadSanitizer), the Windows build under Wine with its zip, the fuzz targets
# briefly, and in the optimised build the long javac runs, the Maven builds and the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j2
# The threaded request and worker tests under ThreadSanitizer (suites named for requests, queues, workers
# or threads, and the registry files read in halves).
cmake --preset tsan
cmake --build --preset tsan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build/tsan/tests/tessivar_tests \
  --gtest_filter='*Request*.*:*Queue*.*:*Worker*.*:*Thread*.*:*.*InHalves*'
# The Windows build under Wine: its unit tests, the dialog, the same output as the portable build; then
# the reader against the platform's own type library loading, library by library.
bash scripts/test-windows.sh
bash scripts/compare-with-platform.sh
# A short run of each fuzz target (longer runs: fuzz/run.sh SECONDS).
bash fuzz/run.sh 20
# The optimised build: the long javac runs, Maven building generated trees offline, and the Debian
# package installed into a scratch root.
cmake --preset release
cmake --build --preset release
ctest --preset release -j2 -L 'javac|maven|package'
