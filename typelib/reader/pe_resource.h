// Finds a TYPELIB resource inside a PE32 or PE32+ file.
#pragma once

#include <cstdint>

#include "typelib/reader/byte_reader.h"
#include "typelib/reader/read_status.h"

namespace tessivar::reader {

bool looksLikeModule(Bytes file);

// The bytes of TYPELIB resource `id` (first language entry by the platform's preference).
ReadStatus findTypeLibResource(Bytes file, std::uint32_t id, Bytes& image);

}  // namespace tessivar::reader
