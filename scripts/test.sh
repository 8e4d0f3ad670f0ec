#!/usr/bin/env bash
# Builds every configuration the tests need and runs all tests: the whole suite under the sanitizers, the
# Windows build under Wine with its zip, the fuzz targets briefly, and in the optimised build the long
# javac runs, the Maven builds and the Debian package. Each stage prints the seconds it took.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
# stage NAME COMMAND...: runs one stage and says how long it took.
stage() {
  local name=$1 from=$SECONDS
  shift
  echo "== stage: $name"
  "$@"
  echo "== stage: $name took $((SECONDS - from)) s"
}
stage dependencies bash scripts/install-deps.sh
stage "dev build" bash -c 'cmake --preset dev && cmake --build --preset dev'
# As on a bare machine: no Wine prefix and a fresh home, so nothing a prefix registers can hide what a
# user without one meets (the tests that need a prefix make their own).
bare_home=$(mktemp -d)
stage "dev tests" env -u WINEPREFIX HOME="$bare_home" XDG_CONFIG_HOME="$bare_home/.config" ctest --preset dev -j2
rm -rf "$bare_home"
# The Windows build under Wine: its unit tests, the dialog (with its generation worker thread), the same
# output as the portable build; then the reader against the platform's own type library loading, library
# by library.
stage "windows build and tests" bash scripts/test-windows.sh
stage "reader against the platform" bash scripts/compare-with-platform.sh
# A short run of each fuzz target (longer runs: fuzz/run.sh SECONDS).
stage fuzz bash fuzz/run.sh 20
# The optimised build: the long javac runs, Maven building generated trees offline, and the Debian
# package installed into a scratch root.
# Only what those tests run: the program, its manual page and the runtime stand-in (the unit tests ran
# in the sanitizer build).
stage "release build" bash -c 'cmake --preset release && cmake --build --preset release --target tessivar man_page kovra_stub'
stage "release tests" ctest --preset release -j2 -L 'javac|maven|package'
echo "== all stages took $((SECONDS - started)) s"
