#!/usr/bin/env bash
# Regenerates the compiled reader fixtures in tests/fixtures/tlb from tests/fixtures/idl with widl,
# then derives the variants widl cannot write: re-encoded constants, an unresolvable import, names that
# try to leave the output folder, names that are Java syntax, and resource-only PE32 and PE32+ modules. The results are committed; rerun after editing the IDL.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
idl=$root/tests/fixtures/idl
out=$root/tests/fixtures/tlb
widl=${WIDL:-/usr/lib/wine/widl}
includes=${WIDL_INCLUDES:-/usr/include/wine/wine/windows}
libdir=${WINE_LIBDIR:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows}
mkdir -p "$out"

"$widl" -I"$includes" -L"$libdir" --win64 -t -o "$out/features64.tlb" "$idl/features.idl"
"$widl" -I"$includes" -L"$libdir" --win32 -t -o "$out/features32.tlb" "$idl/features.idl"
"$widl" -I"$includes" -L"$libdir" --win64 -t -o "$out/inject64.tlb" "$idl/injection.idl"

python3 - "$out" <<'PY'
import struct, sys
out = sys.argv[1]
base = open(f"{out}/features64.tlb", "rb").read()

def patch(data, old, new):
    assert data.count(old) == 1, (old, data.count(old))
    return data.replace(old, new)

def dword(v):
    return struct.pack("<I", v)

# Constants widl wrote as inline I4 become inline I2 7, I2 -7 and UI1 200 (vt in bits 26-30).
consts = base
consts = patch(consts, dword(0x8C2A1B3C), dword(0x80000000 | 2 << 26 | 7))
consts = patch(consts, dword(0x8C2A1B3D), dword(0x80000000 | 2 << 26 | 0xFFF9))
consts = patch(consts, dword(0x8C2A1B3E), dword(0x80000000 | 17 << 26 | 200))
open(f"{out}/consts64.tlb", "wb").write(consts)

# The stdole2 import pointed at a library that exists nowhere.
stdole = struct.pack("<IHH8B", 0x00020430, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46)
unres = patch(base, stdole, struct.pack("<IHH8B", 0x7E57AB1E, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46))
unres = patch(unres, b"stdole2.tlb", b"missing.tlb")
open(f"{out}/unres64.tlb", "wb").write(unres)

# Library and type names holding "..", separators, drives, device names and control characters. Each
# replaces a name of the same length in the name table, so nothing else moves; the name hashes no longer
# match, which only matters to lookups by name.
def name_table(data):
    count, varflags = struct.unpack_from("<i", data, 0x20)[0], struct.unpack_from("<i", data, 0x14)[0]
    directory = 0x54 + 4 * count + (4 if varflags & 0x100 else 0)
    offset, length = struct.unpack_from("<ii", data, directory + 7 * 16)
    entries, at = {}, offset
    while at < offset + length:
        size = data[at + 8]
        entries[bytes(data[at + 12:at + 12 + size])] = at + 12
        at += max(8, (12 + size + 3) & ~3)
    return entries

hostile = bytearray(base)
names = name_table(hostile)
for old, new in [(b"TessivarFeatures", b"../..\\x:\x01\n/../.."), (b"Colour", b"\\..\\.."),
                 (b"IWidget", b"..\\..\\x"), (b"IWidget2", b"../\t../\x7f"),
                 (b"DWidgetEvents", b"..\x00../..:\x1b/x."), (b"DWidgetView", b"C:\\..\\..\\.."),
                 (b"Gadget", b"/../.."), (b"widget", b"..\x00\x00\x00\x00")]:
    assert len(old) == len(new), (old, new)
    hostile[names[old]:names[old] + len(old)] = new
open(f"{out}/hostile64.tlb", "wb").write(hostile)

# Names that are Java syntax, each padded with blanks to the length of the placeholder it replaces: a
# constant, a method, a parameter and an event method that would each add a static block if written raw.
inject = bytearray(open(f"{out}/inject64.tlb", "rb").read())
names = name_table(inject)
for old, new in [(b"ConstantPlaceholderAAAAAAAAAAAAAAAAAAAAAAAA", b"a = 1; static { System.exit(7); } int b"),
                 (b"MethodPlaceholderBBBBBBBBBBBBBBBBBBBBBBBBBBBB", b'x"); } static { System.exit(7); } void y("'),
                 (b"ParamPlaceholderCCCCCCCCCCCCCCCCCCCCCCCCCCCC", b"a) { } static { System.exit(7); } void c(int"),
                 (b"EventPlaceholderDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD", b"e(); static { System.exit(7); } void f(int g")]:
    new = new.replace(b"{ System", b"{" + b" " * (1 + len(old) - len(new)) + b"System", 1)
    assert len(old) == len(new), (old, new)
    inject[names[old]:names[old] + len(old)] = new
open(f"{out}/inject64.tlb", "wb").write(inject)

def resource_module(images, pe32plus):
    """A PE file with one .rsrc section holding TYPELIB resources 1..n (language 0)."""
    n = len(images)
    name = "TYPELIB".encode("utf-16-le")
    # Tree: root (1 named entry), type dir (n ids), n language dirs (1 entry), name, n data entries.
    root_size = 16 + 8
    type_size = 16 + 8 * n
    lang_size = (16 + 8) * n
    name_off = root_size + type_size + lang_size
    entries_off = (name_off + 2 + len(name) + 3) & ~3
    data_off = entries_off + 16 * n
    rva = 0x1000
    tree = bytearray()
    tree += struct.pack("<IIHHHH", 0, 0, 0, 0, 1, 0) + struct.pack("<II", 0x80000000 | name_off, 0x80000000 | root_size)
    tree += struct.pack("<IIHHHH", 0, 0, 0, 0, 0, n)
    for i in range(n):
        tree += struct.pack("<II", i + 1, 0x80000000 | (root_size + type_size + 24 * i))
    for i in range(n):
        tree += struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", 0, entries_off + 16 * i)
    tree += struct.pack("<H", 7) + name
    tree += b"\0" * (entries_off - len(tree))
    blobs = bytearray()
    for img in images:
        tree += struct.pack("<IIII", rva + data_off + len(blobs), len(img), 0, 0)
        blobs += img + b"\0" * (-len(img) % 8)
    section = bytes(tree) + bytes(blobs)
    raw_size = (len(section) + 0x1FF) & ~0x1FF
    opt_size = 240 if pe32plus else 224
    headers = bytearray(b"MZ" + b"\0" * 58 + struct.pack("<I", 0x40))
    headers += b"PE\0\0" + struct.pack("<HHIIIHH", 0x8664 if pe32plus else 0x14C, 1, 0, 0, 0, opt_size, 0x2102)
    opt = bytearray(opt_size)
    struct.pack_into("<H", opt, 0, 0x20B if pe32plus else 0x10B)
    struct.pack_into("<II", opt, 32, 0x1000, 0x200)  # section and file alignment
    struct.pack_into("<I", opt, 56, rva + ((len(section) + 0xFFF) & ~0xFFF))  # SizeOfImage
    struct.pack_into("<I", opt, 60, 0x200)  # SizeOfHeaders
    dirs = 112 if pe32plus else 96
    struct.pack_into("<I", opt, dirs - 4, 16)
    struct.pack_into("<II", opt, dirs + 16, rva, len(section))
    headers += opt
    headers += b".rsrc\0\0\0" + struct.pack("<IIIIIIHHI", len(section), rva, raw_size, 0x200, 0, 0, 0, 0, 0x40000040)
    headers += b"\0" * (0x200 - len(headers))
    return bytes(headers) + section + b"\0" * (raw_size - len(section))

f32 = open(f"{out}/features32.tlb", "rb").read()
open(f"{out}/features64.dll", "wb").write(resource_module([base, consts], True))
open(f"{out}/features32.dll", "wb").write(resource_module([f32], False))
PY
echo "fixtures written to $out"
