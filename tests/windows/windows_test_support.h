// Helpers of the Windows tests: where the build put things, as the Windows side names them.
#pragma once

#include <string>

namespace tessivar::test {

// A path of the Linux side as Wine's Z: drive shows it.
inline std::string winePath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/') c = '\\';
    return "Z:" + unixPath;
}

}  // namespace tessivar::test
