#!/usr/bin/env bash
# Generates Java for every coclass of each type library (generate-all mode), or with --every-type first
# for every type of each, and compiles it with javac against the runtime stand-in.
# Arguments: [--every-type] tessivar kovra.jar javac workdir (file|folder)...
# A folder stands for its .tlb .olb .dll .exe .ocx files. Files that are not type libraries, or have
# nothing to generate (no coclass for generate-all), are passed over. Exit 0 when everything generated
# compiles, 1 otherwise.
set -uo pipefail
scope=--all skip='is not a type library|holds no coclass'
if [[ ${1:-} == --every-type ]]; then
  scope=--every-type skip='is not a type library|gets a Java file: nothing was generated'
  shift
fi
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

generated=0 failed=0
for lib in "${inputs[@]}"; do
  name=$(basename "$lib")
  dest="$work/out/$name"
  note=
  if ! "$tessivar" generate --typelib "$lib" "$scope" --dest "$dest" --runtime "$work/runtime" \
       --jar-module "${name%.*}" --package com.example -q > "$work/$name.generate.log" 2>&1; then
    grep -qE "$skip" "$work/$name.generate.log" && continue
    # A run whose types lost something it reported still wrote every file: those must compile too.
    if grep -q '^Incomplete: ' "$work/$name.generate.log" && ! grep -q '^Error: ' "$work/$name.generate.log"; then
      note=" (incomplete: $(grep -c '^Incomplete: ' "$work/$name.generate.log") lines)"
    else
      echo "GENERATE FAILED $name: $(head -c 300 "$work/$name.generate.log")"
      failed=$((failed + 1))
      continue
    fi
  fi
  generated=$((generated + 1))
  find "$dest/src" -name '*.java' > "$work/$name.sources"
  count=$(wc -l < "$work/$name.sources")
  # Each javac run is short: the JIT's quick tier alone and the serial collector take a third off its time.
  if "$javac" -J-XX:TieredStopAtLevel=1 -J-XX:+UseSerialGC -encoding UTF-8 -nowarn -Xlint:none -Xmaxerrs 10000 -proc:none -d "$dest/classes" \
       -cp "$work/runtime/kovra.jar" "@$work/$name.sources" > "$work/$name.javac.log" 2>&1; then
    echo "ok $name: $count files$note"
  else
    errors=$(grep -c ': error:' "$work/$name.javac.log")
    echo "JAVAC FAILED $name: $count files, $errors errors (log: $work/$name.javac.log)"
    grep ': error:' "$work/$name.javac.log" | sed 's/^.*: error: //' | sort | uniq -c | sort -rn | head -5
    failed=$((failed + 1))
  fi
done

echo "$generated type libraries generated, $failed failed"
((generated == 0 && failed == 0)) && { echo "nothing was generated"; exit 1; }
((failed == 0))
