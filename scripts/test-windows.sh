#!/usr/bin/env bash
# Builds the Windows configuration and runs its tests under Wine: the core's unit tests, the Windows back
# ends, the dialog on a virtual display, and the same output as the portable build (build it first with
# the dev preset, as scripts/test.sh does; without it that comparison is skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset windows
export WINEDEBUG=-all WINEPREFIX="$(pwd)/build/windows/wineprefix"
# A server left running in the prefix (by a benchmark, say) is stopped first: waiting for it to end would
# wait for good while the prefix's services keep it busy.
wineserver -k 2>/dev/null || true
# The test prefix is made once before the tests, so its first start does not count against a test's time;
# it is made while the build runs, as making it mostly waits.
{ wineboot -i || true; timeout 120 wineserver -w || wineserver -k || true; } </dev/null >/dev/null 2>&1 &
prefix=$!
cmake --build --preset windows
wait $prefix
# One server and the prefix's services for the whole run, started here with no tie to any test's output:
# a server that a test starts keeps that test's output open, and ctest waits for it as long as it runs.
wineserver -p </dev/null >/dev/null 2>&1
wineboot </dev/null >/dev/null 2>&1 || true
# Now and then a Wine process dies as it starts, before the test's own code runs (no output, 0.01 s):
# a failed test is run once more, and a test that fails twice fails the run.
status=0
ctest --preset windows -j2 --repeat until-pass:2 || status=$?
wineserver -k 2>/dev/null || true
exit $status
