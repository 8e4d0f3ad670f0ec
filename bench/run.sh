#!/usr/bin/env bash
# The generation benchmarks in one command: builds the portable (release) and Windows builds, then runs
# bench/generation_bench.py, which prints each figure, its ratio and PASS or MISS against its target.
# Options go to generation_bench.py (--reps N, --wine-reps N, --copy-reps N, --libraries A B C). Not part of
# the tests: the figures depend on the machine and on what else it is doing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tessivar
cmake --preset windows >/dev/null
cmake --build --preset windows --target tessivar

source scripts/generation-runs.sh
export WINEPREFIX=$root/build/windows/wineprefix
WINEDEBUG=-all wineboot -i >/dev/null 2>&1 || true  # made once, so its first start is not timed
start_wine_server
trap 'wineserver -k 2>/dev/null || true' EXIT  # the server and the prefix's services end with the benchmark
status=0
python3 bench/generation_bench.py --portable build/release/tessivar --windows build/windows/tessivar.exe \
  --work build/bench "$@" || status=$?
bash bench/reader.sh || status=$?
exit $status
