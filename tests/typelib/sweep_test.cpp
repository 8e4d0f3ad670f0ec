// Damaged copies of every real type library of the wine64 package: every truncation and thousands of
// seeded single-byte corruptions go through loading, the full walk and the generation of every coclass,
// each within a time limit. A module is swept over its type library resource as a bare image, and over
// its own headers and resource tree.
//
// The test command runs a deterministic subset: of each image every length up to 4 KiB, the lengths
// around each segment's start and end and 512 seeded others; of each module its headers and the first
// 4 KiB of its resource section at every length, and 512 seeded others; 200 corruptions of each library up
// to 16 KiB, proportionally fewer (at least 10) of bigger ones. TESSIVAR_SWEEP=full (scripts/sweep.sh)
// tries every length of every image, of each module's headers and resource section up to the type
// library, and 2000 corruptions of every library; TESSIVAR_SWEEP_CORRUPTIONS=N sets the number of
// corruptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <time.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/fakes.h"
#include "support/library_exercise.h"
#include "support/memory_typelib.h"
#include "tests/typelib/reader_test_support.h"
#include "typelib/reader/pe_resource.h"

namespace tessivar {
namespace {

using Clock = std::chrono::steady_clock;

// A file mapped copy-on-write: read without copying, corrupted in place without touching the file.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0) return;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_size > 0) {
            void* at = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
            if (at != MAP_FAILED) {
                data_ = static_cast<std::byte*>(at);
                size_ = static_cast<std::size_t>(st.st_size);
            }
        }
        ::close(fd);
    }
    ~MappedFile() {
        if (data_) ::munmap(data_, size_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    std::byte* data() const { return data_; }
    std::size_t size() const { return size_; }
    reader::Bytes bytes() const { return reader::Bytes(data_, size_); }

private:
    std::byte* data_ = nullptr;
    std::size_t size_ = 0;
};

bool fullSweep() {
    const char* mode = std::getenv("TESSIVAR_SWEEP");
    return mode && std::string(mode) == "full";
}

// Aborts the process when one input runs past its limit: a hang must end the test, not stall it. The
// limit counts the processor time of the thread under watch, so a machine busy with other work does not
// make a slow input look hung; an input that waits without computing is caught by the wall clock, at
// ten times the limit and a minute.
class Watchdog {
public:
    Watchdog() : thread_([this] { watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_one();
        thread_.join();
    }
    void begin(std::string what, Clock::duration limit) {
        std::lock_guard lock(mutex_);
        what_ = std::move(what);
        limit_ = limit;
        if (::pthread_getcpuclockid(::pthread_self(), &cpuClock_) != 0) cpuClock_ = CLOCK_THREAD_CPUTIME_ID;
        cpuStart_ = cpuTime();
        wallStart_ = Clock::now();
        busy_ = true;
        changed_.notify_one();
    }
    void end() {
        std::lock_guard lock(mutex_);
        busy_ = false;
    }

private:
    std::chrono::nanoseconds cpuTime() const {
        timespec now{};
        ::clock_gettime(cpuClock_, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }

    void watch() {
        std::unique_lock lock(mutex_);
        while (!stop_) {
            if (!busy_) {
                changed_.wait(lock);
                continue;
            }
            changed_.wait_for(lock, std::chrono::milliseconds(250));
            if (stop_ || !busy_) continue;
            const bool computing = cpuTime() - cpuStart_ > limit_;
            const bool waiting = Clock::now() - wallStart_ > 10 * limit_ + std::chrono::minutes(1);
            if (computing || waiting) {
                std::fprintf(stderr, "HANG: %s ran past its time limit (%s)\n", what_.c_str(),
                             computing ? "processor time" : "wall time");
                std::fflush(stderr);
                std::abort();
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string what_;
    Clock::duration limit_{};
    clockid_t cpuClock_ = CLOCK_THREAD_CPUTIME_ID;
    std::chrono::nanoseconds cpuStart_{};
    Clock::time_point wallStart_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};

struct Library {
    std::string name;           // file name, with "\N" for a resource other than the first
    std::uint32_t resourceId = 1;
    std::shared_ptr<MappedFile> file;  // the whole file
    std::size_t imageStart = 0; // where the type library image lies in the file
    std::size_t imageSize = 0;
    bool module = false;
};

// The little-endian 32-bit field at `at`, with zeros for the bytes past the end.
std::uint32_t le32(reader::Bytes bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | (at + i < bytes.size() ? std::to_integer<std::uint32_t>(bytes[at + i]) : 0);
    return v;
}

// The file regions the resource walk reads, as offsets into a module.
struct ModuleRegions {
    std::size_t headersEnd = 0;  // end of the section table
    std::size_t treeStart = 0;   // the resource tree root
};

ModuleRegions regionsOf(const MappedFile& file) {
    const auto get32 = [&](std::size_t at) { return le32(file.bytes(), at); };
    ModuleRegions r;
    const std::size_t lfanew = get32(0x3C);
    const std::size_t optional = lfanew + 24;
    const std::size_t sections = get32(lfanew + 4) >> 16;
    const std::size_t table = optional + (get32(lfanew + 20) & 0xFFFF);
    r.headersEnd = table + 40 * sections;
    const bool pe32plus = (get32(optional) & 0xFFFF) == 0x20B;
    const std::uint32_t resourceRva = get32(optional + (pe32plus ? 112 : 96) + 16);
    for (std::size_t i = 0; i < sections; ++i) {
        const std::size_t at = table + 40 * i;
        const std::uint32_t va = get32(at + 12), size = std::max(get32(at + 8), get32(at + 16));
        if (resourceRva >= va && resourceRva - va < size) r.treeStart = resourceRva - va + get32(at + 20);
    }
    return r;
}

// The type libraries of one file: a .tlb is one, a module has one per TYPELIB resource (1 to 3).
std::vector<Library> librariesIn(const std::string& fileName) {
    std::vector<Library> out;
    const auto mapped = std::make_shared<MappedFile>(testing::wineLibPath(fileName));
    const reader::Bytes file = mapped->bytes();
    if (file.empty()) return out;
    if (!reader::looksLikeModule(file)) {
        out.push_back(Library{fileName, 1, mapped, 0, file.size(), false});
        return out;
    }
    for (std::uint32_t id = 1; id <= 3; ++id) {
        reader::Bytes image;
        if (!reader::findTypeLibResource(file, id, image).ok()) continue;
        const std::string name = id == 1 ? fileName : fileName + "\\" + std::to_string(id);
        out.push_back(Library{name, id, mapped, static_cast<std::size_t>(image.data() - file.data()), image.size(), true});
    }
    return out;
}

// Whether this process's test filter may select a sweep case. Every test process registers the cases of
// every suite, and finding the package's libraries opens each of its hundreds of files: ctest runs each
// case in a process of its own, with a filter naming just that case.
bool sweepMayRun() {
    const std::string filter = GTEST_FLAG_GET(filter);
    return filter.find_first_of("*?-") != std::string::npos || filter.find("Sweep") != std::string::npos;
}

// The files of the package that hold a type library; with `before`, those whose names sort before it.
std::vector<std::string> libraryFiles(const std::string& before = {}) {
    std::vector<std::string> names;
    if (!sweepMayRun()) return names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(testing::kWineLibDir, ec)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".tlb" && ext != ".dll" && ext != ".ocx" && ext != ".exe") continue;
        const std::string name = entry.path().filename().string();
        if (!before.empty() && name >= before) continue;
        if (ext == ".tlb" || !librariesIn(name).empty()) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Tally {
    std::size_t inputs = 0, loaded = 0, walked = 0, generated = 0;
    Clock::duration loading{}, walking{}, generating{}, slowest{};
    std::string slowestInput;
};

double secondsOf(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Whether a loaded input is walked and generated.
enum class Walk { Always, Never };

// TESSIVAR_SWEEP_SHARD=K/N: this process takes every Nth input from the Kth on, so N processes share
// one library's sweep (the whole sweep of the largest takes over an hour on one processor).
struct Shard {
    unsigned index = 0, count = 1;
    static Shard fromEnvironment() {
        Shard shard;
        if (const char* given = std::getenv("TESSIVAR_SWEEP_SHARD"))
            if (std::sscanf(given, "%u/%u", &shard.index, &shard.count) != 2 || shard.count == 0 || shard.index >= shard.count)
                shard = Shard{};
        return shard;
    }
};

class Sweeper {
public:
    Sweeper(Watchdog& watchdog, Tally& tally) : watchdog_(watchdog), tally_(tally) {}

    // Loads, walks and generates the intact library once, and sets the time limit of damaged inputs
    // from it: a damaged copy may take a few times as long as the intact one, never more.
    void calibrate(reader::Bytes image, const std::string& name) {
        const Clock::time_point start = Clock::now();
        watchdog_.begin(name + " intact", std::chrono::minutes(5));
        std::shared_ptr<const TypeLib> loaded;
        ASSERT_EQ(reader::loadTypeLibFromBytes(image, 1, loaded), kOk) << name;
        EXPECT_GT(test::walkLibrary(*loaded), 0u);
        generate(loaded);
        watchdog_.end();
        intact_ = Clock::now() - start;
        limit_ = std::max<Clock::duration>(std::chrono::seconds(10), 5 * intact_);
    }

    // One damaged input, loaded from a module or a bare image; true when it loads.
    bool run(const std::string& what, reader::Bytes bytes, std::uint32_t resourceId, Walk walk = Walk::Always) {
        if (seen_++ % shard_.count != shard_.index) return false;  // another process's input
        const Clock::time_point start = Clock::now();
        watchdog_.begin(what, limit_);
        std::shared_ptr<const TypeLib> loaded;
        const HResult hr = reader::loadTypeLibFromBytes(bytes, resourceId, loaded);
        const Clock::time_point afterLoad = Clock::now();
        tally_.loading += afterLoad - start;
        ++tally_.inputs;
        if (hr == kOk) {
            ++tally_.loaded;
            EXPECT_TRUE(loaded) << what;
            if (loaded && walk == Walk::Always) {
                ++tally_.walked;
                (void)test::walkLibrary(*loaded);
                const Clock::time_point afterWalk = Clock::now();
                tally_.walking += afterWalk - afterLoad;
                generate(loaded);
                tally_.generating += Clock::now() - afterWalk;
            }
        } else {
            EXPECT_FALSE(loaded) << what;
            EXPECT_TRUE(hr == kCantLoadLibrary || hr == kInvalidDataRead || hr == kUnsupportedFormat)
                << what << " status " << std::hex << hr;
        }
        watchdog_.end();
        if (const Clock::duration took = Clock::now() - start; took > tally_.slowest) {
            tally_.slowest = took;
            tally_.slowestInput = what;
        }
        return hr == kOk;
    }

    Clock::duration intact() const { return intact_; }

private:
    void generate(const std::shared_ptr<const TypeLib>& loaded) {
        test::MemoryLoader loader;
        loader.add("/lib/damaged.tlb", loaded);
        test::MemoryFileSystem files;
        ASSERT_TRUE(test::makeRuntimeFolder(files, "/kovra"));
        const RequestOutcome outcome = test::generateWholeLibrary(loader, "/lib/damaged.tlb", files, "/out", "/kovra");
        if (outcome.classRuns > 0) ++tally_.generated;
    }

    Watchdog& watchdog_;
    Tally& tally_;
    const Shard shard_ = Shard::fromEnvironment();
    std::size_t seen_ = 0;
    Clock::duration intact_{}, limit_ = std::chrono::seconds(10);
};

reader::Bytes imageOf(const Library& lib) { return reader::Bytes(lib.file->data() + lib.imageStart, lib.imageSize); }

std::uint64_t hashOf(reader::Bytes bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (const std::byte b : bytes) h = (h ^ std::to_integer<std::uint64_t>(b)) * 1099511628211ull;
    return h;
}
std::uint64_t seedOf(const std::string& name) {
    return hashOf(reader::Bytes(reinterpret_cast<const std::byte*>(name.data()), name.size()));
}

// Every length from 0 to `whole`, or in the subset the lengths of the given windows and `samples`
// seeded ones.
std::vector<std::size_t> lengthsToTry(std::size_t whole, bool every, const std::vector<std::pair<std::size_t, std::size_t>>& windows,
                                      std::size_t samples, std::mt19937_64& random) {
    std::vector<std::size_t> lengths;
    if (every) {
        lengths.resize(whole + 1);
        for (std::size_t i = 0; i <= whole; ++i) lengths[i] = i;
        return lengths;
    }
    std::set<std::size_t> chosen{whole};
    for (const auto& [from, to] : windows)
        for (std::size_t i = from; i <= std::min(to, whole); ++i) chosen.insert(i);
    for (std::size_t i = 0; i < samples; ++i) chosen.insert(random() % (whole + 1));
    return {chosen.begin(), chosen.end()};
}

constexpr std::size_t kCorruptions = 2000;
// The subset: corruptions of a library up to 16 KiB, proportionally fewer (at least 10) of bigger ones.
constexpr std::size_t kSubsetCorruptions = 200;
constexpr std::size_t kSubsetSmallImage = 16 * 1024;
// The subset: every image length up to this, around every segment edge, and seeded samples.
constexpr std::size_t kSubsetEveryLength = 4 * 1024;
constexpr std::size_t kSubsetLengthSamples = 512;

std::size_t corruptionsOf(const Library& lib) {
    if (const char* given = std::getenv("TESSIVAR_SWEEP_CORRUPTIONS")) return std::strtoul(given, nullptr, 10);
    if (fullSweep()) return kCorruptions;
    if (lib.imageSize <= kSubsetSmallImage) return kSubsetCorruptions;
    return std::max<std::size_t>(10, kSubsetCorruptions * kSubsetSmallImage / lib.imageSize);
}

// The start and end of every segment the image's directory lists, where truncations change what fails.
std::vector<std::pair<std::size_t, std::size_t>> segmentEdges(reader::Bytes image) {
    const auto get32 = [&](std::size_t at) { return le32(image, at); };
    std::vector<std::pair<std::size_t, std::size_t>> windows;
    const std::size_t directory = 0x54 + 4ull * (get32(0x20) & 0xFFFF) + ((get32(0x14) & 0x100) ? 4 : 0);
    windows.emplace_back(directory, directory + 15 * 16);
    for (std::size_t i = 0; i < 15; ++i) {
        const std::uint32_t offset = get32(directory + 16 * i), length = get32(directory + 16 * i + 4);
        if (offset == 0xFFFFFFFF || offset >= image.size()) continue;
        for (const std::size_t edge : {std::size_t{offset}, std::size_t{offset} + length})
            windows.emplace_back(edge - std::min<std::size_t>(edge, 4), edge + 4);
    }
    return windows;
}

// The image's prefixes. A prefix loads only when every byte the reader reads lies inside it, so all
// loading prefixes yield the library of the shortest one: that one, the whole image and a seeded few of
// the others are walked and generated, the rest only loaded.
void sweepImageLengths(Sweeper& sweeper, const Library& lib, std::mt19937_64& random) {
    const reader::Bytes image = imageOf(lib);
    auto windows = segmentEdges(image);
    windows.emplace_back(0, kSubsetEveryLength);
    bool firstLoaded = true;
    for (const std::size_t length : lengthsToTry(image.size(), fullSweep(), windows, kSubsetLengthSamples, random)) {
        const bool walk = firstLoaded || length == image.size() || random() % 1024 == 0;
        const std::string what = lib.name + " image truncated to " + std::to_string(length);
        if (walk) {
            if (sweeper.run(what, image.first(length), 1)) firstLoaded = false;
        } else {
            sweeper.run(what, image.first(length), 1, Walk::Never);
        }
    }
}

// A module's own structures: every length through its headers, through its resource section up to the
// type library (4 KiB of it in the subset) and around the type library's start and end. Prefixes that end
// inside the type library all fail at the same check, and longer ones hold the intact image: both are
// sampled, and the longer ones are loaded but not walked again (the image's own lengths are swept bare).
void sweepModuleLengths(Sweeper& sweeper, const Library& lib, std::mt19937_64& random) {
    const ModuleRegions regions = regionsOf(*lib.file);
    const std::size_t imageEnd = lib.imageStart + lib.imageSize;
    const std::size_t treeEnd = fullSweep() ? std::max(regions.treeStart, lib.imageStart) : regions.treeStart + 4096;
    const auto lengths = lengthsToTry(lib.file->size(), false,
                                      {{0, regions.headersEnd + 16},
                                       {regions.treeStart, treeEnd},
                                       {lib.imageStart - std::min<std::size_t>(lib.imageStart, 64), lib.imageStart + 64},
                                       {imageEnd - 64, imageEnd + 64}},
                                      kSubsetLengthSamples, random);
    for (const std::size_t length : lengths)
        sweeper.run(lib.name + " file truncated to " + std::to_string(length), lib.file->bytes().first(length),
                    lib.resourceId, length < imageEnd ? Walk::Always : Walk::Never);
}

// Single-byte corruptions: anywhere in the image, and for a module one in eight in its headers. Of an
// image another file sweeps only the module's own headers are corrupted, as many times as they would be.
void sweepCorruptions(Sweeper& sweeper, const Library& lib, std::size_t count, std::mt19937_64& random,
                      bool imageSwept) {
    const std::size_t headersEnd = lib.module ? std::min(regionsOf(*lib.file).headersEnd, lib.file->size()) : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const bool inHeaders = headersEnd > 0 && random() % 8 == 0;
        if (imageSwept && !inHeaders) continue;
        const std::size_t at = inHeaders ? random() % headersEnd : lib.imageStart + random() % lib.imageSize;
        std::byte& target = lib.file->data()[at];
        const std::byte was = target;
        target = static_cast<std::byte>(std::to_integer<unsigned>(was) + 1 + random() % 255);
        const std::string what = lib.name + " byte " + std::to_string(at) + " set to " + std::to_string(std::to_integer<unsigned>(target));
        if (inHeaders)
            sweeper.run(what, lib.file->bytes(), lib.resourceId);
        else
            sweeper.run(what, imageOf(lib), 1);
        target = was;
    }
}

// Whether a file before `fileName` in the package's order holds the same image: several modules carry
// one type library, and that image is swept with the first of them only.
bool sweptWithAnEarlierFile(const std::string& fileName, reader::Bytes image) {
    for (const std::string& earlier : libraryFiles(fileName)) {
        for (const Library& other : librariesIn(earlier)) {
            const reader::Bytes held = imageOf(other);
            if (held.size() == image.size() && std::equal(held.begin(), held.end(), image.begin())) return true;
        }
    }
    return false;
}

class Sweep : public ::testing::TestWithParam<std::string> {};

TEST_P(Sweep, TruncationsAndCorruptionsEndCleanly) {
    const std::vector<Library> libraries = librariesIn(GetParam());
    if (libraries.empty()) GTEST_SKIP() << GetParam() << " holds no type library";
    Watchdog watchdog;
    std::set<std::uint64_t> imagesSwept;
    for (const Library& lib : libraries) {  // its mapping is corrupted in place, one byte at a time
        Tally tally;
        Sweeper sweeper(watchdog, tally);
        sweeper.calibrate(imageOf(lib), lib.name);
        if (HasFatalFailure()) return;
        std::mt19937_64 random(seedOf(lib.name));
        const Clock::time_point start = Clock::now();
        const bool imageSwept = !imagesSwept.insert(hashOf(imageOf(lib))).second ||
                                sweptWithAnEarlierFile(GetParam(), imageOf(lib));
        if (!imageSwept) sweepImageLengths(sweeper, lib, random);
        if (lib.module) sweepModuleLengths(sweeper, lib, random);
        const std::size_t corruptions = corruptionsOf(lib);
        sweepCorruptions(sweeper, lib, corruptions, random, imageSwept);
        std::printf("%s (%zu bytes): %zu inputs (%zu corruptions), %zu loaded, %zu walked, %zu generated in %.1f s "
                    "(load %.1f, walk %.1f, generation %.1f; intact %.2f); slowest %.2f s: %s\n",
                    lib.name.c_str(), lib.imageSize, tally.inputs, corruptions, tally.loaded, tally.walked, tally.generated,
                    secondsOf(Clock::now() - start), secondsOf(tally.loading), secondsOf(tally.walking),
                    secondsOf(tally.generating), secondsOf(sweeper.intact()), secondsOf(tally.slowest),
                    tally.slowestInput.c_str());
    }
}

std::string testName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name;
    for (const char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(WineLibraries, Sweep, ::testing::ValuesIn(libraryFiles()), testName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Sweep);

}  // namespace
}  // namespace tessivar
