#!/usr/bin/env bash
# Builds generated trees with Debian's Maven, offline, against Debian's Maven repository, and checks that
# the jar holds a class for every generated source and nothing else. One case per call (first argument).
# Needs TESSIVAR, KOVRA_JAR (the runtime stand-in), SAMPLE and WORK (a folder of the build tree) in the
# environment; MSXML3 for the msxml3 case.
set -uo pipefail

case_name=$1
work=$WORK/$case_name
rm -rf "$work"
mkdir -p "$work/home" "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/config
cp "$KOVRA_JAR" "$work/runtime/kovra.jar"
: >"$work/runtime/kovra.dll"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Maven resolves its plugins from /usr/share/maven-repo, the Debian packages' repository, used as the
# local repository with no remote one: it reads there and downloads nothing. What it writes stays in
# the tree it builds; the check at the end makes sure nothing in the repository changed.
repo=/usr/share/maven-repo
cat >"$work/settings.xml" <<SETTINGS
<settings>
  <localRepository>$repo</localRepository>
  <offline>true</offline>
</settings>
SETTINGS
marker=$work/started
: >"$marker"

# Runs Maven in a generated tree; its output goes to $work/mvn.log.
mvn_in() {
    local dir=$1
    shift
    (cd "$dir" && mvn -o -B -s "$work/settings.xml" -Dmaven.repo.local="$repo" "$@") >"$work/mvn.log" 2>&1
}

# Maven took the pom as it is: no problems in its model (a missing plugin version, say).
expect_clean_model() {
    ! grep -q 'problems were encountered while building the effective model' "$work/mvn.log" ||
        fail "Maven found problems in the pom: $(grep -A3 'effective model' "$work/mvn.log")"
}

generate() {
    "$TESSIVAR" generate --no-save --quiet --runtime "$work/runtime" "$@" || fail "tessivar generate $* failed"
}

# The classes of the jar, each inner class counted as its outer one, against the sources of src/.
check_jar() {
    local tree=$1 jar=$2
    [ -f "$jar" ] || { fail "no jar $jar"; return; }
    (cd "$tree/src" && find . -name '*.java' | sed 's|^\./||; s|\.java$||' | LC_ALL=C sort) >"$work/sources"
    unzip -Z1 "$jar" | grep '\.class$' | sed 's|\$.*||; s|\.class$||' | LC_ALL=C sort -u >"$work/classes"
    [ -s "$work/sources" ] || fail "no sources were generated"
    diff "$work/sources" "$work/classes" >"$work/jar.diff" ||
        fail "the jar's classes differ from the sources (< source only, > class only): $(head -20 "$work/jar.diff")"
    unzip -p "$jar" META-INF/MANIFEST.MF | tr -d '\r' | grep -qx 'Class-Path: kovra.jar' ||
        fail "the jar's manifest lacks Class-Path: kovra.jar"
    echo "$(wc -l <"$work/sources") sources, $(unzip -Z1 "$jar" | grep -c '\.class$') classes in $(basename "$jar")"
}

case $case_name in
widget)
    # The sample, built with its pom's defaults: the runtime jar from the folder of the run.
    generate --typelib "$SAMPLE" --jar-module WidgetWrappers --package com.example.widgets --dest "$work/out" --maven
    mvn_in "$work/out" package || fail "mvn package failed: $(tail -30 "$work/mvn.log")"
    expect_clean_model
    check_jar "$work/out" "$work/out/target/WidgetWrappers-1.0.jar"
    ;;
runtime_override)
    # The runtime jar moved after the run: the pom's default path no longer builds, the property given on
    # the command line does.
    generate --typelib "$SAMPLE" --jar-module WidgetWrappers --package com.example.widgets --dest "$work/out" --maven
    mkdir -p "$work/moved"
    mv "$work/runtime/kovra.jar" "$work/moved/kovra.jar"
    if mvn_in "$work/out" compile; then fail "mvn compile succeeded without the runtime jar"; fi
    grep -q 'kovra' "$work/mvn.log" || fail "Maven's error does not name the runtime jar: $(tail -20 "$work/mvn.log")"
    mvn_in "$work/out" package "-Dkovra.class.path=$work/moved/kovra.jar" ||
        fail "mvn package -Dkovra.class.path failed: $(tail -30 "$work/mvn.log")"
    check_jar "$work/out" "$work/out/target/WidgetWrappers-1.0.jar"
    ;;
msxml3)
    # Every coclass of a large library.
    generate --typelib "$MSXML3" --all --jar-module Msxml3Wrappers --package com.example.msxml3 --dest "$work/out" \
        --maven
    start=$(date +%s%N)
    mvn_in "$work/out" package || fail "mvn package failed: $(tail -30 "$work/mvn.log")"
    echo "mvn package: $((($(date +%s%N) - start) / 1000000)) ms"
    expect_clean_model
    check_jar "$work/out" "$work/out/target/Msxml3Wrappers-1.0.jar"
    ;;
*)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac

changed=$(find "$repo" -newer "$marker" -print -quit)
[ -z "$changed" ] || fail "Maven changed its repository: $changed"
[ ! -e "$HOME/.m2" ] || fail "Maven wrote $HOME/.m2"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed; Maven's output: $work/mvn.log" >&2
    exit 1
fi
echo "PASS: $case_name"
