// libFuzzer target for the whole generation: the input is written as a type library file into a
// temporary folder, loaded by the program's loader (which resolves references to other libraries in
// that folder, the fixtures and the wine64 package), and every coclass is generated into the folder
// as `tessivar generate --all` does. The output is removed after each input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/posix/posix_file_system.h"
#include "tests/support/library_exercise.h"
#include "tests/typelib/reader_test_support.h"
#include "typelib/reader/file_loader.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path root, input, output, runtime, workingFolder = fs::current_path();
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "tessivar-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        root = pattern;
        input = root / "input.tlb";
        output = root / "out";
        runtime = root / "runtime";
        tessivar::PosixFileSystem files;
        if (!tessivar::test::makeRuntimeFolder(files, runtime.string())) std::abort();
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessivar;
    Scratch& s = scratch();
    {
        std::ofstream out(s.input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out.flush()) std::abort();
    }
    reader::ReaderOptions options;
    options.searchFolders = {testing::sourcePath("tests/fixtures/tlb"), testing::kWineLibDir};
    reader::FileTypeLibLoader loader(std::move(options));
    PosixFileSystem files;
    (void)test::generateWholeLibrary(loader, s.input.string(), files, s.output.string(), s.runtime.string());
    // The class run moves into the folders it writes; the next input starts where the first one did.
    std::error_code ec;
    fs::current_path(s.workingFolder, ec);
    fs::remove_all(s.output, ec);
    if (ec) std::abort();
    return 0;
}
