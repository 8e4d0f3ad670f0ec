// In-memory stand-ins for the platform seams: a file system, a recording user interface, a settings
// store and an empty registry.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/file_system.h"
#include "engine/source_file.h"
#include "engine/settings_store.h"
#include "engine/user_interface.h"
#include "typelib/registry.h"

namespace tessivar::test {

// Paths are kept as given, with '\' and '/' both taken as separators and normalised to '/'.
class MemoryFileSystem : public FileSystem {
public:
    MemoryFileSystem();
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool makeFolder(const std::string& path) override;
    std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
    std::string currentDirectory() override { return cwd; }
    bool setCurrentDirectory(const std::string& path) override;

    void addFile(const std::string& path, const std::string& bytes = {});
    std::optional<std::string> file(const std::string& path) const;
    static std::string normal(const std::string& path);

    std::map<std::string, std::string> files;  // normalised path -> bytes
    std::set<std::string> folders;              // normalised paths
    std::vector<std::string> madeFolders;       // in the order they were made
    std::set<std::string> failWrites;           // files whose writes fail
    std::string cwd = "/work";
};

// A path or log line as the portable build spells it: the Windows build joins paths with '\\', which the
// tests' expectations write as '/'.
inline std::string slashed(std::string text) {
#ifdef _WIN32
    for (char& c : text)
        if (c == '\\') c = '/';
#endif
    return text;
}

// Each output failure as "PATH WHAT".
struct FailureLog : OutputFailureSink {
    void outputFailed(const std::string& path, const std::string& what) override { failures.push_back(path + " " + what); }
    std::vector<std::string> failures;
};

struct LoggedMessage {
    std::string text, caption;
    MessageIcon icon;
};

class RecordingUi : public UserInterface {
public:
    void appendLog(const std::string& line) override { log.push_back(slashed(line)); }
    void clearLog() override {
        log.clear();
        ++clears;
    }
    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) override {
        messages.push_back({text, caption, icon});
    }
    std::optional<std::string> browseForFolder(const std::string& title, const std::string& start) override {
        browses.push_back(title + " @ " + start);
        if (browseAnswers.empty()) return std::nullopt;
        auto answer = browseAnswers.front();
        browseAnswers.erase(browseAnswers.begin());
        return answer;
    }

    std::vector<std::string> log;
    std::vector<LoggedMessage> messages;
    std::vector<std::string> browses;
    std::vector<std::optional<std::string>> browseAnswers;  // what the next browses return
    int clears = 0;
};

class MemorySettingsStore : public SettingsStore {
public:
    bool exists() override { return present; }
    std::optional<std::string> read(const std::string& name, std::size_t maxBytes) override;
    bool create() override {
        present = true;
        return true;
    }
    bool write(const std::string& name, const std::string& value) override;

    bool present = false;
    std::map<std::string, std::string> values;
    std::vector<std::string> writes;  // "Name=value" in write order
};

}  // namespace tessivar::test
