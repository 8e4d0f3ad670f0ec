// Settings storage: the registry key and the portable settings file share one set of semantics
// (exists or not, bounded reads, only create() makes the store).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <thread>

#include "engine/posix/settings_file.h"
#include "engine/request.h"
#include "engine/registry_settings_store.h"
#include "base/text.h"
#include "support/child_process.h"
#include "support/fakes.h"
#include "support/memory_typelib.h"

namespace tessivar {
namespace {

namespace fs = std::filesystem;
using test::inChildWithin10s;

// A writable registry held in memory: key paths (compared ignoring case) to named values.
class MemoryRegistry : public Registry {
public:
    struct Less {
        bool operator()(const std::string& a, const std::string& b) const { return compareIgnoreCase(a, b) < 0; }
    };
    using Values = std::map<std::string, RegValue, Less>;
    std::map<std::string, Values, Less> keys;  // "HKLM\<path>"
    std::vector<RegAccess> opened;

    class Key : public RegKey {
    public:
        explicit Key(Values& values) : values_(values) {}
        RegStatus openSubKey(std::string_view, RegAccess, std::unique_ptr<RegKey>&) const override {
            return kRegFileNotFound;
        }
        RegStatus queryValue(std::string_view name, std::size_t maxBytes, RegValue& out) const override {
            const auto it = values_.find(std::string(name));
            if (it == values_.end()) return kRegFileNotFound;
            if (it->second.data.size() > maxBytes) return kRegMoreData;
            out = it->second;
            return kRegSuccess;
        }
        RegStatus enumSubKey(std::uint32_t, std::string&) const override { return kRegNoMoreItems; }
        RegStatus setValue(std::string_view name, const RegValue& value) override {
            values_[std::string(name)] = value;
            return kRegSuccess;
        }

    private:
        Values& values_;
    };

    RegStatus openKey(RegRoot root, std::string_view path, RegAccess access, std::unique_ptr<RegKey>& out) override {
        opened.push_back(access);
        const auto it = keys.find(name(root, path));
        if (it == keys.end()) return kRegFileNotFound;
        out = std::make_unique<Key>(it->second);
        return kRegSuccess;
    }
    RegStatus createKey(RegRoot root, std::string_view path, std::unique_ptr<RegKey>& out) override {
        out = std::make_unique<Key>(keys[name(root, path)]);
        return kRegSuccess;
    }
    std::string expandEnvironment(std::string_view text) const override { return std::string(text); }
    std::string localPath(std::string_view path) const override { return std::string(path); }

private:
    static std::string name(RegRoot root, std::string_view path) {
        return (root == RegRoot::LocalMachine ? "HKLM\\" : "OTHER\\") + std::string(path);
    }
};

const std::string kKey = "HKLM\\Software\\Ostrelle\\Kovra_Trial";

GeneratorSettings sample() { return GeneratorSettings{"widgets", "com.example.widgets", "/home/me/out", "/opt/kovra"}; }

TEST(RegistrySettings, NothingIsLoadedOrSavedUntilTheKeyIsCreated) {
    MemoryRegistry registry;
    RegistrySettingsStore store(registry);
    const GeneratorSettings loaded = loadSettings(store);
    EXPECT_EQ(loaded.package + loaded.jarModule + loaded.destDir + loaded.sdkPath, "");
    saveSettings(store, sample());
    EXPECT_TRUE(registry.keys.empty());
    for (RegAccess access : registry.opened) EXPECT_EQ(access, RegAccess::AllAccess);

    ASSERT_TRUE(store.create());
    saveSettings(store, sample());
    const auto& values = registry.keys.at(kKey);
    ASSERT_EQ(values.size(), 4u);
    // REG_SZ written with the terminating zero: length + 1 bytes.
    EXPECT_EQ(values.at("Package").type, REG_SZ);
    EXPECT_EQ(values.at("Package").data, std::vector<std::uint8_t>({'c', 'o', 'm', '.', 'e', 'x', 'a', 'm', 'p', 'l',
                                                                    'e', '.', 'w', 'i', 'd', 'g', 'e', 't', 's', 0}));
    const GeneratorSettings back = loadSettings(store);
    EXPECT_EQ(back.jarModule, "widgets");
    EXPECT_EQ(back.package, "com.example.widgets");
    EXPECT_EQ(back.destDir, "/home/me/out");
    EXPECT_EQ(back.sdkPath, "/opt/kovra");
}

TEST(RegistrySettings, LoadReadsAtMost259Bytes) {
    MemoryRegistry registry;
    RegistrySettingsStore store(registry);
    ASSERT_TRUE(store.create());
    ASSERT_TRUE(store.write("Dest", std::string(258, 'd')));  // 259 bytes with the zero: loaded
    ASSERT_TRUE(store.write("Path", std::string(259, 'p')));  // 260 bytes: not loaded
    const GeneratorSettings loaded = loadSettings(store);
    EXPECT_EQ(loaded.destDir, std::string(258, 'd'));
    EXPECT_EQ(loaded.sdkPath, "");
    EXPECT_EQ(store.read("Path", 260), std::string(259, 'p'));
}

// A scratch settings file path under a fresh folder.
struct TempConfig {
    fs::path dir;
    TempConfig() {
        std::string pattern = (fs::temp_directory_path() / "tessivar-settings-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
    }
    ~TempConfig() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string file() const { return (dir / "tessivar" / "settings.ini").string(); }
    std::string contents() const {
        std::ifstream in(file(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void setContents(const std::string& text) const {
        fs::create_directories(fs::path(file()).parent_path());
        std::ofstream(file(), std::ios::binary) << text;
    }
};

TEST(SettingsFile, SameSemanticsAsTheKey) {
    TempConfig config;
    SettingsFile store(config.file());
    EXPECT_FALSE(store.exists());
    saveSettings(store, sample());
    EXPECT_FALSE(fs::exists(config.file()));  // saving never creates the store

    ASSERT_TRUE(store.create());
    EXPECT_TRUE(store.exists());
    EXPECT_TRUE(store.create());  // creating again keeps what is there
    saveSettings(store, sample());
    EXPECT_EQ(config.contents(),
              "# Tessivar settings: one Name=value per line; a value runs to the end of its line.\n"
              "[Software\\Ostrelle\\Kovra_Trial]\n"
              "Package=com.example.widgets\n"
              "JarModule=widgets\n"
              "Dest=/home/me/out\n"
              "Path=/opt/kovra\n");
    const GeneratorSettings back = loadSettings(store);
    EXPECT_EQ(back.jarModule, "widgets");
    EXPECT_EQ(back.sdkPath, "/opt/kovra");

    ASSERT_TRUE(store.write("Dest", std::string(258, 'd')));
    ASSERT_TRUE(store.write("Path", std::string(259, 'p')));
    EXPECT_EQ(loadSettings(store).destDir, std::string(258, 'd'));
    EXPECT_EQ(loadSettings(store).sdkPath, "");
    EXPECT_EQ((fs::status(config.file()).permissions() & fs::perms::all), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(SettingsFile, HumanEditsAreReadAndKept) {
    TempConfig config;
    config.setContents("; my notes\r\n"
                       "[Other]\r\n"
                       "Path=not ours\r\n"
                       "[software\\ostrelle\\kovra_trial]\r\n"
                       "  path = /opt/kovra  \r\n"
                       "Dest=\"  spaced  \"\r\n"
                       "not a setting\r\n"
                       "\r\n"
                       "[Later]\r\n"
                       "x=1\r\n");
    SettingsFile store(config.file());
    ASSERT_TRUE(store.exists());
    EXPECT_EQ(store.read("Path", 260), "/opt/kovra");
    EXPECT_EQ(store.read("Dest", 260), "  spaced  ");
    EXPECT_EQ(store.read("Package", 260), std::nullopt);

    ASSERT_TRUE(store.write("Package", "\"quoted\""));
    ASSERT_TRUE(store.write("Dest", " lead"));
    ASSERT_TRUE(store.write("PATH", "/new"));
    EXPECT_EQ(config.contents(),
              "; my notes\n[Other]\nPath=not ours\n[software\\ostrelle\\kovra_trial]\n"
              "PATH=/new\nDest=\" lead\"\nnot a setting\nPackage=\"\"quoted\"\"\n\n[Later]\nx=1\n");
    EXPECT_EQ(store.read("package", 260), "\"quoted\"");
    EXPECT_EQ(store.read("Dest", 260), " lead");
}

TEST(SettingsFile, ChangesBySomeoneElseBetweenReadsAreSeen) {
    TempConfig config;
    config.setContents("[Software\\Ostrelle\\Kovra_Trial]\nPath=/opt/a\n");
    SettingsFile store(config.file());
    EXPECT_EQ(store.read("Path", 260), "/opt/a");
    EXPECT_EQ(store.read("Path", 260), "/opt/a");
    config.setContents("[Software\\Ostrelle\\Kovra_Trial]\nPath=/opt/longer\n");  // edited in place
    EXPECT_EQ(store.read("Path", 260), "/opt/longer");
    const std::string replacement = config.file() + ".new";
    std::ofstream(replacement, std::ios::binary) << "[Software\\Ostrelle\\Kovra_Trial]\nPath=/opt/b\n";
    fs::rename(replacement, config.file());  // replaced, as editors and this store do
    EXPECT_EQ(store.read("Path", 260), "/opt/b");
    fs::remove(config.file());
    EXPECT_FALSE(store.exists());
    EXPECT_EQ(store.read("Path", 260), std::nullopt);
}

// Where the file is and when it was last replaced: a save that writes nothing leaves both alone.
std::string stampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "missing";
    return std::to_string(st.st_ino) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec) + " " + std::to_string(st.st_ctim.tv_nsec);
}

TEST(SettingsFile, ASaveOfTheValuesItHoldsWritesNothing) {
    TempConfig config;
    config.setContents("[Software\\Ostrelle\\Kovra_Trial]\nPackage=com.example.widgets\nJarModule=widgets\n"
                       "Dest=/home/me/out\nPath=/opt/kovra\n");
    SettingsFile store(config.file());
    const std::string before = stampOf(config.file());
    EXPECT_EQ(saveSettings(store, sample()), std::nullopt);
    EXPECT_TRUE(store.write("Path", "/opt/kovra"));
    EXPECT_EQ(stampOf(config.file()), before);
    EXPECT_FALSE(fs::exists(config.file() + ".lock"));  // not even the lock was needed

    // One value changed: the four are written as one replacement of the file.
    GeneratorSettings other = sample();
    other.destDir = "/home/me/other";
    EXPECT_EQ(saveSettings(store, other), std::nullopt);
    EXPECT_NE(stampOf(config.file()), before);
    EXPECT_EQ(store.read("Dest", 260), "/home/me/other");

    // The same values in lines a save would write otherwise (line ends, spelling of a name, quoting, a
    // missing last line end): the file is rewritten as every save writes it.
    for (const char* text : {"[Software\\Ostrelle\\Kovra_Trial]\r\nPath=/opt/kovra\r\n",
                         "[Software\\Ostrelle\\Kovra_Trial]\npath=/opt/kovra\n",
                         "[Software\\Ostrelle\\Kovra_Trial]\nPath = /opt/kovra\n",
                         "[Software\\Ostrelle\\Kovra_Trial]\nPath=/opt/kovra"}) {
        config.setContents(text);
        ASSERT_TRUE(store.write("Path", "/opt/kovra"));
        EXPECT_EQ(config.contents(), "[Software\\Ostrelle\\Kovra_Trial]\nPath=/opt/kovra\n") << text;
    }
}

// A generate-all request saves after each class run: the first save replaces the file, the others find
// their values there.
TEST(SettingsFile, AGenerateAllRequestReplacesTheFileOnce) {
    class StampingHost : public RequestHost {
    public:
        explicit StampingHost(std::string path) : path_(std::move(path)) {}
        void setGenerateEnabled(bool) override {}
        std::vector<TypeEntry> selectClass(std::size_t) override { return {}; }
        void classRunDone(std::size_t, std::size_t) override { stamps.push_back(stampOf(path_)); }
        std::vector<std::string> stamps;

    private:
        std::string path_;
    };
    TempConfig config;
    config.setContents("[Software\\Ostrelle\\Kovra_Trial]\nPath=/opt/old\n");
    const std::string before = stampOf(config.file());
    RequestSnapshot snapshot;
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        snapshot.classes.push_back(ClassEntry{"{LIB}", name, name, "/lib/x.tlb", nullptr});
        snapshot.shownNames.push_back(name);
    }
    snapshot.classIndex = 0;
    snapshot.generateAll = true;
    snapshot.settings = sample();
    SettingsFile store(config.file());
    StampingHost host(config.file());
    test::MemoryFileSystem files;
    EmptyRegistry registry;
    test::MemoryLoader loader;
    test::RecordingUi ui;
    EXPECT_EQ(runRequest(host, snapshot, Services{files, registry, loader, store, ui}).classRuns, 3);
    ASSERT_EQ(host.stamps.size(), 3u);
    EXPECT_NE(host.stamps[0], before);
    EXPECT_EQ(host.stamps[1], host.stamps[0]);
    EXPECT_EQ(host.stamps[2], host.stamps[0]);
    EXPECT_EQ(loadSettings(store).package, "com.example.widgets");
    EXPECT_EQ(loadSettings(store).sdkPath, "/opt/kovra");
}

TEST(SettingsFile, RefusesWhatItCouldNotGiveBack) {
    TempConfig config;
    SettingsFile store(config.file());
    ASSERT_TRUE(store.create());
    const std::string before = config.contents();
    EXPECT_FALSE(store.write("Dest", "two\nlines"));
    EXPECT_FALSE(store.write("Dest", std::string("nul\0byte", 8)));
    EXPECT_FALSE(store.write("A=B", "x"));
    EXPECT_EQ(config.contents(), before);

    // A file far beyond any settings file is not ours: neither read nor replaced.
    config.setContents("[Software\\Ostrelle\\Kovra_Trial]\nPath=/x\n" + std::string(2 * 1024 * 1024, '#'));
    EXPECT_FALSE(store.exists());
    EXPECT_FALSE(store.create());
    EXPECT_FALSE(store.write("Path", "/y"));
    EXPECT_EQ(fs::file_size(config.file()), 2u * 1024 * 1024 + 40);
}

TEST(SettingsFile, ReplacesAtomicallyThroughALink) {
    TempConfig config;
    const fs::path real = config.dir / "dotfiles" / "tessivar.ini";
    fs::create_directories(real.parent_path());
    std::ofstream(real) << "[Software\\Ostrelle\\Kovra_Trial]\n";
    ::chmod(real.c_str(), 0640);
    fs::create_directories(fs::path(config.file()).parent_path());
    fs::create_symlink(real, config.file());

    SettingsFile store(config.file());
    ASSERT_TRUE(store.write("Path", "/opt/kovra"));
    EXPECT_TRUE(fs::is_symlink(config.file()));
    EXPECT_EQ(store.read("Path", 260), "/opt/kovra");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::size_t entries = 0;
    for (const auto& e : fs::directory_iterator(real.parent_path())) entries += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(entries, 1u);  // no temporary file left behind
}

TEST(SettingsFile, OnlyARegularFileIsReadAndAFailedSaveSaysWhy) {
    TempConfig config;
    fs::create_directories(fs::path(config.file()).parent_path());
    // A pipe in the file's place: neither reading nor saving waits for a writer.
    ASSERT_EQ(::mkfifo(config.file().c_str(), 0600), 0);
    EXPECT_TRUE(inChildWithin10s([&] {
        SettingsFile store(config.file());
        return !store.exists() && !store.read("Path", 260) && !store.create() &&
               store.failure() == config.file() + " is not a regular file";
    }));
    fs::remove(config.file());

    // A folder in the file's place.
    fs::create_directory(config.file());
    SettingsFile store(config.file());
    EXPECT_FALSE(store.create());
    EXPECT_EQ(store.failure(), config.file() + " is not a regular file");

    // The folder of the file cannot be made.
    TempConfig blocked;
    std::ofstream(blocked.dir / "tessivar") << "a file";
    SettingsFile cannotMake(blocked.file());
    EXPECT_FALSE(cannotMake.create());
    EXPECT_NE(cannotMake.failure().find("Not a directory"), std::string::npos) << cannotMake.failure();

    // A save that cannot be written (here: beyond the file size limit, as on a full disk) says why, and
    // the file stays as it was.
    TempConfig full;
    SettingsFile limited(full.file());
    ASSERT_TRUE(limited.create());
    const auto sizeBefore = fs::file_size(full.file());
    {
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = sizeBefore + 10;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto why = saveSettings(limited, sample());
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, savedSignal);
        EXPECT_EQ(why, full.file() + ": File too large");
    }
    EXPECT_EQ(fs::file_size(full.file()), sizeBefore);
    EXPECT_EQ(saveSettings(limited, sample()), std::nullopt);
    EXPECT_TRUE(limited.failure().empty());

    // The file replaced by a folder between the create and the save.
    fs::remove(full.file());
    fs::create_directory(full.file());
    EXPECT_FALSE(limited.writeTogether({{"Path", "/x"}}));
    EXPECT_EQ(limited.failure(), full.file() + " is not a regular file");
}

TEST(SettingsFile, SavesOfTwoProcessesAtOnceFollowEachOther) {
    TempConfig config;
    ASSERT_TRUE(SettingsFile(config.file()).create());
    // Each process saves its own value and a shared one, again and again: a save made from what was read
    // before another process's save would drop that process's own value.
    constexpr int kProcesses = 4, kSaves = 25;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        if (child == 0) {
            SettingsFile store(config.file());
            bool ok = true;
            for (int i = 0; i < kSaves; ++i)
                ok = store.writeTogether({{"Own" + std::to_string(p), std::to_string(i)}, {"Shared", std::to_string(p)}}) && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsFile store(config.file());
    for (int p = 0; p < kProcesses; ++p) EXPECT_EQ(store.read("Own" + std::to_string(p), 260), std::to_string(kSaves - 1));

    // A save waits for one another process has under way, and fails rather than wait for good.
    const int held = ::open((config.file() + ".lock").c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::thread release([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::flock(held, LOCK_UN);
    });
    EXPECT_TRUE(store.write("Path", "/after"));
    release.join();
    ::close(held);
    EXPECT_EQ(store.read("Path", 260), "/after");
}

TEST(SettingsFile, DefaultPathFollowsXdgConfigHome) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = savedXdg ? savedXdg : "";
    ::setenv("XDG_CONFIG_HOME", "/custom/config", 1);
    EXPECT_EQ(SettingsFile::defaultPath(), "/custom/config/tessivar/settings.ini");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (!home.empty()) {
        EXPECT_EQ(SettingsFile::defaultPath(), home + "/.config/tessivar/settings.ini");
    }
    if (savedXdg)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tessivar
