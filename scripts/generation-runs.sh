# Runs generate-all over one type library with the portable build or with the Windows build under Wine,
# the same way for every script that compares the two. Source it.
#   generate_all_portable TESSIVAR LIBRARY DEST RUNTIME [OPTION...]
#   generate_all_windows  TESSIVAR_EXE LIBRARY DEST RUNTIME [OPTION...]
# Paths are Linux paths; the Windows build gets them as Wine's drive Z:. The jar module is the library's
# file name without extension, the package org.example.wine.

# A Linux path as the Windows build spells it.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# A runtime folder for the runs: the two files the tool checks for, empty.
make_runtime_folder() { mkdir -p "$1" && : > "$1/kovra.jar" && : > "$1/kovra.dll"; }

# One Wine server for all the runs that follow, ending 10 s after the last; Wine's own messages off.
start_wine_server() {
  export WINEDEBUG=-all
  wineserver -p 10 2>/dev/null || true
}

# Runs a command; with GENERATION_PRINT set, prints its words NUL-separated instead (the benchmarks time
# the tool alone, without a shell started around it).
run_or_print() { if [ -n "${GENERATION_PRINT:-}" ]; then printf '%s\0' "$@"; else "$@"; fi; }

generation_module() { local name=${1##*/}; printf '%s' "${name%.*}"; }

generate_all_portable() {
  local tool=$1 lib=$2 dest=$3 runtime=$4
  shift 4
  run_or_print "$tool" generate --all --jar-module "$(generation_module "$lib")" --package org.example.wine "$@" \
    --typelib "$lib" --dest "$dest" --runtime "$runtime"
}

generate_all_windows() {
  local exe=$1 lib=$2 dest=$3 runtime=$4
  shift 4
  run_or_print wine "$exe" generate --all --jar-module "$(generation_module "$lib")" --package org.example.wine "$@" \
    --typelib "$(winpath "$lib")" --dest "$(winpath "$dest")" --runtime "$(winpath "$runtime")"
}
