// Reading and atomically replacing the per-user settings file.
#include "engine/posix/settings_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "engine/registry_settings_store.h"
#include "base/text.h"
#include "typelib/posix/descriptor.h"

namespace tessivar {
namespace {

namespace fs = std::filesystem;

// A settings file is a few hundred bytes; anything far larger is not ours and is left alone.
constexpr std::uintmax_t kMaxSettingsFileBytes = 1024 * 1024;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string sectionHeader() { return std::string("[") + kSettingsKeyPath + "]"; }

bool isSectionHeader(std::string_view line) {
    line = trim(line);
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// The name of a "Name=value" line, or nothing for comments and other lines.
std::optional<std::string_view> entryName(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == '#' || t.front() == ';') return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trim(line.substr(0, eq));
}

std::string entryValue(std::string_view line) {
    std::string_view v = trim(line.substr(line.find('=') + 1));
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return std::string(v);
}

std::string entryLine(const std::string& name, const std::string& value) {
    const bool quote = !value.empty() && (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' ||
                                          value.back() == '\t' || value.front() == '"');
    return name + "=" + (quote ? "\"" + value + "\"" : value);
}

// Index of the section's first line for `name`, if any.
std::optional<std::size_t> findEntry(const std::vector<std::string>& lines, std::size_t section, std::string_view name) {
    for (std::size_t i = section + 1; i < lines.size() && !isSectionHeader(lines[i]); ++i)
        if (const auto n = entryName(lines[i]); n && equalsIgnoreCase(*n, name)) return i;
    return std::nullopt;
}

bool readAll(int fd, std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;  // shortened meanwhile
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return true;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string SettingsFile::defaultPath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : ".";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/tessivar/settings.ini";
}

SettingsFile::Load SettingsFile::load(Contents& out, std::string* why) const {
    out = Contents{};
    // Opened without waiting (a pipe in the file's place would wait for a writer), then only a regular
    // file of a settings file's size is read.
    const Descriptor fd(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Load::Missing;
        if (why) *why = path_ + ": " + std::strerror(errno);
        return Load::Unusable;
    }
    if (!S_ISREG(st.st_mode)) {
        if (why) *why = path_ + " is not a regular file";
        return Load::Unusable;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxSettingsFileBytes) {
        if (why) *why = path_ + " is larger than a settings file may be";
        return Load::Unusable;
    }
    // A request reads the settings once per class: the file is read again only when it is another file
    // or has been written since.
    const Stamp stamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                      static_cast<std::int64_t>(st.st_size),  static_cast<std::int64_t>(st.st_mtim.tv_sec),
                      st.st_mtim.tv_nsec,                      static_cast<std::int64_t>(st.st_ctim.tv_sec),
                      st.st_ctim.tv_nsec};
    if (cached_ && cached_->stamp == stamp) {
        out = cached_->contents;
        return Load::Loaded;
    }
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    if (!readAll(fd.get(), bytes)) {
        if (why) *why = path_ + ": " + std::strerror(errno);
        return Load::Unusable;
    }
    out.asWritten = bytes.empty() || bytes.back() == '\n';
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            out.asWritten = false;
        }
        if (!out.section && equalsIgnoreCase(trim(line), sectionHeader())) out.section = out.lines.size();
        out.lines.push_back(std::move(line));
        pos = end + 1;
    }
    if (bytes.size() == static_cast<std::size_t>(st.st_size)) cached_ = Cached{stamp, out};
    return Load::Loaded;
}

bool SettingsFile::failWith(std::string why) {
    failure_ = std::move(why);
    return false;
}

std::string SettingsFile::failure() const { return failure_; }

int SettingsFile::lockFile() {
    std::error_code ec;
    const fs::path path = path_;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    if (ec) {
        failWith(path.parent_path().string() + ": " + ec.message());
        return -1;
    }
    const std::string lockPath = path_ + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
        failWith(lockPath + ": " + std::strerror(errno));
        return -1;
    }
    // Waits in steps rather than for good: a process that hangs holding the lock fails this change.
    for (int waited = 0;; waited += 10) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) || waited >= kLockWaitMilliseconds) {
            ::close(fd);
            failWith(lockPath + ": " + (error == EWOULDBLOCK ? std::string("another process holds it")
                                                            : std::string(std::strerror(error))));
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool SettingsFile::replace(const Contents& contents) {
    std::string bytes;
    for (const std::string& line : contents.lines) bytes += line + "\n";

    std::error_code ec;
    fs::path target = path_;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        target = fs::canonical(target, ec);  // keep a linked dotfile linked
        if (ec) return failWith(path_ + ": " + ec.message());
    }
    ec.clear();
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    if (ec) return failWith(target.parent_path().string() + ": " + ec.message());

    std::string hidden(1, '.');
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string temp = (target.parent_path() / hidden).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return failWith(target.parent_path().string() + ": " + std::strerror(errno));
    struct stat old {};
    mode_t mode = 0600;  // a new file is the user's own; an existing one keeps its mode
    if (::stat(target.c_str(), &old) == 0) mode = old.st_mode & 07777;
    int error = 0;
    if (!writeAll(fd, bytes) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) error = errno ? errno : ENOSPC;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return failWith(target.string() + ": " + std::strerror(error));
    }
    failure_.clear();
    return true;
}

bool SettingsFile::exists() {
    Contents c;
    return load(c) == Load::Loaded && c.section.has_value();
}

std::optional<std::string> SettingsFile::read(const std::string& name, std::size_t maxBytes) {
    Contents c;
    if (load(c) != Load::Loaded || !c.section) return std::nullopt;
    const auto at = findEntry(c.lines, *c.section, name);
    if (!at) return std::nullopt;
    std::string value = entryValue(c.lines[*at]);
    if (value.size() + 1 > maxBytes) return std::nullopt;  // the reader's buffer holds the zero too
    return value;
}

bool SettingsFile::create() {
    const Descriptor lock(lockFile());
    if (lock.get() < 0) return false;
    Contents c;
    std::string why;
    switch (load(c, &why)) {
        case Load::Unusable: return failWith(why);
        case Load::Missing:
            c.lines = {"# Tessivar settings: one Name=value per line; a value runs to the end of its line."};
            break;
        case Load::Loaded:
            if (c.section) {
                failure_.clear();
                return true;
            }
            break;
    }
    c.lines.push_back(sectionHeader());
    return replace(c);
}

bool SettingsFile::write(const std::string& name, const std::string& value) { return writeTogether({{name, value}}); }

bool SettingsFile::writeTogether(const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, value] : values) {
        if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            return failWith("the value of " + name + " holds a line break or a zero byte");
        if (name.empty() || name.find_first_of(std::string("=\r\n\0[", 5)) != std::string::npos)
            return failWith("a value name is empty or holds a character a settings file cannot give back");
    }
    // Most saves repeat the values already there: those need neither the lock nor a new file.
    Contents c;
    if (load(c) == Load::Loaded && c.section && !setValues(c, values)) {
        failure_.clear();
        return true;
    }
    const Descriptor lock(lockFile());
    if (lock.get() < 0) return false;
    std::string why;
    const Load loaded = load(c, &why);
    if (loaded == Load::Unusable) return failWith(why);
    if (loaded == Load::Missing || !c.section) return failWith(path_ + " holds no settings any more");
    if (!setValues(c, values)) {
        failure_.clear();
        return true;
    }
    return replace(c);
}

bool SettingsFile::setValues(Contents& c, const std::vector<std::pair<std::string, std::string>>& values) {
    bool changed = !c.asWritten;
    for (const auto& [name, value] : values) {
        std::string line = entryLine(name, value);
        if (const auto at = findEntry(c.lines, *c.section, name)) {
            if (c.lines[*at] == line) continue;
            c.lines[*at] = std::move(line);
        } else {
            std::size_t end = *c.section + 1;
            while (end < c.lines.size() && !isSectionHeader(c.lines[end])) ++end;
            while (end > *c.section + 1 && trim(c.lines[end - 1]).empty()) --end;  // before the blank lines
            c.lines.insert(c.lines.begin() + static_cast<std::ptrdiff_t>(end), std::move(line));
        }
        changed = true;
    }
    return changed;
}

}  // namespace tessivar
