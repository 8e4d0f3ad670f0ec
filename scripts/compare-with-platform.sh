#!/usr/bin/env bash
# Compares the portable dump with the Windows build's dump under Wine for every type library of the
# wine64 package (the .tlb files and every resource 1-3 of each DLL/OCX/EXE holding TYPELIB).
# Usage: scripts/compare-with-platform.sh [portable-binary] [windows-exe]; exits 1 on any difference.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
portable=${1:-$root/build/dev/tessivar}
windows=${2:-$root/build/windows/tessivar.exe}
libdir=${WINE_LIBDIR:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
out=${COMPARE_OUT:-$root/build/compare}
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix}
mkdir -p "$out"
rm -f "$out"/*.diff

# Files that may hold a type library: .tlb files, and modules whose bytes name a TYPELIB resource.
mapfile -t files < <(cd "$libdir" && { ls *.tlb; grep -laiP 'T\x00Y\x00P\x00E\x00L\x00I\x00B\x00' *.dll *.ocx *.exe; } | sort -u)

wineserver -p </dev/null >/dev/null 2>&1 || true  # one server for all the runs, stopped at the end
trap 'wineserver -k 2>/dev/null || true' EXIT
# compare_one LINUX-PATH RESOURCE-ID LABEL: dumps one library both ways and compares the texts; the verdict
# (skipped, identical, known or different) goes to LABEL.verdict, with the line to print after it.
compare_one() {
  local path=$1 id=$2 name=$3 winpath prc wrc
  winpath="Z:$(printf '%s' "$path" | tr / '\\')"
  if [ "$id" != 1 ]; then path="$path\\$id"; winpath="$winpath\\$id"; fi
  "$portable" dump "$path" --search-folder "$libdir" -o "$out/$name.portable" 2>/dev/null; prc=$?
  wine "$windows" dump "$winpath" -o "Z:$(printf '%s' "$out/$name.windows" | tr / '\\')" 2>/dev/null; wrc=$?
  if [ $prc -ne 0 ] && [ $wrc -ne 0 ]; then rm -f "$out/$name".*; echo skipped > "$out/$name.verdict"; return; fi
  if [ $prc -eq 0 ] && [ $wrc -eq 0 ] && cmp -s "$out/$name.portable" "$out/$name.windows"; then
    echo identical > "$out/$name.verdict"
  else
    diff "$out/$name.portable" "$out/$name.windows" > "$out/$name.diff" 2>&1 || true
    if grep -q "^$name " "$root/scripts/platform-differences.txt"; then
      printf 'known\nKNOWN DIFFERENCE: %s (see scripts/platform-differences.txt and %s)\n' "$name" "$out/$name.diff"
    else
      printf 'different\nDIFFERENT: %s (portable exit %s, windows exit %s; see %s)\n' "$name" $prc $wrc "$out/$name.diff"
    fi > "$out/$name.verdict"
  fi
}
# As many comparisons at a time as there are processors.
labels=() running=0 processors=$(nproc)
queue() {
  labels+=("$3")
  if ((running >= processors)); then wait -n; running=$((running - 1)); fi
  compare_one "$@" &
  running=$((running + 1))
}
for f in "${files[@]}"; do
  for id in 1 2 3; do queue "$libdir/$f" "$id" "${f}_$id"; done
done
for f in "$root"/tests/fixtures/tlb/*; do
  for id in 1 2 3; do queue "$f" "$id" "fixture_$(basename "$f")_$id"; done
done
wait
compared=0 identical=0 different=0 known=0 skipped=0
for name in "${labels[@]}"; do
  verdict=$(head -n 1 "$out/$name.verdict")
  tail -n +2 "$out/$name.verdict"
  rm -f "$out/$name.verdict"
  case $verdict in
    skipped) skipped=$((skipped + 1)) ;;
    identical) compared=$((compared + 1)) identical=$((identical + 1)) ;;
    known) compared=$((compared + 1)) known=$((known + 1)) ;;
    *) compared=$((compared + 1)) different=$((different + 1)) ;;
  esac
done
echo "compared $compared type libraries: $identical identical, $known known differences, $different different ($skipped resource numbers absent in both)"
[ "$different" -eq 0 ]
