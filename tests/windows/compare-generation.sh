#!/usr/bin/env bash
# Same output from both builds: `generate --all` over every type library of the wine64 package that has
# coclasses, by the portable build (our reader) and by the Windows build under Wine (the platform's reader).
# The runs save no settings: the other tests of the Windows build may use the settings key meanwhile.
# Allowed differences: the path in the "// from TypeLib at " line, the runtime path in build.xml (the same
# folder in each build's spelling) and path separators in log lines. Exits 77 when a build is missing.
# Usage: compare-generation.sh PORTABLE_TESSIVAR WINDOWS_TESSIVAR_EXE WORK_DIR
set -uo pipefail
source "$(dirname "$0")/../../scripts/generation-runs.sh"
portable=$1 windows=$2 work=$3
libdir=${WINE_LIBDIR:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
[ -x "$portable" ] && [ -f "$windows" ] && command -v wine >/dev/null || { echo "a build or Wine is missing"; exit 77; }
rm -rf "$work" && make_runtime_folder "$work/kovra" || exit 1
start_wine_server

# Type library files, and modules whose bytes name a TYPELIB resource.
mapfile -t libs < <(cd "$libdir" && { ls *.tlb; grep -laiP 'T\x00Y\x00P\x00E\x00L\x00I\x00B\x00' *.dll *.ocx *.exe; } | LC_ALL=C sort -u)

# The generated tree with the allowed differences taken out: its file names, then each file after a
# "== file" header. One awk for all the files: a process or two per file took most of the test's time.
normalised_tree() {
  [ -d "$1" ] || return 0
  (cd "$1" && find . -type f | LC_ALL=C sort)
  (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z |
    FROM="$(winpath "$work/kovra")\\kovra.jar" TO="$work/kovra/kovra.jar" xargs -0r awk '
      FNR == 1 { print "== " FILENAME }
      /^\/\/ from TypeLib at / { next }
      { while ((i = index($0, ENVIRON["FROM"])) > 0) $0 = substr($0, 1, i - 1) ENVIRON["TO"] substr($0, i + length(ENVIRON["FROM"]))
        print }')
}
# Console line ends, separators and drive made Linux-like; each build's destination folder named alike.
# The status a loss report names is left out: where Wine's loader crashes inside a call (msado15, see
# scripts/platform-differences.txt) the Windows build reports 0x8000FFFF for what the reader reports as
# the platform's own view does.
normalised_log() {
  sed -e 's/\r$//' -e 's|Z:\\|/|g' -e 's|\\|/|g' -e "s|$2|<dest>|g" \
      -e '/^Incomplete: /s/ (0x[0-9A-F]\{8\})\././' -e '/^Summary: /s/, [0-9.]* s\.$/./' "$1"
}

# Runs the Windows build into $out/windows and compares; the differences go to $out/{files,log}.diff.
windows_run_matches() {
  rm -rf "$out/windows"
  generate_all_windows "$windows" "$libdir/$lib" "$out/windows" "$work/kovra" --no-save > "$out/windows.log" 2>&1
  wrc=$?
  local files_differ logs_differ
  diff <(normalised_tree "$out/portable") <(normalised_tree "$out/windows") > "$out/files.diff"
  files_differ=$?
  diff <(normalised_log "$out/portable.log" "$out/portable") <(normalised_log "$out/windows.log" "$out/windows") > "$out/log.diff"
  logs_differ=$?
  [ $prc -eq $wrc ] && [ $files_differ -eq 0 ] && [ $logs_differ -eq 0 ]
}
# The start of each difference and of the Windows run's log, so a failure can be read from CI's output.
show_differences() {
  echo "$1: $lib (exit $prc portable, $wrc windows)"
  for d in "$out"/files.diff "$out"/log.diff; do [ -s "$d" ] && { echo "--- ${d##*/}"; head -n 40 "$d"; }; done
  [ $prc -eq $wrc ] || { echo "--- windows.log"; head -n 40 "$out/windows.log"; }
}

compared=0 same=0 different=0 none=0
for lib in "${libs[@]}"; do
  out=$work/$lib
  mkdir -p "$out"
  generate_all_portable "$portable" "$libdir/$lib" "$out/portable" "$work/kovra" --no-save > "$out/portable.log" 2>&1
  prc=$?
  windows_run_matches
  matched=$?
  if [ ! -d "$out/portable" ] && [ ! -d "$out/windows" ]; then none=$((none + 1)); rm -rf "$out"; continue; fi
  compared=$((compared + 1))
  if [ $matched -ne 0 ]; then
    # Wine under a loaded machine has failed a run now and then without a trace; a second run tells
    # that apart from a real difference, which repeats.
    show_differences "DIFFERENT ON THE FIRST WINDOWS RUN, RUNNING IT AGAIN"
    windows_run_matches
    matched=$?
  fi
  if [ $matched -eq 0 ]; then
    same=$((same + 1))
    rm -rf "$out"
  else
    different=$((different + 1))
    show_differences "DIFFERENT (see $out/*.diff)"
  fi
done
echo "$compared type libraries with coclasses compared: $same the same, $different different ($none without coclasses)"
[ "$different" -eq 0 ] && [ "$compared" -gt 0 ]
