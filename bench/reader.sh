#!/usr/bin/env bash
# The reader benchmark: loading a type library and walking all of it (every type, function, variable, name,
# doc string and user-defined reference) with the portable reader, and with the Windows build under Wine,
# where the platform's LoadTypeLib reads it. Both run side by side, alternating, in rounds; each run of a
# round loads the file anew. Prints the medians of both, their ratio and the first (cold) run of each.
# Usage: bench/reader.sh [TYPELIB] [ROUNDS] [RUNS-PER-ROUND]; builds what it needs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lib=${1:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/mshtml.tlb}
rounds=${2:-5} runs=${3:-11}
cd "$root"
cmake --preset release >/dev/null && cmake --build --preset release --target typelib_walk >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows --target typelib_walk >/dev/null
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix}
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wineserver -p 30 2>/dev/null || true
winlib="Z:$(printf '%s' "$lib" | tr / '\\')"

# Fields of the walk's summary line: first load walk median load walk best runs.
field() { awk -v k="$2" '$1 == "first" { for (i = 1; i < NF; i++) if ($i == k) { print $(i + 1); exit } }' <<<"$1"; }
portable_medians=() platform_medians=() portable_firsts=() platform_firsts=()
for ((r = 1; r <= rounds; r++)); do
  p=$(build/release/bench/typelib_walk "$lib" "$runs")
  w=$(wine build/windows/bench/typelib_walk.exe "$winlib" "$runs" | tr -d '\r')
  if [ "$(head -1 <<<"$p")" != "$(head -1 <<<"$w")" ]; then
    echo "the two walks saw different contents:"; echo "  portable: $(head -1 <<<"$p")"; echo "  platform: $(head -1 <<<"$w")"
    exit 1
  fi
  [ "$r" = 1 ] && echo "$(basename "$lib"): $(head -1 <<<"$p")"
  portable_medians+=("$(field "$p" median)") platform_medians+=("$(field "$w" median)")
  portable_firsts+=("$(field "$p" first)") platform_firsts+=("$(field "$w" first)")
  printf 'round %d: portable median %s ms (first %s), platform median %s ms (first %s)\n' "$r" \
    "${portable_medians[-1]}" "${portable_firsts[-1]}" "${platform_medians[-1]}" "${platform_firsts[-1]}"
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
pm=$(median "${portable_medians[@]}") wm=$(median "${platform_medians[@]}")
pf=$(median "${portable_firsts[@]}") wf=$(median "${platform_firsts[@]}")
ratio=$(awk -v a="$wm" -v b="$pm" 'BEGIN { printf "%.1f", a / b }')
cold=$(awk -v a="$wf" -v b="$pf" 'BEGIN { printf "%.1f", a / b }')
echo "load and walk, median of $rounds rounds x $runs runs: portable $pm ms, platform under Wine $wm ms: ${ratio}x"
echo "first run of a process (cold), median of $rounds: portable $pf ms, platform under Wine $wf ms: ${cold}x"
awk -v r="$ratio" 'BEGIN { exit !(r >= 10) }' && echo "PASS: at least 10x" || echo "MISS: below 10x"
