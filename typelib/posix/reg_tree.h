// The in-memory form of a registry read from a file: keys and values named without regard to case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text.h"
#include "typelib/file_bytes.h"
#include "typelib/registry.h"

namespace tessivar {

// Limits of the platform's registry; files beyond them are refused rather than trusted.
inline constexpr std::size_t kMaxKeyNameChars = 255;     // UTF-16 code units of one key name
inline constexpr std::size_t kMaxValueNameChars = 16383;  // UTF-16 code units of one value name
inline constexpr std::size_t kMaxKeyDepth = 512;          // levels below a root

// Orders names as the registry compares them: ASCII letters without regard to case.
struct RegNameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return compareIgnoreCase(a, b) < 0; }
};

// One value line of a regedit export: its name and its data in one block of memory, as a large export
// holds millions of them.
class StoredValue {
public:
    StoredValue(std::string_view name, const RegValue& value);
    // A "name"=- line, which removes the value again.
    static StoredValue removal(std::string_view name);

    std::string_view name() const { return {block_.get(), nameSize_}; }
    bool removes() const { return removes_; }
    RegValue value() const;

private:
    StoredValue(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data, bool removes);

    std::unique_ptr<char[]> block_;
    std::uint32_t nameSize_ = 0, dataSize_ = 0, type_ = 0;
    bool removes_ = false;
};

// The name of a subkey: a view of the file's text where that spells the name as it is (most names of
// a Wine file), else a copy of its own. A hive has tens of thousands of keys, so it is kept small.
class RegName {
public:
    // A view of `text`, which must outlive the name.
    static RegName viewOf(std::string_view text) { return RegName(text.data(), text.size(), false); }
    static RegName copyOf(std::string_view text);

    RegName(RegName&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
          owned_(std::exchange(other.owned_, false)) {}
    RegName& operator=(RegName&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(owned_, other.owned_);
        return *this;
    }
    ~RegName() {
        if (owned_) delete[] data_;
    }

    operator std::string_view() const { return {data_, size_}; }

private:
    RegName(const char* data, std::size_t size, bool owned)
        : data_(data), size_(static_cast<std::uint32_t>(size)), owned_(owned) {}

    const char* data_ = nullptr;
    std::uint32_t size_ = 0;  // a key name is at most 255 UTF-16 code units
    bool owned_ = false;
};

struct RegNode {
    // Each subkey under the name it was first stored with.
    std::map<RegName, std::unique_ptr<RegNode>, RegNameLess> subkeys;
    // Values of a Wine registry file, read when asked for: the run of value lines below each of this
    // key's key lines, in file order, as views of the file. A key line seldom appears more than once,
    // so the first run is kept in place and any others apart.
    std::string_view valueLines;
    // What most keys of a hive lack, kept apart from the tens of thousands of keys.
    struct Apart {
        std::vector<std::string_view> moreValueLines;
        // Values of a regedit export: every value line in file order while the file is read, then one
        // entry per name sorted by RegNameLess (see settleValues).
        std::vector<StoredValue> values;
    };
    std::unique_ptr<Apart> apart;  // null while the key needs none
    // The key's block apart, made when first needed.
    Apart& madeApart() {
        if (!apart) apart = std::make_unique<Apart>();
        return *apart;
    }

    // The subkey at a '\'-separated relative path; null when any part is missing or empty.
    // An empty path is this key.
    const RegNode* find(std::string_view path) const;
    RegNode* find(std::string_view path) { return const_cast<RegNode*>(std::as_const(*this).find(path)); }
    // Removes the direct subkey of that name with everything below it.
    void remove(std::string_view name);
    // Turns the value lines of this key and every key below into their outcome: each name under the
    // spelling it had first since it was last removed, with its last data; removed names go.
    void settleValues();
};

// The roots a file-backed registry offers. HKEY_CLASSES_ROOT is the explicit classes root (exports
// may name it) layered over the Software\Classes keys of the user and of the machine.
struct RegRoots {
    // The Wine registry files whose text the keys' valueLines show; declared first to outlive them.
    std::unique_ptr<const FileBytes> machineFile;
    std::unique_ptr<const FileBytes> userFile;
    RegNode classesRoot;
    RegNode localMachine;
    RegNode currentUser;
};

}  // namespace tessivar
