// The outcome of reading untrusted bytes: a status code plus what was being read and where.
#pragma once

#include <cstdint>
#include <string>

#include "typelib/typelib_api.h"

namespace tessivar::reader {

struct [[nodiscard]] ReadStatus {
    HResult code = kOk;
    std::string what;          // empty on success
    std::uint64_t offset = 0;  // where in the image (or file) the problem was met

    bool ok() const { return code == kOk; }
    static ReadStatus success() { return {}; }
    static ReadStatus fail(HResult code, std::string what, std::uint64_t offset = 0) {
        return {code, std::move(what), offset};
    }
};

// Text for a status, e.g. "truncated name table entry at offset 0x1A4 (0x80028018)".
std::string describe(const ReadStatus& status);

}  // namespace tessivar::reader
