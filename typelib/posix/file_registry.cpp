// Registry over registry files: the layered classes root, read-only keys, drives and environment.
#include "typelib/posix/file_registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "base/text.h"
#include "typelib/file_bytes.h"
#include "typelib/posix/reg_parse.h"

namespace tessivar {
namespace {

namespace fs = std::filesystem;

// Real registries stay far below this; a larger file is refused rather than read into memory.
constexpr std::uintmax_t kMaxRegistryFileBytes = 256u * 1024 * 1024;
constexpr const char* kClassesPath = "Software\\Classes";

// One open key: the same path in each layer that has it, the layer that wins first. Values come
// from the winning layer only (a user's key hides the machine's values); subkeys are the union.
class FileRegKey : public RegKey {
public:
    FileRegKey(std::shared_ptr<const RegRoots> roots, std::vector<const RegNode*> layers)
        : roots_(std::move(roots)), layers_(std::move(layers)) {}

    RegStatus openSubKey(std::string_view path, RegAccess, std::unique_ptr<RegKey>& out) const override {
        out.reset();
        std::vector<const RegNode*> found;
        for (const RegNode* layer : layers_)
            if (const RegNode* node = layer->find(path)) found.push_back(node);
        if (found.empty()) return kRegFileNotFound;
        out = std::make_unique<FileRegKey>(roots_, std::move(found));
        return kRegSuccess;
    }

    RegStatus queryValue(std::string_view name, std::size_t maxBytes, RegValue& out) const override {
        out = RegValue{};
        RegValue value;
        if (!findRegValue(*layers_.front(), name, value)) return kRegFileNotFound;
        if (value.data.size() > maxBytes) return kRegMoreData;
        out = std::move(value);
        return kRegSuccess;
    }

    RegStatus enumSubKey(std::uint32_t index, std::string& name) const override {
        if (!names_) names_ = mergedNames();
        if (index >= names_->size()) return kRegNoMoreItems;
        name = (*names_)[index];
        return kRegSuccess;
    }

    RegStatus setValue(std::string_view, const RegValue&) override { return kRegAccessDenied; }

private:
    // Sorted without regard to case, as the platform enumerates; the first layer's spelling wins.
    std::vector<std::string> mergedNames() const {
        std::map<std::string_view, std::string_view, RegNameLess> merged;
        for (const RegNode* layer : layers_)
            for (const auto& [name, node] : layer->subkeys) merged.emplace(name, name);
        std::vector<std::string> names;
        names.reserve(merged.size());
        for (const auto& [key, name] : merged) names.emplace_back(name);
        return names;
    }

    std::shared_ptr<const RegRoots> roots_;  // keeps the layers alive after the registry is gone
    std::vector<const RegNode*> layers_;
    mutable std::optional<std::vector<std::string>> names_;
};

class FileRegistry : public Registry {
public:
    FileRegistry(std::shared_ptr<const RegRoots> roots, DriveMap drives, EnvironmentMap environment)
        : roots_(std::move(roots)), drives_(std::move(drives)), environment_(std::move(environment)) {}

    RegStatus openKey(RegRoot root, std::string_view path, RegAccess access, std::unique_ptr<RegKey>& out) override {
        std::vector<const RegNode*> layers;
        switch (root) {
            case RegRoot::ClassesRoot:
                layers.push_back(&roots_->classesRoot);
                if (const RegNode* user = roots_->currentUser.find(kClassesPath)) layers.push_back(user);
                if (const RegNode* machine = roots_->localMachine.find(kClassesPath)) layers.push_back(machine);
                break;
            case RegRoot::LocalMachine: layers.push_back(&roots_->localMachine); break;
            case RegRoot::CurrentUser: layers.push_back(&roots_->currentUser); break;
        }
        // Opening for full access is allowed: this store refuses the writes themselves.
        return FileRegKey(roots_, std::move(layers)).openSubKey(path, access, out);
    }

    RegStatus createKey(RegRoot, std::string_view, std::unique_ptr<RegKey>& out) override {
        out.reset();
        return kRegAccessDenied;
    }

    std::string expandEnvironment(std::string_view text) const override { return expand(text, environment_); }

    std::string localPath(std::string_view registeredPath) const override {
        return mapWindowsPath(registeredPath, drives_);
    }

    // ExpandEnvironmentStrings: %NAME% of a defined variable is replaced, anything else is kept.
    static std::string expand(std::string_view text, const EnvironmentMap& env) {
        std::string out;
        while (!text.empty()) {
            const std::size_t open = text.find('%');
            const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
            if (close == std::string_view::npos) break;
            out.append(text.substr(0, open));
            const std::string_view name = text.substr(open + 1, close - open - 1);
            const auto it = name.empty() ? env.end() : env.find(name);
            if (it != env.end()) {
                out += it->second;
                text.remove_prefix(close + 1);
            } else {
                // The closing '%' may open the next name, as it does on Windows.
                out.append(text.substr(open, close - open));
                text.remove_prefix(close);
            }
        }
        out.append(text);
        return out;
    }

private:
    std::shared_ptr<const RegRoots> roots_;
    DriveMap drives_;
    EnvironmentMap environment_;
};

EnvironmentMap baseEnvironment(const std::string& windowsFolder) {
    return {{"SystemDrive", "C:"},
            {"SystemRoot", windowsFolder},
            {"windir", windowsFolder},
            {"ProgramFiles", "C:\\Program Files"},
            {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
            {"ProgramW6432", "C:\\Program Files"},
            {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
            {"CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files"},
            {"CommonProgramW6432", "C:\\Program Files\\Common Files"},
            {"ProgramData", "C:\\ProgramData"},
            {"ALLUSERSPROFILE", "C:\\ProgramData"}};
}

// Adds the string values of an Environment key, expanding REG_EXPAND_SZ against what is known so far.
void addEnvironmentKey(EnvironmentMap& env, const RegNode* key) {
    if (!key) return;
    EnvironmentMap added;
    for (const auto& [name, value] : regValues(*key)) {
        if (value.type == REG_SZ) added.insert_or_assign(name, value.text());
        if (value.type == REG_EXPAND_SZ) added.insert_or_assign(name, FileRegistry::expand(value.text(), env));
    }
    for (auto& [name, text] : added) env.insert_or_assign(name, std::move(text));
}

void addRegistryEnvironment(EnvironmentMap& env, const RegRoots& roots) {
    addEnvironmentKey(env, roots.localMachine.find("System\\CurrentControlSet\\Control\\Session Manager\\Environment"));
    addEnvironmentKey(env, roots.currentUser.find("Environment"));
}

std::string located(const std::string& label, const RegParseError& e) {
    return label + ": line " + std::to_string(e.line) + ": " + e.message;
}

// The whole file, or null with an error text; refuses files beyond the size limit.
std::unique_ptr<const FileBytes> readBounded(const std::string& path, std::string& error) {
    std::string why;
    auto bytes = readFileBytes(path, kMaxRegistryFileBytes, why);
    if (!bytes) error = path + ": " + why;
    return bytes;
}

DriveMap prefixDrives(const std::string& prefix) {
    DriveMap drives;
    std::error_code ec;
    const fs::path dosdevices = fs::path(prefix) / "dosdevices";
    for (fs::directory_iterator it(dosdevices, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
            drives[static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])))] = it->path().string();
    }
    return drives;
}

// The registry keeps the files: its keys read their values from them when asked.
RegistryOpenResult registryFromWineBytes(std::unique_ptr<const FileBytes> systemReg,
                                         std::unique_ptr<const FileBytes> userReg, DriveMap drives,
                                         const std::string& systemLabel, const std::string& userLabel) {
    auto roots = std::make_shared<RegRoots>();
    roots->machineFile = std::move(systemReg);
    roots->userFile = std::move(userReg);
    if (auto e = parseWineRegistry(roots->machineFile->text(), roots->localMachine))
        return {nullptr, located(systemLabel, *e)};
    if (roots->userFile && !roots->userFile->text().empty())
        if (auto e = parseWineRegistry(roots->userFile->text(), roots->currentUser)) return {nullptr, located(userLabel, *e)};
    EnvironmentMap env = baseEnvironment("C:\\windows");
    addRegistryEnvironment(env, *roots);
    return {std::make_unique<FileRegistry>(std::move(roots), std::move(drives), std::move(env)), {}};
}

}  // namespace

std::string defaultWinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    return std::string(home ? home : ".") + "/.wine";
}

RegistryOpenResult registryFromWineFiles(std::string_view systemReg, std::string_view userReg, DriveMap drives,
                                         const std::string& systemLabel, const std::string& userLabel) {
    return registryFromWineBytes(fileBytesOf(std::string(systemReg)), fileBytesOf(std::string(userReg)),
                                 std::move(drives), systemLabel, userLabel);
}

RegistryOpenResult registryFromExport(std::string_view bytes, DriveMap drives, EnvironmentMap environment,
                                      const std::string& label) {
    auto roots = std::make_shared<RegRoots>();
    if (auto e = parseRegExport(bytes, *roots)) return {nullptr, located(label, *e)};
    EnvironmentMap env = baseEnvironment("C:\\Windows");
    addRegistryEnvironment(env, *roots);
    for (auto& [name, value] : environment) env.insert_or_assign(name, std::move(value));
    return {std::make_unique<FileRegistry>(std::move(roots), std::move(drives), std::move(env)), {}};
}

RegistryOpenResult openWinePrefixRegistry(const std::string& prefix) {
    const std::string systemPath = (fs::path(prefix) / "system.reg").string();
    const std::string userPath = (fs::path(prefix) / "user.reg").string();
    std::string error;
    auto systemReg = readBounded(systemPath, error);
    if (!systemReg) return {nullptr, error};
    std::unique_ptr<const FileBytes> userReg;
    std::error_code ec;
    if (fs::exists(userPath, ec) && !(userReg = readBounded(userPath, error))) return {nullptr, error};
    return registryFromWineBytes(std::move(systemReg), std::move(userReg), prefixDrives(prefix), systemPath, userPath);
}

RegistryOpenResult openRegExportRegistry(const std::string& file, DriveMap drives, EnvironmentMap environment) {
    std::string error;
    const auto bytes = readBounded(file, error);
    if (!bytes) return {nullptr, error};
    return registryFromExport(bytes->text(), std::move(drives), std::move(environment), file);
}

bool hasDrive(std::string_view path) {
    if (path.starts_with("\\\\?\\") || path.starts_with("\\??\\")) path.remove_prefix(4);
    return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

std::string mapWindowsPath(std::string_view path, const DriveMap& drives) {
    if (!hasDrive(path)) return {};
    if (path.starts_with("\\\\?\\") || path.starts_with("\\??\\")) path.remove_prefix(4);
    const auto drive = drives.find(static_cast<char>(std::tolower(static_cast<unsigned char>(path[0]))));
    if (drive == drives.end()) return {};

    // "." and ".." resolve as Windows resolves them, so a path never climbs above its drive's root.
    std::vector<std::string_view> parts;
    for (std::string_view rest = path.substr(3); !rest.empty();) {
        const std::size_t cut = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }

    fs::path current = drive->second;
    std::error_code ec;
    for (const std::string_view part : parts) {
        if (fs::exists(current / part, ec)) {
            current /= part;
            continue;
        }
        bool found = false;
        for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
            if (equalsIgnoreCase(it->path().filename().string(), part)) {
                current = it->path();
                found = true;
                break;
            }
        }
        if (!found) return {};
    }
    if (!fs::exists(current, ec)) return {};
    return current.string();
}

}  // namespace tessivar
