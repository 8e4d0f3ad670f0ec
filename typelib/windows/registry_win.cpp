// RegOpenKeyExA, RegQueryValueExA, RegEnumKeyExA, RegCreateKeyExA, RegSetValueExA behind the registry seam.
#include "typelib/windows/registry_win.h"

#include <windows.h>

#include <vector>

#include "typelib/windows/ansi_text.h"

namespace tessivar {
namespace {

// A 64-bit program sees this view anyway; asking for it keeps a 32-bit build on the same keys.
constexpr REGSAM kView = KEY_WOW64_64KEY;

REGSAM samOf(RegAccess access) { return (access == RegAccess::Read ? KEY_READ : KEY_ALL_ACCESS) | kView; }

HKEY rootKey(RegRoot root) {
    switch (root) {
        case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    }
    return HKEY_LOCAL_MACHINE;
}

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Re-encodes the text of a string value, keeping every zero byte where it stands (REG_MULTI_SZ has several).
template <typename Convert>
std::vector<std::uint8_t> convertText(const std::vector<std::uint8_t>& data, Convert convert) {
    std::vector<std::uint8_t> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= data.size(); ++i) {
        if (i < data.size() && data[i] != 0) continue;
        const std::string part = convert(std::string_view(reinterpret_cast<const char*>(data.data()) + start, i - start));
        out.insert(out.end(), part.begin(), part.end());
        if (i < data.size()) out.push_back(0);
        start = i + 1;
    }
    return out;
}

class WindowsRegKey : public RegKey {
public:
    explicit WindowsRegKey(HKEY key) : key_(key) {}
    ~WindowsRegKey() override { RegCloseKey(key_); }
    WindowsRegKey(const WindowsRegKey&) = delete;
    WindowsRegKey& operator=(const WindowsRegKey&) = delete;

    RegStatus openSubKey(std::string_view path, RegAccess access, std::unique_ptr<RegKey>& out) const override {
        return open(key_, path, access, out);
    }

    RegStatus queryValue(std::string_view name, std::size_t maxBytes, RegValue& out) const override {
        out = RegValue{};
        std::vector<std::uint8_t> buffer(maxBytes);
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(maxBytes);
        const std::string ansiName = toAnsiCodePage(name);
        const LONG status = RegQueryValueExA(key_, name.empty() ? nullptr : ansiName.c_str(), nullptr, &type,
                                             buffer.empty() ? nullptr : buffer.data(), &size);
        if (status != ERROR_SUCCESS) return status;
        buffer.resize(size);
        out.type = type;
        out.data = isText(type) ? convertText(buffer, fromAnsiCodePage) : std::move(buffer);
        return kRegSuccess;
    }

    RegStatus enumSubKey(std::uint32_t index, std::string& name) const override {
        name.clear();
        char buffer[260];
        DWORD length = sizeof buffer;
        const LONG status = RegEnumKeyExA(key_, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) name = fromAnsiCodePage(std::string_view(buffer, length));
        return status;
    }

    RegStatus setValue(std::string_view name, const RegValue& value) override {
        const std::vector<std::uint8_t> data = isText(value.type) ? convertText(value.data, toAnsiCodePage) : value.data;
        const std::string ansiName = toAnsiCodePage(name);
        return RegSetValueExA(key_, name.empty() ? nullptr : ansiName.c_str(), 0, value.type,
                              data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
    }

    static RegStatus open(HKEY parent, std::string_view path, RegAccess access, std::unique_ptr<RegKey>& out) {
        out.reset();
        HKEY key = nullptr;
        const LONG status = RegOpenKeyExA(parent, toAnsiCodePage(path).c_str(), 0, samOf(access), &key);
        if (status == ERROR_SUCCESS) out = std::make_unique<WindowsRegKey>(key);
        return status;
    }

private:
    HKEY key_;
};

}  // namespace

RegStatus WindowsRegistry::openKey(RegRoot root, std::string_view path, RegAccess access, std::unique_ptr<RegKey>& out) {
    return WindowsRegKey::open(rootKey(root), path, access, out);
}

RegStatus WindowsRegistry::createKey(RegRoot root, std::string_view path, std::unique_ptr<RegKey>& out) {
    out.reset();
    HKEY key = nullptr;
    const LONG status = RegCreateKeyExA(rootKey(root), toAnsiCodePage(path).c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | kView, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) out = std::make_unique<WindowsRegKey>(key);
    return status;
}

std::string WindowsRegistry::expandEnvironment(std::string_view text) const {
    const std::string source = toAnsiCodePage(text);
    std::vector<char> buffer(source.size() + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = ExpandEnvironmentStringsA(source.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) return std::string(text);
        if (needed <= buffer.size()) return fromAnsiCodePage(std::string_view(buffer.data(), needed - 1));
        buffer.resize(needed);  // a variable may change between the two calls
    }
    return std::string(text);
}

std::string WindowsRegistry::localPath(std::string_view registeredPath) const { return std::string(registeredPath); }

}  // namespace tessivar
