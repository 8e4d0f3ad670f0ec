// Registry value helpers.
#include "typelib/registry.h"

#include <algorithm>

namespace tessivar {

std::string RegValue::text() const {
    const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
    return std::string(data.begin(), end);
}

}  // namespace tessivar
