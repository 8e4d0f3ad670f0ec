#!/usr/bin/env bash
# Builds the fuzz targets with clang 14 and runs each for a while over its seed corpus (CI uses a short
# run). Usage: fuzz/run.sh [seconds per target, default 60] [target...]
# New inputs are kept in build/fuzz/corpus-<target>, crashing inputs in build/fuzz/artifacts/<target>/.
# Every run's execution count is appended to build/fuzz/executions.log, whose totals are printed at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
all=(pe_resource_fuzzer typelib_fuzzer generate_fuzzer reg_export_fuzzer wine_registry_fuzzer)
[ $# -gt 0 ] && targets=("$@") || targets=("${all[@]}")
build=$root/build/fuzz
wine_libs=${WINE_LIBDIR:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DTESSIVAR_FUZZ=ON -DTESSIVAR_TESTS=OFF -DTESSIVAR_SANITIZE=ON -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target "${targets[@]}"
cd "$build"

# The small type libraries of the wine64 package join the committed seeds when the package is there.
mkdir -p seeds-wine
if [ -d "$wine_libs" ]; then
  find "$wine_libs" -maxdepth 1 -name '*.tlb' -size -64k -exec ln -sf {} seeds-wine/ \;
fi

seeds() {
  case $1 in
    pe_resource_fuzzer) echo "$root/tests/fixtures/tlb $root/fuzz/corpus/typelib" ;;
    typelib_fuzzer | generate_fuzzer) echo "$root/tests/fixtures/tlb $root/fuzz/corpus/typelib $build/seeds-wine" ;;
    reg_export_fuzzer) echo "$root/tests/fixtures/reg" ;;
    wine_registry_fuzzer) echo "$root/tests/fixtures/reg $root/fuzz/corpus/wine_registry" ;;
  esac
}
dictionary() {
  case $1 in
    reg_export_fuzzer | wine_registry_fuzzer) echo "$root/fuzz/registry.dict" ;;
    *) echo "$root/fuzz/typelib.dict" ;;
  esac
}

# One target: its run's log, and a line for the summary in build/fuzz/result-<target>.
fuzz_target() {
  local target=$1 log=$build/last-$1.log result=$build/result-$1
  mkdir -p "$build/corpus-$target" "$build/artifacts/$target"
  : > "$result"
  # shellcheck disable=SC2046
  if ! ./fuzz/"$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -dict="$(dictionary "$target")" -artifact_prefix="$build/artifacts/$target/" -print_final_stats=1 \
      "$build/corpus-$target" $(seeds "$target") >"$log" 2>&1; then
    { echo "FAILED: $target (see $log and $build/artifacts/$target/)"
      grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -20 || true; } >> "$result"
  fi
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "$(date -u +%FT%TZ) $target ${seconds}s ${runs:-0}" >> "$result.executions"
  echo "$target: ${runs:-0} executions in ${seconds}s, corpus $(ls "$build/corpus-$target" | wc -l) inputs" >> "$result"
}

# As many targets at a time as there are processors, each for the whole of its seconds.
running=0
for target in "${targets[@]}"; do
  if ((running >= $(nproc))); then wait -n; running=$((running - 1)); fi
  fuzz_target "$target" &
  running=$((running + 1))
done
wait
status=0
for target in "${targets[@]}"; do
  cat "$build/result-$target"
  cat "$build/result-$target.executions" >> executions.log && rm "$build/result-$target.executions"
  if grep -q "^FAILED: " "$build/result-$target"; then status=1; fi
done
echo "Executions per target over all runs logged in $build/executions.log:"
awk '{runs[$2] += $4; secs[$2] += $3} END {for (t in runs) printf "  %-22s %12d executions in %6d s\n", t, runs[t], secs[t]}' \
  executions.log | sort
exit $status
