// Compiling generated Java in tests: javac over a generated tree against the runtime stand-in
// (tests/java/kovra-stub), in a scratch folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

#include "support/golden_compare.h"

namespace tessivar::test {

namespace fs = std::filesystem;

inline std::string run(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        status = -1;
        return "cannot run " + command;
    }
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
    status = pclose(pipe);
    return output;
}

inline std::map<std::string, std::string> filesUnder(const fs::path& root) {
    std::map<std::string, std::string> out;
    for (const auto& item : fs::recursive_directory_iterator(root))
        if (item.is_regular_file()) out[fs::relative(item.path(), root).string()] = readBytes(item.path().string());
    return out;
}

class JavacTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef TESSIVAR_KOVRA_JAR
        GTEST_SKIP() << "no Java compiler was found when the tests were configured";
#else
        work = fs::temp_directory_path() / ("tessivar-javac-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(work);
        fs::create_directories(work / "runtime");
        fs::copy_file(TESSIVAR_KOVRA_JAR, work / "runtime" / "kovra.jar");
        std::ofstream(work / "runtime" / "kovra.dll").put('\0');
#endif
    }
    void TearDown() override {
        // The generated files stay for a look when the test fails or TESSIVAR_KEEP_JAVA is set.
        if (!work.empty() && !::testing::Test::HasFailure() && !std::getenv("TESSIVAR_KEEP_JAVA"))
            fs::remove_all(work);
    }

    // javac over every .java file under `destination`; the compiler's output when it fails.
    ::testing::AssertionResult compiles(const fs::path& destination) {
#ifdef TESSIVAR_KOVRA_JAR
        std::ofstream list(destination / "sources.txt");
        int count = 0;
        for (const auto& item : fs::recursive_directory_iterator(destination / "src"))
            if (item.path().extension() == ".java") list << item.path().string() << "\n", ++count;
        list.close();
        if (count == 0) return ::testing::AssertionFailure() << "no Java files under " << destination;
        int status = 0;
        // A short javac run: the JIT's quick tier alone and the serial collector start and end it sooner.
        const std::string output =
            run(std::string(TESSIVAR_JAVAC) + " -J-XX:TieredStopAtLevel=1 -J-XX:+UseSerialGC" +
                    " -encoding UTF-8 -nowarn -Xlint:none -Xmaxerrs 1000 -proc:none -d " +
                    (destination / "classes").string() + " -cp " + (work / "runtime" / "kovra.jar").string() + " @" +
                    (destination / "sources.txt").string(),
                status);
        if (status != 0) return ::testing::AssertionFailure() << count << " files; javac says:\n" << output;
        return ::testing::AssertionSuccess() << count << " files";
#else
        (void)destination;
        return ::testing::AssertionFailure();
#endif
    }

    fs::path work;
};

}  // namespace tessivar::test
