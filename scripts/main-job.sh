#!/usr/bin/env bash
# Builds the tool, generates the Java wrappers of the bundled sample type library and builds them with ant.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh main
cmake --preset release
# The tool, and the compile-only stand-in of the runtime's kovra.jar that the test build makes.
cmake --build --preset release --target tessivar kovra_stub

# A runtime folder for trying the tool: the stand-in kovra.jar (the runtime's classes with empty bodies,
# enough to compile against, not to run) and a placeholder kovra.dll (the tool only checks it is there).
runtime=build/sample-runtime
mkdir -p "$runtime"
cp build/release/tests/java/kovra.jar "$runtime/kovra.jar"
printf 'placeholder: the runtime native library is not part of this project\n' >"$runtime/kovra.dll"

out=build/sample-output
rm -rf "$out"
build/release/tessivar generate --typelib sample/widget.tlb --jar-module WidgetWrappers \
    --package com.example.widgets --dest "$out" --runtime "$runtime" --no-save

# The generated build file compiles, documents, jars and zips the sources.
(cd "$out" && ant -noinput -quiet)
echo "Generated and built:"
find "$out" -type f | sort
