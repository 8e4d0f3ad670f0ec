// A fresh 64-bit Wine prefix for the tests that read a real registry: made once per build tree
// (beside the test binary), remade when the installed Wine changes, never written by the tests.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace tessivar::test {

inline std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        ::pclose(pipe);
    }
    return out;
}

// The prefix folder, or nothing with the reason when Wine is missing or the set-up failed.
inline std::optional<std::string> sharedWinePrefix(std::string& why) {
    namespace fs = std::filesystem;
    const std::string wine = commandOutput("wine --version 2>/dev/null");
    if (wine.empty() || std::system("command -v wineboot >/dev/null 2>&1 && command -v wineserver >/dev/null 2>&1") != 0) {
        why = "Wine is not installed";
        return std::nullopt;
    }
    std::error_code ec;
    const fs::path home = fs::read_symlink("/proc/self/exe", ec).parent_path();
    const fs::path prefix = home / "wineprefix";
    const fs::path stamp = home / "wineprefix.ready";
    // A finished prefix has its type libraries registered; a wineboot cut short leaves a stub registry.
    auto registered = [&] {
        std::ifstream in(prefix / "system.reg");
        std::string line;
        while (std::getline(in, line)) {
            for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (line.rfind("[software\\\\classes\\\\typelib\\\\", 0) == 0) return true;
        }
        return false;
    };
    auto ready = [&] {
        std::ifstream in(stamp);
        return in && std::string(std::istreambuf_iterator<char>(in), {}) == wine && registered();
    };
    if (ready()) return prefix.string();

    // Test processes run in parallel: one makes the prefix, the others wait for it.
    const int lock = ::open((home / "wineprefix.lock").c_str(), O_CREAT | O_RDWR, 0644);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
        why = "cannot lock the Wine prefix";
        if (lock >= 0) ::close(lock);
        return std::nullopt;
    }
    // On a busy machine wineboot now and then stops before registering anything: it gets three tries.
    for (int attempt = 0; attempt < 3 && !ready(); ++attempt) {
        fs::remove(stamp, ec);
        fs::remove_all(prefix, ec);
        const std::string env = "WINEPREFIX='" + prefix.string() + "' WINEDEBUG=-all WINEDLLOVERRIDES=mshtml,mscoree= ";
        // wineserver -w: the registry files are written when the prefix's server exits.
        const std::string command = env + "wineboot -i >/dev/null 2>&1; " + env + "wineserver -w";
        if (std::system(command.c_str()) == 0 && registered()) std::ofstream(stamp) << wine;
    }
    ::flock(lock, LOCK_UN);
    ::close(lock);
    if (!ready()) {
        why = "wineboot did not make a prefix at " + prefix.string();
        return std::nullopt;
    }
    return prefix.string();
}

}  // namespace tessivar::test
