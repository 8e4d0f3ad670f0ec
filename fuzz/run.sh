#!/usr/bin/env bash
# Builds the fuzz targets with clang 14 and runs each for a while over its seed corpus (CI uses a short run).
# Usage: fuzz/run.sh [seconds per target, default 60]; new inputs are kept in build/fuzz/corpus-<target>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$root/build/fuzz
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DTESSIVAR_FUZZ=ON -DTESSIVAR_TESTS=OFF -DTESSIVAR_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target typelib_fuzzer reg_fuzzer
cd "$build"
mkdir -p corpus-typelib corpus-reg
./fuzz/typelib_fuzzer -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 corpus-typelib "$root/fuzz/corpus"
./fuzz/reg_fuzzer -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -dict="$root/fuzz/reg_fuzzer.dict" -print_final_stats=1 corpus-reg "$root/tests/fixtures/reg"
