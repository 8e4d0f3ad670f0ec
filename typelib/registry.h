// The registry seam: the few registry operations the lookups, the catalogue and the settings use.
// Status results keep the platform's error codes ("the key opens or not", "the read succeeds or not").
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

using RegStatus = std::int32_t;
constexpr RegStatus kRegSuccess = 0;
constexpr RegStatus kRegFileNotFound = 2;
constexpr RegStatus kRegAccessDenied = 5;
constexpr RegStatus kRegInvalidParameter = 87;
constexpr RegStatus kRegMoreData = 234;
constexpr RegStatus kRegNoMoreItems = 259;

enum class RegRoot { ClassesRoot, LocalMachine, CurrentUser };
enum class RegAccess { Read, AllAccess };

enum RegValueType : std::uint32_t {
    REG_NONE = 0, REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3, REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5, REG_LINK = 6, REG_MULTI_SZ = 7, REG_QWORD = 11
};

// A value as stored. String values hold narrow text (UTF-8 in the portable build, the ANSI code page
// in the Windows build) including the terminating zero when the store has one.
struct RegValue {
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;
    // The text up to the first zero byte.
    std::string text() const;
};

class RegKey {
public:
    virtual ~RegKey() = default;
    // Opens a subkey path ('\\'-separated) relative to this key.
    virtual RegStatus openSubKey(std::string_view path, RegAccess access, std::unique_ptr<RegKey>& out) const = 0;
    // Reads a value (empty name: the default value). Like RegQueryValueExA with a buffer of
    // maxBytes: a value longer than that fails with kRegMoreData and out is left empty.
    virtual RegStatus queryValue(std::string_view name, std::size_t maxBytes, RegValue& out) const = 0;
    // The name of the subkey at index; kRegNoMoreItems past the last one.
    virtual RegStatus enumSubKey(std::uint32_t index, std::string& name) const = 0;
    virtual RegStatus setValue(std::string_view name, const RegValue& value) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual RegStatus openKey(RegRoot root, std::string_view path, RegAccess access, std::unique_ptr<RegKey>& out) = 0;
    // Opens the key, creating it (and missing parents) when absent.
    virtual RegStatus createKey(RegRoot root, std::string_view path, std::unique_ptr<RegKey>& out) = 0;
    // ExpandEnvironmentStrings over the environment this registry belongs to.
    virtual std::string expandEnvironment(std::string_view text) const = 0;
    // The file this machine opens for a path as the registry stores it (a Windows path in the portable
    // build, mapped through the prefix's drives); empty when there is none. The Windows build returns
    // the path unchanged.
    virtual std::string localPath(std::string_view registeredPath) const = 0;
};

// The registry of a machine that has none: a type library file can still be read without one.
class EmptyRegistry : public Registry {
public:
    RegStatus openKey(RegRoot, std::string_view, RegAccess, std::unique_ptr<RegKey>& out) override {
        out.reset();
        return kRegFileNotFound;
    }
    RegStatus createKey(RegRoot, std::string_view, std::unique_ptr<RegKey>& out) override {
        out.reset();
        return kRegAccessDenied;
    }
    std::string expandEnvironment(std::string_view text) const override { return std::string(text); }
    std::string localPath(std::string_view) const override { return {}; }
};

}  // namespace tessivar
