// libFuzzer target for the PE resource walk: headers, section table and the three-level resource tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "typelib/reader/pe_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessivar::reader;
    const Bytes file(reinterpret_cast<const std::byte*>(data), size);
    (void)looksLikeModule(file);
    for (const std::uint32_t id : {1u, 2u, 0x10001u}) {
        Bytes image;
        if (!findTypeLibResource(file, id, image).ok()) continue;
        // What the walk hands back must lie inside the file it was given.
        if (image.size() > 0 && (image.data() < file.data() || image.data() + image.size() > file.data() + file.size()))
            std::abort();
    }
    return 0;
}
