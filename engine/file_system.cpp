// The names of the files written beside their targets.
#include "engine/file_system.h"

#include <atomic>
#include <cstdio>
#include <random>

namespace tessivar {

std::string replacementFileName(unsigned long processId) {
    static const unsigned long long drawn = [] {
        std::random_device device;
        return (static_cast<unsigned long long>(device()) << 32) ^ device();
    }();
    static std::atomic<unsigned long> counter{0};
    char name[80];
    std::snprintf(name, sizeof name, ".tessivar-%lu-%llx-%lu.tmp", processId, drawn, ++counter);
    return name;
}

}  // namespace tessivar
