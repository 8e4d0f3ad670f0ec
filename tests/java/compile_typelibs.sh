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
# The runs save their settings as a user's do: into a home of their own, not the caller's.
export HOME=$work/home XDG_CONFIG_HOME=$work/config
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

# Each library gets a package of its own, so that one javac run compiles them all: starting javac once
# rather than once per library takes most of the time off.
generated=0 failed=0 names=()
declare -A notes
for lib in "${inputs[@]}"; do
  name=$(basename "$lib")
  dest="$work/out/$name"
  note=
  if ! "$tessivar" generate --typelib "$lib" "$scope" --dest "$dest" --runtime "$work/runtime" \
       --jar-module "${name%.*}" --package "com.example.lib_$(printf '%s' "$name" | tr -c 'A-Za-z0-9' _)" -q \
       > "$work/$name.generate.log" 2>&1; then
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
  names+=("$name")
  notes[$name]=$note
  find "$dest/src" -name '*.java' > "$work/$name.sources"
done

if ((generated > 0)); then
  for name in "${names[@]}"; do cat "$work/$name.sources"; done > "$work/all.sources"
  # The JIT's quick tier alone and the serial collector: a quarter less time for this run.
  "$javac" -J-XX:TieredStopAtLevel=1 -J-XX:+UseSerialGC -encoding UTF-8 -nowarn -Xlint:none -Xmaxerrs 100000 \
    -proc:none -d "$work/classes" -cp "$work/runtime/kovra.jar" "@$work/all.sources" > "$work/javac.log" 2>&1
  javac_status=$?
  # Each error line starts with the path of its file, which tells its library.
  for name in "${names[@]}"; do
    count=$(wc -l < "$work/$name.sources")
    errors=$(grep -F "$work/out/$name/" "$work/javac.log" | grep ': error:')
    if [ -z "$errors" ]; then
      echo "ok $name: $count files${notes[$name]}"
    else
      echo "JAVAC FAILED $name: $count files, $(printf '%s\n' "$errors" | wc -l) errors (log: $work/javac.log)"
      printf '%s\n' "$errors" | sed 's/^.*: error: //' | sort | uniq -c | sort -rn | head -5
      failed=$((failed + 1))
    fi
  done
  # javac failing with no error line of any library (out of memory, say) fails the run too.
  if ((javac_status != 0)) && ! grep -q ': error:' "$work/javac.log"; then
    echo "JAVAC FAILED (exit $javac_status): $(head -c 300 "$work/javac.log")"
    failed=$((failed + 1))
  fi
fi

echo "$generated type libraries generated, $failed failed"
((generated == 0 && failed == 0)) && { echo "nothing was generated"; exit 1; }
((failed == 0))
