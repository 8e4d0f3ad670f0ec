#!/usr/bin/env bash
# Builds the Windows configuration and runs its tests under Wine: the core's unit tests, the Windows back
# ends, the dialog on a virtual display, and the same output as the portable build (build it first with
# the dev preset, as scripts/test.sh does; without it that comparison is skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset windows
cmake --build --preset windows
# The test prefix is made once before the tests, so its first start does not count against a test's time.
WINEDEBUG=-all WINEPREFIX="$(pwd)/build/windows/wineprefix" wineboot -i >/dev/null 2>&1 || true
WINEDEBUG=-all WINEPREFIX="$(pwd)/build/windows/wineprefix" wineserver -w || true
ctest --preset windows -j2
