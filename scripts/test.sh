#!/usr/bin/env bash
# Builds every configuration the tests need and runs all tests: the whole suite under the sanitizers (the
# threaded ones also under ThreadSanitizer), the Windows build under Wine with its zip, the fuzz targets
# briefly, and in the optimised build the long javac runs, the Maven builds and the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
# As on a bare machine: no Wine prefix and a fresh home, so nothing a prefix registers can hide what a
# user without one meets (the tests that need a prefix make their own).
bare_home=$(mktemp -d)
env -u WINEPREFIX HOME="$bare_home" XDG_CONFIG_HOME="$bare_home/.config" ctest --preset dev -j2
rm -rf "$bare_home"
# The threaded request and worker tests under ThreadSanitizer (suites named for requests, queues, workers
# or threads).
cmake --preset tsan
cmake --build --preset tsan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build/tsan/tests/tessivar_tests \
  --gtest_filter='*Request*.*:*Queue*.*:*Worker*.*:*Thread*.*'
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
