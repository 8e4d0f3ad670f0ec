#!/usr/bin/env bash
# Builds the reader fuzzer with clang 14 and runs it for a while over the seed corpus (CI uses 60 s).
# Usage: fuzz/run.sh [seconds]; new inputs are kept in build/fuzz/corpus, crashes in build/fuzz/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=$root/build/fuzz
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DTESSIVAR_FUZZ=ON -DTESSIVAR_TESTS=OFF -DTESSIVAR_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target typelib_fuzzer
mkdir -p "$build/corpus"
cd "$build"
./fuzz/typelib_fuzzer -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$build/corpus" "$root/fuzz/corpus"
