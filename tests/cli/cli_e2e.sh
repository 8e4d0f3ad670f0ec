#!/usr/bin/env bash
# End-to-end runs of the built tessivar binary: one case per call, named by the first argument.
# Needs TESSIVAR (the binary) and SAMPLE (the bundled sample type library) in the environment.
set -uo pipefail

case_name=$1
work=$(mktemp -d)
cd "$work"
# No stored settings and no Wine prefix but the ones a case makes.
export HOME=$work/home XDG_CONFIG_HOME=$work/config
unset WINEPREFIX
mkdir -p "$HOME"
# Captured output lives apart from the files the cases make.
cap=$(mktemp -d)
trap 'rm -rf "$work" "$cap"' EXIT
settings_file=$XDG_CONFIG_HOME/tessivar/settings.ini

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Runs the binary; leaves the exit status in $status and the output in $cap/out and $cap/err.
run() {
    "$TESSIVAR" "$@" >"$cap/out" 2>"$cap/err"
    status=$?
}
# The same, stopped after 20 seconds: for input that could make a run wait for good.
run_briefly() {
    timeout 20 "$TESSIVAR" "$@" >"$cap/out" 2>"$cap/err"
    status=$?
}
expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1 (stderr: $(cat "$cap/err"))"; }
expect_err() { [ "$(cat "$cap/err")" = "$1" ] || fail "stderr was [$(cat "$cap/err")], expected [$1]"; }
expect_err_has() { grep -qF -- "$1" "$cap/err" || fail "stderr [$(cat "$cap/err")] lacks [$1]"; }
# A successful run says nothing on standard error but its summary line.
expect_summary_only() {
    [ "$(wc -l <"$cap/err")" -eq 1 ] && grep -qE '^Summary: [0-9]+ files? written, [0-9]+ unchanged, 0 failed, 0 types incomplete, [0-9]+\.[0-9]{2} s\.$' "$cap/err" ||
        fail "stderr was [$(cat "$cap/err")], expected only the summary of a successful run"
}
expect_out_has() { grep -qxF -- "$1" "$cap/out" || fail "stdout lacks the line [$1]"; }
expect_out_empty() { [ ! -s "$cap/out" ] || fail "stdout not empty: $(head -3 "$cap/out")"; }

make_runtime() {
    mkdir -p "$work/kovra"
    : >"$work/kovra/kovra.jar"
    : >"$work/kovra/kovra.dll"
}

# A Wine prefix whose registry holds the sample's class as Sample.Widget.1, its library on drive C.
make_prefix() {
    local p=$work/prefix
    mkdir -p "$p/drive_c/lib" "$p/dosdevices"
    cp "$SAMPLE" "$p/drive_c/lib/widget.tlb"
    ln -s ../drive_c "$p/dosdevices/c:"
    cat >"$p/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

[Software\\Classes\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}] 1700000000
@="Widget"

[Software\\Classes\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}\\ProgID] 1700000000
@="Sample.Widget.1"

[Software\\Classes\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}\\TypeLib] 1700000000
@="{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}"

[Software\\Classes\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}\\Version] 1700000000
@="1.0"

[Software\\Classes\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D99}\\ProgID] 1700000000
@="Sample.NoTypeLib"

[Software\\Classes\\TypeLib\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}\\1.0\\0\\win32] 1700000000
@="C:\\lib\\widget.tlb"
REG
}

# Every "Generating ...: PATH" line of the log names a file that now exists.
expect_logged_files_exist() {
    local n=0 path
    while IFS= read -r path; do
        n=$((n + 1))
        [ -f "$path" ] || fail "logged but not written: $path"
    done < <(sed -n 's/^Generating [^:]*: //p' "$cap/out")
    [ "$n" -gt 0 ] || fail "no file was logged"
}

case $case_name in
usage)
    run; expect_status 2
    run frobnicate; expect_status 2
    run generate --typelib "$SAMPLE" --no-such-option; expect_status 2
    run generate; expect_status 2; expect_err_has "give --progid NAME, or --typelib FILE"
    run show; expect_status 2
    run generate --progid A --typelib "$SAMPLE"; expect_status 2
    run generate --all --progid A; expect_status 2
    run generate --coclass Widget --progid A; expect_status 2
    run list --drive C=/tmp; expect_status 2
    run list --registry x.reg --drive 7=/tmp; expect_status 2
    ;;
help)
    run --version; expect_status 0; expect_out_has "tessivar 0.1.0"
    for cmd in "" generate list show dump; do
        run $cmd --help; expect_status 0; grep -q "^Usage:" "$cap/out" || fail "no usage text for '$cmd'"
    done
    ;;
man_page)
    # The installed manual names every option the commands accept.
    sed 's/\\//g' "$MAN_PAGE" >"$work/man.txt"
    for cmd in generate list show dump; do
        run $cmd --help
        for opt in $(grep -oE -- '--[a-z][a-z-]+' "$cap/out" | sort -u); do
            [ "$opt" = --help ] && continue
            grep -qF -- "$opt" "$work/man.txt" || fail "tessivar.1 does not describe $cmd $opt"
        done
    done
    ;;
missing_jar_module)
    make_runtime
    run generate --typelib "$SAMPLE" --runtime "$work/kovra" --dest "$work/out-dir"
    expect_status 1; expect_err "Error: Enter Module Name."; expect_out_empty
    [ ! -e "$work/out-dir" ] || fail "a destination was made"
    [ ! -e "$settings_file" ] || fail "settings were stored"
    ;;
runtime_folder)
    run generate --typelib "$SAMPLE" --jar-module W
    expect_status 1
    expect_err "Error: No runtime folder: give --runtime DIR, the folder that holds kovra.jar and kovra.dll."
    run generate --typelib "$SAMPLE" --jar-module W --runtime "$work/nowhere"
    expect_status 1; expect_err "Error: The runtime folder $work/nowhere does not exist."
    mkdir -p "$work/half"; : >"$work/half/kovra.jar"
    run generate --typelib "$SAMPLE" --jar-module W --runtime half
    expect_status 1; expect_err "Error: The runtime folder $work/half has no kovra.dll."
    mkdir -p "$work/bare"
    run generate --typelib "$SAMPLE" --jar-module W --runtime "$work/bare"
    expect_status 1; expect_err "Error: The runtime folder $work/bare has neither kovra.jar nor kovra.dll."
    expect_out_empty
    ;;
not_a_typelib)
    make_runtime
    printf 'just text\n' >"$work/notes.tlb"
    run generate --typelib notes.tlb --jar-module W --runtime kovra
    expect_status 1; expect_err_has "Error: $work/notes.tlb is not a type library that can be loaded (0x"
    run list --typelib "$work/missing.tlb"
    expect_status 1; expect_err "Error: $work/missing.tlb: no such file."
    ;;
registry_list)
    make_prefix
    run list --wine-prefix "$work/prefix" --path
    expect_status 0
    [ "$(cat "$cap/out")" = "Sample.Widget.1	C:\\lib\\widget.tlb" ] || fail "list gave [$(cat "$cap/out")]"
    # The same registry as a regedit export, its drive C given by hand.
    printf 'REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}\\ProgID]\r\n@="Sample.Widget.1"\r\n' >"$work/classes.reg"
    printf '[HKEY_CLASSES_ROOT\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}\\TypeLib]\r\n@="{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}"\r\n' >>"$work/classes.reg"
    printf '[HKEY_CLASSES_ROOT\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}\\Version]\r\n@="1.0"\r\n' >>"$work/classes.reg"
    printf '[HKEY_CLASSES_ROOT\\TypeLib\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}\\1.0\\0\\win32]\r\n@="C:\\\\lib\\\\widget.tlb"\r\n' >>"$work/classes.reg"
    run list --registry "$work/classes.reg" --drive "C=$work/prefix/drive_c" --guid
    expect_status 0
    [ "$(cat "$cap/out")" = "Sample.Widget.1	{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}" ] || fail "list gave [$(cat "$cap/out")]"
    run list --wine-prefix "$work/no-prefix"
    expect_status 1; expect_err_has "Error: There is no Wine prefix at $work/no-prefix"
    ;;
unknown_class)
    make_prefix; make_runtime
    export WINEPREFIX=$work/prefix
    run generate --progid Sample.NoTypeLib --jar-module W --runtime kovra
    expect_status 1
    expect_err "Error: No registered class with a type library has the ProgID Sample.NoTypeLib (tessivar list shows those that have)."
    run show --progid No.Such
    expect_status 1
    ;;

# The cases below read the sample library itself.
generate_file)
    make_runtime
    run generate --typelib "$SAMPLE" --jar-module WidgetWrappers --package com.example.widgets --dest out \
        --runtime kovra
    expect_status 0; expect_summary_only
    expect_out_has "Creating folder: $work/out"
    expect_out_has "Current Directory: $work"
    expect_out_has "Generating CoClass interface: $work/out/src/com/example/widgets/WidgetLib/Widget.java"
    [ "$(tail -1 "$cap/out")" = "Generating build file: $work/out/build.xml" ] || fail "last line: $(tail -1 "$cap/out")"
    expect_logged_files_exist
    grep -q "^Dest=$work/out\$" "$settings_file" || fail "Dest not stored"
    # Quiet: the same run prints nothing.
    run generate --typelib "$SAMPLE" --quiet
    expect_status 0; expect_out_empty; expect_err ""
    ;;
stored_settings)
    make_runtime
    run generate --typelib "$SAMPLE" --jar-module First --package p.one --dest one --runtime kovra
    expect_status 0
    # Options not given come from the store; --no-save leaves the store alone.
    run generate --typelib "$SAMPLE" --package p.two --no-save
    expect_status 0
    # Each value taken from the store is named once; the package was given.
    [ "$(grep -c '^Note: ' "$cap/err")" -eq 3 ] || fail "not one note per stored value: $(cat "$cap/err")"
    expect_err_has "Note: jar module First, from the settings file $settings_file."
    expect_err_has "Note: destination $work/one, from the settings file $settings_file."
    expect_err_has "Note: runtime folder $work/kovra, from the settings file $settings_file."
    expect_out_has "Generating build file: $work/one/build.xml"
    [ -d "$work/one/src/p/two" ] || fail "the given package was not used"
    grep -qx "Package=p.one" "$settings_file" || fail "--no-save changed the store: $(cat "$settings_file")"
    run generate --typelib "$SAMPLE" --package p.three
    grep -qx "Package=p.three" "$settings_file" || fail "the run did not store its settings"
    grep -qx "JarModule=First" "$settings_file" || fail "JarModule lost"
    ;;
generate_progid)
    make_prefix; make_runtime
    run generate --wine-prefix "$work/prefix" --progid Sample.Widget.1 --jar-module W --dest out --runtime kovra
    expect_status 0; expect_summary_only
    expect_out_has "Generating CoClass interface: $work/out/src/WidgetLib/Widget.java"
    expect_logged_files_exist
    run show --wine-prefix "$work/prefix" --progid Sample.Widget.1
    expect_status 0
    expect_out_has "CoClass: Widget"
    expect_out_has "    IWidget {5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D05} default"
    expect_out_has "    _WidgetEvents {5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D06} default source"
    ;;
generate_all)
    make_runtime
    run generate --typelib "$SAMPLE" --all --jar-module W --dest out --runtime kovra
    expect_status 0; expect_summary_only
    expect_logged_files_exist
    run list --typelib "$SAMPLE"
    [ "$(cat "$cap/out")" = "Widget" ] || fail "list gave [$(cat "$cap/out")]"
    ;;
generate_maven)
    make_runtime
    run generate --typelib "$SAMPLE" --jar-module W --package p.x --dest maven --runtime kovra --maven
    expect_status 0; expect_summary_only
    expect_logged_files_exist
    [ "$(tail -1 "$cap/out")" = "Generating Maven build file: $work/maven/pom.xml" ] ||
        fail "the pom is not logged last: $(tail -2 "$cap/out")"
    grep -qxF "        <kovra.class.path>$work/kovra/kovra.jar</kovra.class.path>" maven/pom.xml ||
        fail "the pom's runtime jar is not the full path of the run's: $(grep kovra.class.path maven/pom.xml)"
    keys=$(grep -v '^[#[]' "$settings_file" | cut -d= -f1 | sort | tr '\n' ' ')
    [ "$keys" = "Dest JarModule Package Path " ] || fail "the store holds [$keys], not the four settings"
    # Without the option: the same build file, no pom.
    run generate --typelib "$SAMPLE" --jar-module W --package p.x --dest ant --runtime kovra
    expect_status 0
    cmp -s maven/build.xml ant/build.xml || fail "--maven changed build.xml"
    [ ! -e ant/pom.xml ] || fail "a pom was written without --maven"
    # A pom that cannot be written fails the run, and says which file.
    mkdir -p blocked/pom.xml
    run generate --typelib "$SAMPLE" --jar-module W --dest blocked --runtime kovra --maven
    expect_status 1
    expect_err_has "Error: $work/blocked/pom.xml cannot be created (Is a directory)."
    ;;
unknown_coclass)
    make_runtime
    run generate --typelib "$SAMPLE" --coclass Gadget --jar-module W --runtime kovra
    expect_status 1; expect_err "Error: $SAMPLE has no coclass named Gadget."
    ;;
dump)
    run dump "$SAMPLE"
    expect_status 0; expect_err ""
    grep -q "WidgetColor" "$cap/out" || fail "the dump does not show WidgetColor"
    cp "$cap/out" "$work/first"
    run dump "$SAMPLE" -o "$work/dumped.txt"
    expect_status 0; expect_out_empty
    cmp -s "$work/first" "$work/dumped.txt" || fail "dump -o wrote other text than standard output"
    printf 'just text\n' >"$work/notes.tlb"
    run dump "$work/notes.tlb"
    expect_status 1; expect_err_has "Error: $work/notes.tlb cannot be loaded as a type library (0x"
    ;;
special_files)
    # Pipes and devices are refused at once, never read or waited on.
    mkfifo "$work/pipe.tlb"
    run_briefly dump "$work/pipe.tlb"
    expect_status 1; expect_err_has "Error: $work/pipe.tlb cannot be loaded as a type library"
    run_briefly dump /dev/zero
    expect_status 1; expect_err_has "Error: /dev/zero cannot be loaded as a type library"
    run_briefly list --registry "$work/pipe.tlb"
    expect_status 1; expect_err "Error: The registry cannot be read: $work/pipe.tlb: is not a regular file."
    run_briefly dump "$SAMPLE" -o "$work/pipe.tlb"
    expect_status 1; expect_err "Error: $work/pipe.tlb cannot be created (is not a regular file)."
    # A library that does not load leaves the output file as it was.
    printf 'kept\n' >"$work/kept.txt"
    run dump "$work/pipe.tlb" -o "$work/kept.txt"
    expect_status 1
    [ "$(cat "$work/kept.txt")" = "kept" ] || fail "a failed dump changed its output file"
    ;;
unwritable_destination)
    make_runtime
    : >"$work/plain"
    run generate --typelib "$SAMPLE" --jar-module W --dest plain/out --runtime kovra
    expect_status 1
    [ "$(head -1 "$cap/err")" = "Error: $work/plain/out cannot be created (Not a directory)." ] ||
        fail "stderr was [$(cat "$cap/err")]"
    # The summary of a failed run ends it.
    [[ "$(tail -1 "$cap/err")" == "Summary: 0 files written, 0 unchanged, 1 failed, 0 types incomplete, "* ]] ||
        fail "no summary of the failed run: $(cat "$cap/err")"
    ;;
bare_sample_golden)
    # No registry source at all: the imports of the sample resolve through the library built in, and the
    # files and log are those of a machine where stdole2 is registered.
    make_runtime
    mkdir -p "$work/lib"; cp "$SAMPLE" "$work/lib/widget.tlb"
    run generate --typelib lib/widget.tlb --jar-module WidgetWrappers --package com.example.widgets --dest out \
        --runtime kovra --no-save
    expect_status 0; expect_summary_only
    sed "s|$work|@WORK@|g" "$cap/out" >"$work/log.txt"
    cmp -s "$GOLDEN/log.txt" "$work/log.txt" || fail "log differs: $(diff "$GOLDEN/log.txt" "$work/log.txt")"
    (cd "$work/out" && find . -type f | sort) >"$work/files"
    (cd "$GOLDEN/out" && find . -type f | sort) >"$work/golden-files"
    cmp -s "$work/golden-files" "$work/files" || fail "files differ: $(diff "$work/golden-files" "$work/files")"
    while IFS= read -r f; do
        sed "s|$work|@WORK@|g" "$work/out/$f" | cmp -s "$GOLDEN/out/$f" - || fail "$f differs from $GOLDEN/out/$f"
    done <"$work/files"
    ;;
missing_import)
    # A library whose import is found nowhere: every type that lost members says so, the run ends with
    # the count, and the exit status tells a script the wrappers are incomplete.
    make_runtime
    run generate --typelib "$FIXTURES/tlb/unres64.tlb" --all --jar-module W --dest out --runtime kovra --no-save
    expect_status 1
    expect_err_has "Incomplete: IWidget of TessivarFeatures lost 17 functions: the type library it refers to, {7E57AB1E-0000-0000-C000-000000000046} 2.0 (missing.tlb), cannot be loaded; add the folder that holds it with --search-folder DIR, or give the Wine prefix where it is registered with --wine-prefix DIR."
    expect_err_has "Incomplete: 3 types lost 51 functions in all; their files were written without them."
    expect_logged_files_exist
    # --quiet drops the progress lines, never these.
    run generate --typelib "$FIXTURES/tlb/unres64.tlb" --all --jar-module W --dest out --runtime kovra --quiet --no-save
    expect_status 1; expect_out_empty
    expect_err_has "Incomplete: 3 types lost 51 functions in all"
    ;;
builtin_stdole)
    # Every library copied into a folder of its own, with no registry source, gives the files and log of
    # a machine that registers stdole2, apart from the header line naming where a stdole2 type came from.
    make_runtime
    mkdir -p "$work/drive_c/windows/system32"
    libs=("$FIXTURES/tlb/features64.tlb")
    if [ -f "$WINE_LIBS/stdole2.tlb" ]; then
        cp "$WINE_LIBS/stdole2.tlb" "$work/drive_c/windows/system32/"
        libs+=("$WINE_LIBS/scrrun.dll" "$WINE_LIBS/wshom.ocx" "$WINE_LIBS/msxml3.dll" "$WINE_LIBS/mshtml.tlb")
    else
        # Our own copy stands in for the package's file.
        cp "$BUILTIN_STDOLE2" "$work/drive_c/windows/system32/stdole2.tlb"
    fi
    for lib in "${libs[@]}"; do
        name=${lib##*/}
        mkdir -p "$work/$name"; cp "$lib" "$work/$name/"
        run generate --all --typelib "$work/$name/$name" --jar-module M --package org.example --dest "$work/$name/bare" \
            --runtime kovra --no-save
        cp "$cap/out" "$work/$name/bare.log"; bare_status=$status
        run generate --all --typelib "$work/$name/$name" --registry "$SOURCE_DIR/tests/fixtures/reg/stdole2_only.reg" \
            --drive "C=$work/drive_c" --jar-module M --package org.example --dest "$work/$name/registered" --runtime kovra \
            --no-save
        [ "$bare_status" -eq "$status" ] || fail "$name: exit status $bare_status without a registry, $status with one"
        grep -q "^Incomplete: " "$work/$name/bare.log" && fail "$name: $(grep -m1 '^Incomplete: ' "$work/$name/bare.log")"
        sed "s|$work/$name/registered|$work/$name/bare|" "$cap/out" | cmp -s "$work/$name/bare.log" - ||
            fail "$name: the logs differ"
        diff -r "$work/$name/bare" "$work/$name/registered" |
            grep -v '^diff -r ' | grep -vxF -e '---' -e '< // from TypeLib at <built-in>\stdole2.tlb'$'\r' \
            -e '> // from TypeLib at '$'\r' | grep -v '^[0-9,]*c[0-9,]*$' >"$work/$name/diff" || true
        [ ! -s "$work/$name/diff" ] || fail "$name: the files differ: $(head -5 "$work/$name/diff")"
    done
    grep -rqF '// from TypeLib at <built-in>\stdole2.tlb' "$work/features64.tlb/bare" ||
        fail "no stdole2 type names the built-in library"
    # The built-in library can be dumped by its name, and shows what the package's file shows.
    run dump '<built-in>\stdole2.tlb'
    expect_status 0
    cmp -s "$SOURCE_DIR/tests/typelib/golden/stdole2.txt" "$cap/out" || fail "the built-in stdole2 dumps other text"
    ;;
every_type_same_files)
    # Every file of generate-all is among an every-type run's files, with the same bytes or, where the
    # class runs of generate-all rewrote it, the bytes of the class run of one of the library's coclasses
    # (a coclass that lists an interface names its file, one that reaches it through a member does not).
    # The log has only the class runs' line forms and "Left out".
    make_runtime
    libs=("$FIXTURES/tlb/features64.tlb")
    for name in scrrun.dll msxml3.dll; do
        [ -f "$WINE_LIBS/$name" ] && libs+=("$WINE_LIBS/$name")
    done
    for lib in "${libs[@]}"; do
        name=$(basename "$lib")
        run generate --typelib "$lib" --all --jar-module J --package p.q --dest "$work/$name/all" --runtime kovra --no-save
        cp "$cap/out" "$work/$name.all.log"; all_status=$status
        run generate --typelib "$lib" --every-type --jar-module J --package p.q --dest "$work/$name/every" --runtime kovra --no-save
        [ "$status" -eq "$all_status" ] || fail "$name: every-type exited $status, generate-all $all_status"
        expect_logged_files_exist
        (cd "$work/$name/all" && find . -type f | LC_ALL=C sort) >"$work/$name.files"
        [ -s "$work/$name.files" ] || fail "$name: generate-all wrote nothing"
        classes_run=
        while IFS= read -r f; do
            if [ ! -f "$work/$name/every/$f" ]; then fail "$name: every-type did not write $f"; continue; fi
            cmp -s "$work/$name/all/$f" "$work/$name/every/$f" && continue
            if [ -z "$classes_run" ]; then
                classes_run=yes
                "$TESSIVAR" list --typelib "$lib" >"$work/$name.classes"
                while IFS= read -r class; do
                    "$TESSIVAR" generate --typelib "$lib" --coclass "$class" --jar-module J --package p.q \
                        --dest "$work/$name/class-$class" --runtime kovra --no-save >/dev/null 2>&1
                done <"$work/$name.classes"
            fi
            same=
            for tree in "$work/$name"/class-*; do
                cmp -s "$tree/$f" "$work/$name/every/$f" && same=yes && break
            done
            [ -n "$same" ] || fail "$name: $f differs from generate-all's and from every class run's"
        done <"$work/$name.files"
        [ "$(grep -c '^Generating build file: ' "$cap/out")" -eq 1 ] || fail "$name: the build file is not logged once"
        grep -vE '^(Creating folder|Current Directory|Generating [A-Za-z ]+|Name changed for Java|Left out [^:]+|Incomplete): ' \
            "$cap/out" >"$work/$name.odd" && fail "$name: unknown log lines: $(head -3 "$work/$name.odd")"
    done
    ;;
chosen_types)
    make_runtime
    run generate --typelib "$SAMPLE" --type iwidget --type WidgetColor --jar-module W --dest out --runtime kovra --no-save
    expect_status 0; expect_summary_only
    expect_out_has "Generating Dispatch interface: $work/out/src/WidgetLib/IWidget.java"
    expect_out_has "Generating enum interface: $work/out/src/WidgetLib/WidgetColor.java"
    expect_out_has "Generating Dispatch interface: $work/out/src/WidgetLib/IGadget.java"
    expect_logged_files_exist
    ! grep -qE '^Generating (stub|CoClass)' "$cap/out" || fail "more than the chosen types: $(grep '^Generating ' "$cap/out")"
    run generate --typelib "$SAMPLE" --type IWidgit --type Widget --jar-module W --dest none --runtime kovra --no-save
    expect_status 2; expect_out_empty
    expect_err "Error: $SAMPLE has no type named IWidgit; the closest names are IWidget, Widget and IGadget."
    [ ! -e "$work/none" ] || fail "an unknown name still made the destination"
    run generate --typelib "$SAMPLE" --type IWidget --every-type --jar-module W --runtime kovra
    expect_status 2
    run generate --typelib "$SAMPLE" --type IWidget --all --jar-module W --runtime kovra
    expect_status 2
    run generate --every-type --progid A --jar-module W --runtime kovra
    expect_status 2
    # A library without coclasses: generate-all and list point to --every-type, which writes its types.
    msi=$WINE_LIBS/msi.dll
    if [ -f "$msi" ]; then
        run generate --typelib "$msi" --all --jar-module M --dest msi --runtime kovra --no-save
        expect_status 1
        expect_err "Error: $msi holds no coclass; generate --every-type writes the types it holds."
        run list --typelib "$msi"
        expect_status 1; expect_out_empty
        expect_err "Error: $msi holds no coclass; generate --every-type writes the types it holds."
        run generate --typelib "$msi" --every-type --jar-module M --dest msi --runtime kovra --no-save
        expect_status 0; expect_summary_only
        expect_logged_files_exist
    fi
    ;;
option_checks)
    # Every bad value is told at once, with usage status, before anything is made or stored.
    make_runtime
    run generate --typelib "$SAMPLE" --jar-module a/b --package com.example.int --dest out --runtime kovra
    expect_status 2
    expect_err "Error: --jar-module a/b cannot name the jar file: it holds the path separator /.
Error: --package com.example.int is not a Java package name: \"int\" is a Java keyword."
    run generate --typelib "$SAMPLE" --jar-module .. --package 1bad --dest out
    expect_status 2
    expect_err "Error: No runtime folder: give --runtime DIR, the folder that holds kovra.jar and kovra.dll.
Error: --jar-module .. cannot name the jar file: it names a folder.
Error: --package 1bad is not a Java package name: \"1bad\" starts with a digit."
    [ ! -e out ] || fail "a destination was made"
    [ ! -e "$settings_file" ] || fail "settings were stored"
    # A settings file changed by hand (or by someone else) is checked the same way, and named.
    run generate --typelib "$SAMPLE" --jar-module Good --package p.ok --dest out --runtime kovra
    expect_status 0
    sed -i -e 's|^JarModule=.*|JarModule=../up|' -e 's|^Package=.*|Package=com.evil-pkg|' "$settings_file"
    run generate --typelib "$SAMPLE"
    expect_status 2
    expect_err "Note: jar module ../up, from the settings file $settings_file.
Note: package com.evil-pkg, from the settings file $settings_file.
Note: destination $work/out, from the settings file $settings_file.
Note: runtime folder $work/kovra, from the settings file $settings_file.
Error: The jar module ../up from the settings file $settings_file cannot name the jar file: it holds the path separator / (give --jar-module to replace it).
Error: The package com.evil-pkg from the settings file $settings_file is not a Java package name: \"evil-pkg\" is not a Java identifier (give --package to replace it)."
    grep -qx "JarModule=../up" "$settings_file" || fail "a refused run changed the store"
    run generate --typelib "$SAMPLE" --jar-module Fixed --package p.fixed --quiet
    expect_status 0; expect_err ""
    ;;
case_names)
    # Names match ignoring case; a miss suggests the near names.
    make_prefix; make_runtime
    export WINEPREFIX=$work/prefix
    run show --progid sample.widget.1
    expect_status 0
    expect_out_has "CoClass: Widget"
    expect_out_has "CLSID: {5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}"
    run generate --typelib "$SAMPLE" --coclass WIDGET --jar-module W --dest out --runtime kovra --no-save
    expect_status 0; expect_summary_only
    expect_out_has "Generating CoClass interface: $work/out/src/WidgetLib/Widget.java"
    run generate --progid Sample.Widgte.1 --jar-module W --runtime kovra --no-save
    expect_status 1
    expect_err "Error: No registered class with a type library has the ProgID Sample.Widgte.1 (tessivar list shows those that have). Did you mean Sample.Widget.1?"
    run show --typelib "$SAMPLE" --coclass Widgt
    expect_status 1; expect_err "Error: $SAMPLE has no coclass named Widgt. Did you mean Widget?"
    ;;
reg_drive_hint)
    # An export from another machine names its files by drive: without --drive they are not found here.
    make_runtime
    printf 'REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}\\ProgID]\r\n@="Sample.Widget.1"\r\n' >"$work/classes.reg"
    printf '[HKEY_CLASSES_ROOT\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}\\TypeLib]\r\n@="{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}"\r\n' >>"$work/classes.reg"
    printf '[HKEY_CLASSES_ROOT\\CLSID\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}\\Version]\r\n@="1.0"\r\n' >>"$work/classes.reg"
    printf '[HKEY_CLASSES_ROOT\\TypeLib\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}\\1.0\\0\\win32]\r\n@="D:\\\\lib\\\\widget.tlb"\r\n' >>"$work/classes.reg"
    run generate --registry "$work/classes.reg" --progid Sample.Widget.1 --jar-module W --runtime kovra --no-save
    expect_status 1
    expect_err "Error: The type library of Sample.Widget.1 (D:\\lib\\widget.tlb) cannot be loaded or holds no coclass with its CLSID. It is not found here: give --drive D=DIR for the folder that holds drive D: of the machine the export comes from."
    mkdir -p "$work/d/lib"; cp "$SAMPLE" "$work/d/lib/widget.tlb"
    run show --registry "$work/classes.reg" --drive "D=$work/d" --progid Sample.Widget.1
    expect_status 0; expect_out_has "CoClass: Widget"
    ;;
list_typelibs)
    # The registered libraries, and the machine-readable documents of list and show.
    printf 'REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\TypeLib\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}\\1.0]\r\n@="Widget \\"Library\\""\r\n' >"$work/libs.reg"
    printf '[HKEY_CLASSES_ROOT\\TypeLib\\{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}\\1.0\\0\\win32]\r\n@="C:\\\\lib\\\\widget.tlb"\r\n' >>"$work/libs.reg"
    printf '[HKEY_CLASSES_ROOT\\TypeLib\\{00000000-0000-0000-0000-0000000000AA}\\2.1]\r\n@="another"\r\n' >>"$work/libs.reg"
    run list --registry "$work/libs.reg" --typelibs
    expect_status 0
    [ "$(cat "$cap/out")" = "{00000000-0000-0000-0000-0000000000AA}	2.1	another	
{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}	1.0	Widget \"Library\"	C:\\lib\\widget.tlb" ] || fail "list --typelibs gave [$(cat "$cap/out")]"
    run list --registry "$work/libs.reg" --typelibs --json
    expect_status 0
    python3 - "$cap/out" <<'PY' || fail "list --typelibs --json: $(cat "$cap/out")"
import json, sys
doc = json.load(open(sys.argv[1]))
assert doc == {"typeLibs": [
    {"guid": "{00000000-0000-0000-0000-0000000000AA}", "version": "2.1", "name": "another", "path": ""},
    {"guid": "{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}", "version": "1.0", "name": 'Widget "Library"',
     "path": "C:\\lib\\widget.tlb"}]}, doc
PY
    run list --typelib "$SAMPLE" --json
    expect_status 0
    python3 - "$cap/out" "$SAMPLE" <<'PY' || fail "list --json: $(cat "$cap/out")"
import json, sys
doc = json.load(open(sys.argv[1]))
assert doc == {"classes": [{"name": "Widget", "clsid": "{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}",
                            "typeLibGuid": "{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D01}", "typeLibPath": sys.argv[2]}]}, doc
PY
    run show --typelib "$SAMPLE" --json
    expect_status 0
    python3 - "$cap/out" "$SAMPLE" <<'PY' || fail "show --json: $(cat "$cap/out")"
import json, sys
doc = json.load(open(sys.argv[1]))
assert list(doc) == ["name", "clsid", "typeLibGuid", "typeLibPath", "coClass", "interfaces"], list(doc)
assert doc["clsid"] == "{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D07}" and doc["typeLibPath"] == sys.argv[2], doc
assert doc["interfaces"] == [
    {"name": "IWidget", "guid": "{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D05}", "flags": ["default"]},
    {"name": "_WidgetEvents", "guid": "{5A1E0C00-7B3D-4C21-9E10-2F6A8B4C0D06}", "flags": ["default", "source"]}], doc
PY
    # A library without coclasses has nothing to list, and says so (compiled here when widl is at hand).
    widl=/usr/lib/wine/widl
    if [ -x "$widl" ]; then
        printf '[uuid(7E57AB1E-1111-2222-3333-444455556666), version(1.0)]\nlibrary NoClasses\n{\n    typedef enum Colour { Red = 1 } Colour;\n};\n' >"$work/none.idl"
        "$widl" --win64 -t -o "$work/none.tlb" "$work/none.idl" || fail "widl failed"
        run list --typelib "$work/none.tlb"
        expect_status 1; expect_out_empty; expect_err "Error: $work/none.tlb holds no coclass; generate --every-type writes the types it holds."
    fi
    run list --typelibs --typelib "$SAMPLE"
    expect_status 2
    ;;
completion)
    # The installed completion offers the subcommands and every option each one's --help names.
    # shellcheck source=/dev/null
    source "$SOURCE_DIR/app/cli/tessivar.bash-completion"
    [[ "$(complete -p tessivar)" == *"-F _tessivar tessivar" ]] || fail "no completion for tessivar: $(complete -p tessivar)"
    complete_words() {
        COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()
        _tessivar
        echo "${COMPREPLY[*]}"
    }
    [ "$(complete_words tessivar "")" = "generate list show dump --help --version" ] || fail "commands: $(complete_words tessivar "")"
    [ "$(complete_words tessivar g)" = generate ] || fail "g: $(complete_words tessivar g)"
    [ "$(complete_words tessivar list --type)" = "--typelib --typelibs" ] || fail "list --type: $(complete_words tessivar list --type)"
    [ "$(complete_words tessivar generate --jar-module "")" = "" ] || fail "a name got completions"
    mkdir -p "$work/dirs/sub"; : >"$work/dirs/file.tlb"
    [ "$(complete_words tessivar generate --dest "$work/dirs/")" = "$work/dirs/sub" ] || fail "--dest: $(complete_words tessivar generate --dest "$work/dirs/")"
    [ "$(complete_words tessivar show --typelib "$work/dirs/f")" = "$work/dirs/file.tlb" ] || fail "--typelib: $(complete_words tessivar show --typelib "$work/dirs/f")"
    for cmd in generate list show dump; do
        offered=" $(complete_words tessivar "$cmd" -) "
        run "$cmd" --help
        for opt in $(grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' "$cap/out" | tr -d ' ,' | sort -u); do
            [[ "$offered" == *" $opt "* ]] || fail "completion of $cmd lacks $opt"
        done
    done
    ;;
*)
    echo "no such case: $case_name" >&2
    exit 2
    ;;
esac
exit $((failures > 0))
