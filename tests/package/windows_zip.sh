#!/usr/bin/env bash
# Makes the Windows zip of this build tree, checks it holds the two programs and the README, that both
# programs load only DLLs of the system, and runs the unpacked tessivar.exe --version under Wine.
# Arguments: the build tree, the version, a scratch folder.
set -uo pipefail

build=$1 version=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
name=tessivar-$version-win64
zip=$work/packages/$name.zip
[ -f "$zip" ] || { ls "$work/packages" >&2; echo "FAIL: no $zip" >&2; exit 1; }

unzip -Z1 "$zip" | grep -v '/$' | sort >"$work/contents"
printf '%s\n' "$name/LICENSE" "$name/README.md" "$name/gui/Tessivar.exe" "$name/tessivar.exe" | sort >"$work/expected"
diff "$work/expected" "$work/contents" || fail "the zip's files differ from the list above"

unzip -q "$zip" -d "$work/unpacked" || fail "unzip"
dir=$work/unpacked/$name
# Statically linked: every DLL a program imports is one Wine provides as a system DLL, none is the cross
# compiler's runtime (libstdc++, libgcc, winpthread).
system_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
for exe in "$dir/tessivar.exe" "$dir/gui/Tessivar.exe"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p')
    [ -n "$dlls" ] || fail "$exe imports nothing: not a program?"
    for dll in $dlls; do
        lower=${dll,,}
        [ -e "$system_dlls/$lower" ] || fail "$(basename "$exe") imports $dll, which is not a system DLL"
    done
done

out=$(cd "$dir" && wine ./tessivar.exe --version 2>/dev/null | tr -d '\r')
echo "unpacked: $out"
[ "$out" = "tessivar $version" ] || fail "tessivar.exe --version printed [$out]"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "PASS: $(basename "$zip"), $(stat -c %s "$zip") bytes"
