#!/usr/bin/env bash
# Builds the registry file fuzzer with clang-14 (libFuzzer, ASan, UBSan) and runs it, seeded with the
# .reg fixtures. Usage: fuzz/reg_fuzz.sh [seconds, default 60] [extra libFuzzer options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${FUZZ_OUT:-$root/build/fuzz-reg}
seconds=${1:-60}
shift || true
mkdir -p "$out/corpus"
clang++-14 -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$root" \
  "$root/fuzz/reg_fuzzer.cpp" \
  "$root"/typelib/posix/reg_parse.cpp "$root"/typelib/posix/reg_tree.cpp "$root"/typelib/posix/file_registry.cpp \
  "$root"/typelib/registry.cpp "$root"/typelib/catalogue.cpp "$root"/typelib/registry_lookups.cpp \
  "$root"/mapping/text.cpp "$root"/mapping/guid_text.cpp \
  -o "$out/reg_fuzzer"
cp -n "$root"/tests/fixtures/reg/*.reg "$out/corpus/"
"$out/reg_fuzzer" -max_total_time="$seconds" -max_len=65536 -dict="$root/fuzz/reg_fuzzer.dict" "$@" "$out/corpus"
