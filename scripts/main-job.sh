#!/usr/bin/env bash
# Builds the tool and generates the Java wrappers of the bundled sample type library.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
out=build/sample-output
runtime=build/sample-runtime
# Stand-ins for the bridge runtime's two files, for trying the tool only: the generator just checks
# that they are present.
mkdir -p "$runtime"
[ -f "$runtime/kovra.jar" ] || : > "$runtime/kovra.jar"
[ -f "$runtime/kovra.dll" ] || : > "$runtime/kovra.dll"
rm -rf "$out"
build/release/tessivar generate --typelib sample/widget.tlb --jar-module WidgetWrappers \
    --package com.example.widgets --dest "$out" --runtime "$(pwd)/$runtime"
echo "Generated files:"
find "$out" -type f | sort
