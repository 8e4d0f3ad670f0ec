// The dialog program's worker thread over the platform's type library loader, registry and disk: requests
// made back to back or while others run, the dialog's state changing meanwhile, and stopping. The worker's messages go to a
// message-only window and list box, which need no display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/windows/generation_worker.h"
#include "app/windows/generator_dialog.h"
#include "engine/registry_settings_store.h"
#include "typelib/class_lookups.h"
#include "typelib/platform_loader.h"
#include "typelib/windows/registry_win.h"
#include "windows_test_support.h"

// After the core's headers: the platform's macros reuse names of the type library seam.
#include <windows.h>

namespace tessivar::test {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// Stands in for the dialog: takes the worker's messages on the test's thread and keeps the log list box.
class StandInDialog {
public:
    StandInDialog() {
        static const ATOM windowClass = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "TessivarStandInDialog";
            return RegisterClassA(&wc);
        }();
        window = CreateWindowExA(0, MAKEINTATOM(windowClass), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        log = CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 400, 400, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~StandInDialog() {
        DestroyWindow(log);
        DestroyWindow(window);
    }

    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        const LRESULT count = SendMessageA(log, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::string line(static_cast<std::size_t>(SendMessageA(log, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)), '\0');
            SendMessageA(log, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
            lines.push_back(line);
        }
        return lines;
    }

    // Serves the worker's messages until `done` holds; false after `ms` without.
    bool pumpUntil(const std::function<bool()>& done, const std::function<void()>& between = {}, DWORD ms = 60000) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > ms) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            if (between) between();
        }
        return true;
    }

    HWND window = nullptr;
    HWND log = nullptr;
    std::vector<int> running;                        // WM_REQUEST_RUNNING's wParam, in order
    std::vector<std::vector<std::string>> logAtStart;  // the log as each request started: the last one's lines

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<StandInDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == WM_REQUEST_RUNNING) {
            self->running.push_back(static_cast<int>(wParam));
            if (wParam) self->logAtStart.push_back(self->logLines());
            return TRUE;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

// The dialog's own state over the fixture library, as its thread keeps it; a request gets a copy of it.
struct DialogState {
    std::unique_ptr<TypeLibLoader> loader = makePlatformTypeLibLoader(nullptr);
    RequestSnapshot state;

    void open(const std::string& path) {
        ASSERT_EQ(LoadClassesFromFile(*loader, path, state.classes), kOk);
        state.shownNames.clear();
        for (const ClassEntry& entry : state.classes) state.shownNames.push_back(entry.progId);
        std::sort(state.shownNames.begin(), state.shownNames.end());
    }
    // The library spells a name as its name table first met it: the class is found ignoring case.
    void select(const std::string& name) {
        const auto& names = state.shownNames;
        const auto shown = std::find_if(names.begin(), names.end(),
                                        [&](const std::string& s) { return lstrcmpiA(s.c_str(), name.c_str()) == 0; });
        ASSERT_NE(shown, names.end()) << name;
        state.classIndex = static_cast<int>(shown - names.begin());
        const FoundClass found = FindClass(*loader, *shown, state.classes);
        state.interfaces = ListImplementedInterfaces(found.typeLibPath, found.coClass);
    }
    void edit(GeneratorSettings settings) { state.settings = std::move(settings); }
    GenerationWorker::Request request(const StandInDialog& dialog) const {
        return GenerationWorker::Request{dialog.window, dialog.log, 1, state};
    }
};

class WorkerRequests : public ::testing::Test {
protected:
    void SetUp() override {
        char buffer[MAX_PATH];
        GetTempPathA(MAX_PATH, buffer);
        root = std::string(buffer) + "tessivar-worker-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(root.c_str(), nullptr);
        CreateDirectoryA(runtime().c_str(), nullptr);
        for (const char* file : {"\\kovra.jar", "\\kovra.dll"}) std::ofstream(runtime() + file).put('\n');
        GetCurrentDirectoryA(MAX_PATH, buffer);
        savedCwd = buffer;
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKeyPath);
        SetCurrentDirectoryA(savedCwd.c_str());
        (void)std::system(("cmd /c rmdir /s /q \"" + root + "\" >nul 2>&1").c_str());
    }

    std::string runtime() const { return root + "\\kovra"; }
    std::string out(int n) const { return root + "\\out" + std::to_string(n); }
    // The Java files written for the fixture library under a destination and package folder.
    std::vector<std::string> javaFiles(int n, const std::string& packageFolder) const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        const std::string pattern = out(n) + "\\src\\" + packageFolder + "\\TessivarFeatures\\*.java";
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string bytesOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string root, savedCwd;
    const std::string fixture = winePath(TESSIVAR_SOURCE_DIR "/tests/fixtures/tlb/features64.tlb");
};

TEST_F(WorkerRequests, BackToBackRequestsAndASelectionChangeWhileTheyRunEachUseTheirOwnState) {
    StandInDialog dialog;
    ASSERT_TRUE(dialog.window && dialog.log);
    DialogState state;
    state.open(fixture);
    GenerationWorker worker;

    // Two requests made back to back: the worker cannot get past its first message to the dialog before
    // both are queued, since this thread serves its messages only afterwards.
    state.select("Widget");
    state.edit(GeneratorSettings{"WidgetJar", "com.one", out(1), runtime()});
    worker.requestGeneration(state.request(dialog));
    state.select("Gadget");
    state.edit(GeneratorSettings{"GadgetJar", "org.two", out(2), runtime()});
    worker.requestGeneration(state.request(dialog));

    // While they run, the dialog reopens the library, changes its selection and edits its settings.
    int changes = 0;
    ASSERT_TRUE(dialog.pumpUntil([&] { return dialog.running.size() == 3; },
                                 [&] {
                                     state.open(fixture);
                                     state.select(changes++ % 2 ? "Gadget" : "Widget");
                                     state.edit(GeneratorSettings{"ThirdJar", "net.three", out(3), runtime()});
                                 }));
    // A request made after the changes runs on them.
    state.select("Widget");
    worker.requestGeneration(state.request(dialog));
    ASSERT_TRUE(dialog.pumpUntil([&] { return dialog.running.size() == 5; }));
    EXPECT_TRUE(worker.stop(10000));

    EXPECT_GT(changes, 0);
    // Generate is not offered between the two queued requests.
    EXPECT_THAT(dialog.running, ElementsAre(1, 1, 0, 1, 0));
    ASSERT_EQ(dialog.logAtStart.size(), 3u);
    // Each log is its own request's: request 1's when request 2 starts, request 2's when request 3 starts.
    EXPECT_THAT(dialog.logAtStart[1], AllOf(Contains(HasSubstr("com\\one\\TessivarFeatures\\DWidgetEvents.java")),
                                            Each(Not(HasSubstr(out(2)))),
                                            Contains("Generating build file: " + out(1) + "\\build.xml")));
    EXPECT_THAT(dialog.logAtStart[2], AllOf(Contains(HasSubstr("org\\two\\TessivarFeatures\\IWidget.java")),
                                            Each(Not(HasSubstr("DWidget"))), Each(Not(HasSubstr(out(1)))),
                                            Contains("Generating build file: " + out(2) + "\\build.xml")));
    EXPECT_THAT(dialog.logLines(), Contains("Generating build file: " + out(3) + "\\build.xml"));

    // Widget's own interfaces, its events and its CoClass file; Gadget (not creatable) has no CoClass file.
    const auto widgetFiles = ElementsAre("Colour.java", "DWidgetEvents.java", "DWidgetView.java", "IWidget.java",
                                         "IWidget2.java", "widget.java");
    EXPECT_THAT(javaFiles(1, "com\\one"), widgetFiles);
    EXPECT_THAT(javaFiles(2, "org\\two"), ElementsAre("Colour.java", "IWidget.java"));
    EXPECT_THAT(javaFiles(3, "net\\three"), widgetFiles);
    EXPECT_THAT(bytesOf(out(1) + "\\build.xml"), HasSubstr("WidgetJar"));
    EXPECT_THAT(bytesOf(out(2) + "\\build.xml"), HasSubstr("GadgetJar"));
    EXPECT_THAT(bytesOf(out(3) + "\\build.xml"), HasSubstr("ThirdJar"));
}

TEST_F(WorkerRequests, RequestsMadeWhileOthersRunAllRunInTurnAndTheLastStoresItsSettings) {
    StandInDialog dialog;
    DialogState state;
    state.open(fixture);
    GenerationWorker worker;
    constexpr int kRequests = 6;
    int made = 0;
    auto makeRequest = [&] {
        const std::string n = std::to_string(++made);
        state.select(made % 2 ? "Widget" : "Gadget");
        state.edit(GeneratorSettings{"Jar" + n, "p" + n, out(made), runtime()});
        worker.requestGeneration(state.request(dialog));
    };
    auto started = [&] { return std::count(dialog.running.begin(), dialog.running.end(), 1); };
    // Each request is made once the one before it has started, while it runs or after it ended; some are
    // made two at a time, so that one waits behind the other.
    makeRequest();
    ASSERT_TRUE(dialog.pumpUntil([&] { return started() == kRequests && dialog.running.back() == 0; },
                                 [&] {
                                     if (made < kRequests && started() == made) makeRequest();
                                     if (made == 3) makeRequest();
                                 }));
    EXPECT_TRUE(worker.stop(10000));

    // Generate is offered again only when no request waits: not between the third and the fourth, which
    // waited behind it, and at the end.
    auto third = dialog.running.begin();
    for (int seen = 0; third != dialog.running.end() && (*third != 1 || ++seen < 3);) ++third;
    ASSERT_NE(third, dialog.running.end());
    EXPECT_EQ(*std::next(third), 1);
    EXPECT_EQ(dialog.running.back(), 0);
    for (int n = 1; n <= kRequests; ++n) {
        const std::string p = "p" + std::to_string(n);
        if (n % 2)
            EXPECT_THAT(javaFiles(n, p), ElementsAre("Colour.java", "DWidgetEvents.java", "DWidgetView.java",
                                                     "IWidget.java", "IWidget2.java", "widget.java"));
        else
            EXPECT_THAT(javaFiles(n, p), ElementsAre("Colour.java", "IWidget.java"));
        EXPECT_THAT(bytesOf(out(n) + "\\build.xml"), HasSubstr("name=\"Jar" + std::to_string(n) + "\""));
    }
    WindowsRegistry registry;
    RegistrySettingsStore stored(registry);
    const GeneratorSettings last = loadSettings(stored);
    EXPECT_EQ(last.jarModule, "Jar" + std::to_string(kRequests));
    EXPECT_EQ(last.destDir, out(kRequests));
}

TEST_F(WorkerRequests, StoppingDropsRequestsNotYetStartedAndRefusesLaterOnes) {
    StandInDialog dialog;
    DialogState state;
    state.open(fixture);
    state.select("Widget");
    state.edit(GeneratorSettings{"WidgetJar", "com.one", out(1), runtime()});
    GenerationWorker worker;
    worker.requestGeneration(state.request(dialog));
    worker.requestGeneration(state.request(dialog));
    // The first request waits in its first message to the dialog while the worker is stopped.
    ASSERT_TRUE(dialog.pumpUntil([&] { return !dialog.running.empty(); }));
    worker.stop(0);  // the thread cannot end yet: its request waits for this thread's answers
    ASSERT_TRUE(dialog.pumpUntil([&] { return worker.stop(0); }));
    worker.requestGeneration(state.request(dialog));
    dialog.pumpUntil([] { return false; }, {}, 500);
    EXPECT_THAT(dialog.running, ElementsAre(1, 0));
}

}  // namespace
}  // namespace tessivar::test
