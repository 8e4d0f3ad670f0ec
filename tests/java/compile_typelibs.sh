#!/usr/bin/env bash
# Generates Java for every coclass of each type library (generate-all mode) and compiles it with javac
# against the runtime stand-in. Arguments: tessivar kovra.jar javac workdir (file|folder)...
# A folder stands for its .tlb .olb .dll .exe .ocx files. Files that are not type libraries, or have
# no coclass, are passed over. Exit 0 when everything generated compiles, 1 otherwise, 77 (skipped)
# when no file could be read as a type library.
set -uo pipefail
tessivar=$1 jar=$2 javac=$3 work=$4
shift 4

rm -rf "$work" && mkdir -p "$work/runtime" || exit 1
cp "$jar" "$work/runtime/kovra.jar" && : > "$work/runtime/kovra.dll" || exit 1

inputs=()
for arg in "$@"; do
  if [[ -d $arg ]]; then
    while IFS= read -r f; do inputs+=("$f"); done < <(find "$arg" -maxdepth 1 -type f \
      \( -iname '*.tlb' -o -iname '*.olb' -o -iname '*.dll' -o -iname '*.exe' -o -iname '*.ocx' \) | LC_ALL=C sort)
  else
    inputs+=("$arg")
  fi
done

# Without a reader for type library files nothing can load: say so at once instead of trying every file.
readable=0 tlbs=0
for lib in "${inputs[@]}"; do
  [[ ${lib,,} == *.tlb ]] || continue
  tlbs=$((tlbs + 1))
  said=$("$tessivar" generate --typelib "$lib" --dest "$work/probe" --runtime "$work/runtime" --jar-module probe -q 2>&1)
  [[ $said == *"is not a type library"* ]] || { readable=1; break; }
done
rm -rf "$work/probe"
((tlbs > 0 && readable == 0)) && { echo "no .tlb file could be read: skipped"; exit 77; }

generated=0 failed=0
for lib in "${inputs[@]}"; do
  name=$(basename "$lib")
  dest="$work/out/$name"
  if ! "$tessivar" generate --typelib "$lib" --all --dest "$dest" --runtime "$work/runtime" \
       --jar-module "${name%.*}" --package com.example -q > "$work/$name.generate.log" 2>&1; then
    grep -qE 'is not a type library|holds no coclass' "$work/$name.generate.log" && continue
    echo "GENERATE FAILED $name: $(head -c 300 "$work/$name.generate.log")"
    failed=$((failed + 1))
    continue
  fi
  generated=$((generated + 1))
  find "$dest/src" -name '*.java' > "$work/$name.sources"
  count=$(wc -l < "$work/$name.sources")
  if "$javac" -encoding UTF-8 -nowarn -Xlint:none -Xmaxerrs 10000 -proc:none -d "$dest/classes" \
       -cp "$work/runtime/kovra.jar" "@$work/$name.sources" > "$work/$name.javac.log" 2>&1; then
    echo "ok $name: $count files"
  else
    errors=$(grep -c ': error:' "$work/$name.javac.log")
    echo "JAVAC FAILED $name: $count files, $errors errors (log: $work/$name.javac.log)"
    grep ': error:' "$work/$name.javac.log" | sed 's/^.*: error: //' | sort | uniq -c | sort -rn | head -5
    failed=$((failed + 1))
  fi
done

echo "$generated type libraries generated, $failed failed"
((generated == 0 && failed == 0)) && exit 77
((failed == 0))
