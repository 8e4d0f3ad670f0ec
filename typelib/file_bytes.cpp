// Bytes held in memory.
#include "typelib/file_bytes.h"

#include <system_error>

namespace tessivar {
namespace {

class HeldBytes : public FileBytes {
public:
    explicit HeldBytes(std::string bytes) : bytes_(std::move(bytes)) {}
    std::span<const std::byte> bytes() const override {
        return {reinterpret_cast<const std::byte*>(bytes_.data()), bytes_.size()};
    }

private:
    std::string bytes_;
};

}  // namespace

std::unique_ptr<const FileBytes> fileBytesOf(std::string bytes) { return std::make_unique<HeldBytes>(std::move(bytes)); }

std::string readFailure(int error) {
    return error == 0 ? "cannot be read" : "cannot be read (" + std::generic_category().message(error) + ")";
}

}  // namespace tessivar
