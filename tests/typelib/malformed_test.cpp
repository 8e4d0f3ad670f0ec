// Hostile inputs, one per error path: each is a valid fixture with one field broken, and must give
// the expected status (or a library whose broken parts fail alone) rather than a crash or a hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/typelib/reader_test_support.h"
#include "typelib/dump.h"

namespace tessivar {
namespace {

using Bytes = std::vector<std::byte>;
using testing::get32;
using testing::put16;
using testing::put32;

// Field positions of an MSFT image, found the way the reader finds them.
struct Msft {
    const Bytes& b;
    std::size_t directory() const {
        return 0x54 + 4 * get32(b, 0x20) + ((get32(b, 0x14) & 0x100) ? 4 : 0);
    }
    std::size_t segmentEntry(int segment) const { return directory() + 16 * segment; }
    std::size_t segment(int segment) const { return get32(b, segmentEntry(segment)); }
    std::size_t typeInfo(int index) const { return segment(0) + 100 * index; }
    std::size_t members(int index) const { return get32(b, typeInfo(index) + 4); }
    std::size_t firstRecord(int index) const { return members(index) + 4; }
};

using enum testing::FeatureType;

Bytes fixture(const char* name) { return testing::readBytes(testing::fixturePath(name)); }

HResult load(const Bytes& bytes, std::shared_ptr<const TypeLib>& lib, std::uint32_t id = 1) {
    return reader::loadTypeLibFromBytes(bytes, id, lib);
}

struct Case {
    const char* what;
    const char* file;
    std::function<void(Bytes&)> breakIt;
    HResult expected;
    // What the reader says and where: the text describe() makes of its status ("success" when loaded).
    const char* error;
};

void expectStatus(const Case& c) {
    SCOPED_TRACE(c.what);
    Bytes bytes = c.file ? fixture(c.file) : Bytes{};
    c.breakIt(bytes);
    std::shared_ptr<const TypeLib> lib;
    reader::ReadStatus status;
    EXPECT_EQ(reader::loadTypeLibFromBytes(bytes, 1, lib, &status), c.expected);
    EXPECT_EQ(reader::describe(status), c.error);
    if (lib) {
        EXPECT_FALSE(dumpTypeLib(*lib).empty());
    }
}

Bytes text(const char* s) {
    Bytes b;
    for (const char* p = s; *p; ++p) b.push_back(static_cast<std::byte>(*p));
    return b;
}

TEST(Malformed, FilesThatAreNoTypeLibrary) {
    const Case cases[] = {
        {"empty file", nullptr, [](Bytes&) {}, kCantLoadLibrary,
         "neither a type library nor a module holding one (0x80029C4A)"},
        {"three bytes of the magic", nullptr, [](Bytes& b) { b = text("MSF"); }, kCantLoadLibrary,
         "neither a type library nor a module holding one (0x80029C4A)"},
        {"a text file", nullptr, [](Bytes& b) { b = text("just some text, no type library here\n"); }, kCantLoadLibrary,
         "neither a type library nor a module holding one (0x80029C4A)"},
        {"SLTG magic", nullptr, [](Bytes& b) { b = text("SLTG"); b.resize(512); }, kUnsupportedFormat,
         "SLTG type libraries (the older format) are not supported (0x80028019)"},
        {"MZ without a PE header", nullptr, [](Bytes& b) { b = text("MZ"); b.resize(64); }, kCantLoadLibrary,
         "not a PE file (no PE signature) (0x80029C4A)"},
    };
    for (const Case& c : cases) expectStatus(c);
}

TEST(Malformed, BrokenMsftStructures) {
    const Case cases[] = {
        {"header only", "features64.tlb", [](Bytes& b) { b.resize(0x54); }, kInvalidDataRead,
         "type count larger than the file at offset 0x20 (0x80028018)"},
        {"huge type count", "features64.tlb", [](Bytes& b) { put32(b, 0x20, 0x7FFFFFFF); }, kInvalidDataRead,
         "type count larger than the file at offset 0x20 (0x80028018)"},
        {"negative type count", "features64.tlb", [](Bytes& b) { put32(b, 0x20, 0xFFFFFFF0); }, kInvalidDataRead,
         "type count larger than the file at offset 0x20 (0x80028018)"},
        {"type count beyond the type info segment", "features64.tlb",
         [](Bytes& b) { put32(b, 0x20, get32(b, 0x20) + 1); }, kInvalidDataRead,
         "segment directory entry without its marker at offset 0x98 (0x80028018)"},
        {"segment marker missing", "features64.tlb",
         [](Bytes& b) { put32(b, Msft{b}.segmentEntry(0) + 12, 0); }, kInvalidDataRead,
         "segment directory entry without its marker at offset 0x94 (0x80028018)"},
        {"name segment longer than the file", "features64.tlb",
         [](Bytes& b) { put32(b, Msft{b}.segmentEntry(7) + 4, 0x7FFFFFF0); }, kInvalidDataRead,
         "segment outside the image at offset 0xF8 (0x80028018)"},
        {"negative segment offset", "features64.tlb",
         [](Bytes& b) { put32(b, Msft{b}.segmentEntry(8), 0xFFFFFFF0); }, kInvalidDataRead,
         "segment outside the image at offset 0x108 (0x80028018)"},
        {"unknown type kind", "features64.tlb",
         [](Bytes& b) { put32(b, Msft{b}.typeInfo(kColour), (get32(b, Msft{b}.typeInfo(kColour)) & ~0xFu) | 9); }, kInvalidDataRead,
         "unknown type kind at offset 0x178 (0x80028018)"},
        {"type name outside the name table", "features64.tlb",
         [](Bytes& b) { put32(b, Msft{b}.typeInfo(kColour) + 0x34, 0x00FFFFF0); }, kInvalidDataRead,
         "name table entry at offset 0x1000B28 (0x80028018)"},
        {"type description that points to itself", "features64.tlb",
         [](Bytes& b) { const std::size_t td = Msft{b}.segment(9); put16(b, td, 26); put16(b, td + 4, 0); put16(b, td + 6, 0); },
         kInvalidDataRead, "type description refers to itself at offset 0x1388 (0x80028018)"},
        {"member block beyond the file", "features64.tlb",
         [](Bytes& b) { put32(b, Msft{b}.typeInfo(kIBasics) + 4, 0x7FFFFFF0); }, kInvalidDataRead,
         "member block at offset 0x7FFFFFF0 (0x80028018)"},
        {"member record size beyond its block", "features64.tlb",
         [](Bytes& b) { put16(b, Msft{b}.firstRecord(kIBasics), 0xFFF0); }, kInvalidDataRead,
         "member record size at offset 0x1AB4 (0x80028018)"},
        {"more parameters than the record holds", "features64.tlb",
         [](Bytes& b) { put16(b, Msft{b}.firstRecord(kIBasics) + 20, 0x7FFF); }, kInvalidDataRead,
         "parameters larger than their function record at offset 0x1AB4 (0x80028018)"},
        {"negative parameter count", "features64.tlb",
         [](Bytes& b) { put16(b, Msft{b}.firstRecord(kIBasics) + 20, 0x8000); }, kInvalidDataRead,
         "negative parameter count at offset 0x1AC8 (0x80028018)"},
        {"more members than the file holds", "features64.tlb",
         [](Bytes& b) { put32(b, Msft{b}.typeInfo(kIBasics) + 0x18, 0xFFFFFFFF); }, kInvalidDataRead,
         "member arrays beyond the image at offset 0x1D00 (0x80028018)"},
    };
    for (const Case& c : cases) expectStatus(c);
}

// The resource tree of the committed modules: one named TYPELIB entry at the root.
struct Pe {
    const Bytes& b;
    std::size_t lfanew() const { return get32(b, 0x3C); }
    std::size_t sectionTable() const { return lfanew() + 24 + (get32(b, lfanew() + 20) & 0xFFFF); }
    std::size_t tree() const { return get32(b, sectionTable() + 20); }
    std::size_t typeName() const { return tree() + (get32(b, tree() + 16) & 0x7FFFFFFF); }
    std::size_t firstDataEntry() const {
        const std::size_t types = tree() + (get32(b, tree() + 20) & 0x7FFFFFFF);
        const std::size_t langs = tree() + (get32(b, types + 20) & 0x7FFFFFFF);
        return tree() + get32(b, langs + 20);
    }
};

TEST(Malformed, BrokenModules) {
    const Case cases[] = {
        {"PE header beyond the file", "features64.dll", [](Bytes& b) { put32(b, 0x3C, 0x7FFFFFF0); }, kCantLoadLibrary,
         "no PE header at offset 0x3C (0x80029C4A)"},
        {"no PE signature", "features64.dll", [](Bytes& b) { put32(b, Pe{b}.lfanew(), 0x4543); }, kCantLoadLibrary,
         "not a PE file (no PE signature) at offset 0x40 (0x80029C4A)"},
        {"unknown optional header", "features64.dll", [](Bytes& b) { put16(b, Pe{b}.lfanew() + 24, 0x107); }, kCantLoadLibrary,
         "unknown optional header magic at offset 0x58 (0x80029C4A)"},
        {"too many sections", "features64.dll", [](Bytes& b) { put16(b, Pe{b}.lfanew() + 6, 0xFFFF); }, kCantLoadLibrary,
         "too many sections at offset 0x46 (0x80029C4A)"},
        {"no TYPELIB resource", "features64.dll", [](Bytes& b) { put16(b, Pe{b}.typeName() + 2, 'X'); }, kCantLoadLibrary,
         "the module has no TYPELIB resource at offset 0x200 (0x80029C4A)"},
        {"resource data larger than the file", "features64.dll",
         [](Bytes& b) { put32(b, Pe{b}.firstDataEntry() + 4, 0x7FFFFFF0); }, kCantLoadLibrary,
         "resource data beyond the end of the file at offset 0x298 (0x80029C4A)"},
        {"resource data outside every section", "features64.dll",
         [](Bytes& b) { put32(b, Pe{b}.firstDataEntry(), 0x7FFF0000); }, kCantLoadLibrary,
         "resource data outside every section at offset 0x278 (0x80029C4A)"},
        {"resource type named in lower case", "features64.dll",
         [](Bytes& b) { for (int i = 0; i < 7; ++i) put16(b, Pe{b}.typeName() + 2 + 2 * i, "typelib"[i]); }, kOk,
         "success"},
        {"PE32 module", "features32.dll", [](Bytes&) {}, kOk, "success"},
    };
    for (const Case& c : cases) expectStatus(c);
}

TEST(Malformed, ResourceNumbers) {
    std::shared_ptr<const TypeLib> lib;
    EXPECT_EQ(load(fixture("features64.dll"), lib, 2), kOk);
    EXPECT_EQ(load(fixture("features64.dll"), lib, 3), kCantLoadLibrary);
    EXPECT_EQ(load(fixture("features64.dll"), lib, 0), kCantLoadLibrary);
    EXPECT_EQ(load(fixture("features64.tlb"), lib, 2), kOk) << "a bare image ignores the number";
}

// A base interface chain that loops back must end every walk over it.
TEST(Malformed, BaseInterfaceCycleEnds) {
    Bytes b = fixture("features64.tlb");
    const Msft m{b};
    put32(b, m.typeInfo(kIWidget2) + 0x54, 100 * kIWidget2);  // IWidget2 derives from itself
    std::shared_ptr<const TypeLib> lib;
    ASSERT_EQ(load(b, lib), kOk);
    std::shared_ptr<const TypeInfo> widget2;
    ASSERT_EQ(lib->typeInfo(kIWidget2, widget2), kOk);
    TypeAttr attr;
    ASSERT_EQ(widget2->typeAttr(attr), kOk);
    FuncDesc f;
    EXPECT_EQ(widget2->funcDesc(attr.cFuncs, f), kElementNotFound);
    std::vector<std::string> names;
    EXPECT_EQ(widget2->names(0x12345, 8, names), kElementNotFound);
    Documentation doc;
    EXPECT_EQ(widget2->documentation(0x12345, doc), kElementNotFound);
    EXPECT_FALSE(dumpTypeLib(*lib).empty());
}

// A broken import entry fails the references that use it, not the library.
TEST(Malformed, BrokenImportFailsOnlyItsReferences) {
    Bytes b = fixture("features64.tlb");
    const Msft m{b};
    const std::size_t imports = m.segment(1);
    const std::size_t importCount = get32(b, m.segmentEntry(1) + 4) / 12;
    for (std::size_t i = 0; i < importCount; ++i) put32(b, imports + 12 * i + 4, 0x7FFFFFF0);
    std::shared_ptr<const TypeLib> lib;
    ASSERT_EQ(load(b, lib), kOk);
    std::shared_ptr<const TypeInfo> widget, base;
    ASSERT_EQ(lib->typeInfo(kIWidget, widget), kOk);
    HRefType href = 0;
    ASSERT_EQ(widget->refTypeOfImplType(0, href), kOk);
    EXPECT_EQ(widget->refTypeInfo(href, base), kFail);
    FuncDesc f;
    EXPECT_EQ(widget->funcDesc(0, f), kFail);
}

// Stored names are in the ANSI code page, as the platform reads them: the bytes Windows-1252 leaves
// undefined become the control characters of their number, not replacement characters.
TEST(ReaderText, NamesReadAsTheAnsiCodePage) {
    Bytes b = fixture("features64.tlb");
    const Bytes name = text("Colour");
    const auto at = std::search(b.begin(), b.end(), name.begin(), name.end());
    ASSERT_NE(at, b.end());
    at[1] = std::byte{0x81};
    at[2] = std::byte{0x80};
    at[3] = std::byte{0xE9};
    std::shared_ptr<const TypeLib> lib;
    ASSERT_EQ(load(b, lib), kOk);
    Documentation doc;
    ASSERT_EQ(lib->documentation(kColour, doc), kOk);
    EXPECT_EQ(doc.name, "C\xC2\x81\xE2\x82\xAC\xC3\xA9ur");
}

TEST(ResourcePath, PlatformSuffixRule) {
    struct {
        const char* path;
        const char* file;
        std::uint32_t id;
    } const cases[] = {
        {"C:\\lib\\vbscript.dll\\2", "C:\\lib\\vbscript.dll", 2},
        {"/lib/vbscript.dll\\3", "/lib/vbscript.dll", 3},
        {"/lib/vbscript.dll", "/lib/vbscript.dll", 1},
        {"C:\\lib\\2", "C:\\lib", 2},
        {"C:\\lib\\x2", "C:\\lib\\x2", 1},
        {"C:\\lib\\", "C:\\lib\\", 1},
        {"lib.tlb\\12345678901", "lib.tlb\\12345678901", 1},
    };
    for (const auto& c : cases) {
        const reader::ResourcePath p = reader::splitResourcePath(c.path);
        EXPECT_EQ(p.file, c.file) << c.path;
        EXPECT_EQ(p.resourceId, c.id) << c.path;
    }
}

}  // namespace
}  // namespace tessivar
