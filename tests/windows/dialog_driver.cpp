// Drives Tessivar.exe through its own controls under Wine: choosers, a type library opened through the Open
// File dialog, a class selected, "Generate Wrappers"; then checks the files, the log and the stored settings,
// and after a restart that the settings come back; then two requests queued back to back. Exits 0 when
// every check held.
#include "resources/resource_ids.h"
#include "engine/registry_settings_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

bool waitFor(const std::function<bool()>& condition, DWORD ms = 30000) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        if (condition()) return true;
        Sleep(100);
    }
    return condition();
}

std::string text(HWND window) {
    char buffer[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::string itemText(HWND dialog, int id) { return text(GetDlgItem(dialog, id)); }

void setItemText(HWND dialog, int id, const std::string& value) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

// Clicks without waiting: the handlers of these buttons run modal windows.
void click(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))); }

// The log's lines as far as another process can see them under Wine, which hands over only the first
// character of a list box item: that character, and the item's length as "(n)".
std::vector<std::string> logLines(HWND dialog) {
    HWND log = GetDlgItem(dialog, IDC_LOG);
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(log, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char buffer[1024] = {};
        SendMessageA(log, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
        const LRESULT length = SendMessageA(log, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        lines.push_back(std::string(1, buffer[0]) + "(" + std::to_string(length) + ")");
    }
    return lines;
}

// What logLines shows of a line.
std::string seen(const std::string& line) { return line.substr(0, 1) + "(" + std::to_string(line.size()) + ")"; }

// A visible dialog window of the process other than `except`.
HWND otherDialog(DWORD process, HWND except) {
    struct Search { DWORD process; HWND except, found; } search{process, except, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            char cls[64] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (pid == s->process && w != s->except && IsWindowVisible(w) && std::string(cls) == "#32770") {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void touch(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

std::string storedSetting(const char* name) {
    char buffer[300] = {};
    DWORD size = sizeof buffer - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, tessivar::kSettingsKeyPath, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return "<no key>";
    const LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(buffer) : "<absent>";
}

struct Program {
    PROCESS_INFORMATION process{};
    HWND dialog = nullptr;

    bool start(const std::string& exe) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + exe + "\"";
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return false;
        return waitFor([&] {
            dialog = FindWindowA("#32770", "Tessivar");
            return dialog && IsWindowVisible(dialog);
        });
    }

    bool close() {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return ended;
    }

    // Clicks a "..." chooser and presses OK in the folder browser it opens at the folder in the edit box.
    bool chooseFolder(int button) {
        click(dialog, button);
        HWND browser = nullptr;
        if (!waitFor([&] { return (browser = otherDialog(process.dwProcessId, dialog)) != nullptr; })) return false;
        Sleep(1000);  // the browser selects the start folder after it shows
        PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(browser, IDOK)));
        return waitFor([&] { return !IsWindow(browser); });
    }

    // Clicks the type library's "..." and opens `path` in the Open File dialog.
    bool openTypeLibrary(const std::string& path) {
        click(dialog, IDC_BROWSE_TYPELIB);
        HWND open = nullptr;
        if (!waitFor([&] { return (open = otherDialog(process.dwProcessId, dialog)) != nullptr; })) return false;
        Sleep(500);
        constexpr int kFileNameCombo = 0x47C;  // the file name box of the Explorer-style dialog
        SendMessageA(GetDlgItem(open, kFileNameCombo), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageA(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(open, IDOK)));
        return waitFor([&] { return !IsWindow(open); });
    }
};

int firstStart(const std::string& exe, const std::string& fixture, const std::string& work) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, tessivar::kSettingsKeyPath);
    const std::string runtime = work + "\\kovra", dest = work + "\\out";
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA(runtime.c_str(), nullptr);
    CreateDirectoryA(dest.c_str(), nullptr);
    touch(runtime + "\\kovra.jar");
    touch(runtime + "\\kovra.dll");

    Program app;
    check(app.start(exe), "the window \"Tessivar\" shows");
    if (!app.dialog) return 1;
    HWND dialog = app.dialog;
    check(itemText(dialog, IDC_JAR_MODULE).empty() && itemText(dialog, IDC_SDK_PATH).empty(),
          "first start without the settings key: the settings are empty");
    check(!IsWindowEnabled(GetDlgItem(dialog, IDC_GENERATE_ALL)), "\"Generate all wrappers\" is disabled before a file is opened");
    check(!IsWindowVisible(GetDlgItem(dialog, IDC_HIDDEN_INTERFACES)) && !IsWindowVisible(GetDlgItem(dialog, IDC_ABOUT)),
          "\"Get hidden Interfaces\" and \"About\" are not visible");

    setItemText(dialog, IDC_SDK_PATH, runtime);
    check(app.chooseFolder(IDC_CHOOSE_SDK_PATH), "the runtime folder browser opens and closes on OK");
    check(itemText(dialog, IDC_SDK_PATH) == runtime, "the runtime folder field shows the chosen folder");
    check(storedSetting("Path") == runtime, "the runtime chooser created the key and stored \"Path\": " + storedSetting("Path"));

    setItemText(dialog, IDC_DEST, dest);
    check(app.chooseFolder(IDC_CHOOSE_DEST), "the destination browser opens and closes on OK");
    check(storedSetting("Dest") == dest, "the destination chooser stored \"Dest\": " + storedSetting("Dest"));

    setItemText(dialog, IDC_JAR_MODULE, "FeaturesJar");
    setItemText(dialog, IDC_PACKAGE, "com.example.features");
    check(app.openTypeLibrary(fixture), "the Open File dialog opens the fixture");
    check(itemText(dialog, IDC_TYPELIB_MODULE) == fixture, "TypeLib Module shows the file: " + itemText(dialog, IDC_TYPELIB_MODULE));
    check(itemText(dialog, IDC_TYPELIB_GUID).size() == 38, "TypeLib GUID shows the library's GUID: " + itemText(dialog, IDC_TYPELIB_GUID));
    check(IsWindowEnabled(GetDlgItem(dialog, IDC_GENERATE_ALL)), "\"Generate all wrappers\" is enabled after a file is opened");

    HWND combo = GetDlgItem(dialog, IDC_CLASS_COMBO);
    const LRESULT widget = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Widget"));
    check(widget >= 0, "the class list offers Widget");
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(widget), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLASS_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    // The library spells the name as its name table first met it.
    check(lstrcmpiA(itemText(dialog, IDC_COCLASS).c_str(), "Widget") == 0, "CoClass shows " + itemText(dialog, IDC_COCLASS));
    check(itemText(dialog, IDC_JAR_MODULE) == "FeaturesJar", "opening a library keeps the jar module name typed before");

    click(dialog, IDC_GENERATE);
    const std::string buildLine = "Generating build file: " + dest + "\\build.xml";
    check(waitFor([&] {
              const auto lines = logLines(dialog);
              return IsWindowEnabled(GetDlgItem(dialog, IDC_GENERATE)) && !lines.empty() && lines.back() == seen(buildLine);
          }),
          "the run ends with the build file line and the Generate button enabled again");
    const auto lines = logLines(dialog);
    std::string shown;
    for (const auto& line : lines) shown += line + " ";
    // "Current Directory: ", then one "Generating ..." line per file.
    check(lines.size() == 10 && lines.front()[0] == 'C' && lines[1][0] == 'G', "the log lines: " + shown);
    const std::string sources = dest + "\\src\\com\\example\\features\\TessivarFeatures\\";
    for (const char* file : {"IWidget2.java", "IWidget.java", "DWidgetEvents.java", "Widget.java"})
        check(exists(sources + file), std::string("written: ") + file);
    check(exists(dest + "\\build.xml"), "written: build.xml");
    check(storedSetting("JarModule") == "FeaturesJar" && storedSetting("Package") == "com.example.features" &&
              storedSetting("Dest") == dest && storedSetting("Path") == runtime,
          "the run stored the four settings");

    // The shell script takes the screenshot while the dialog shows the finished run.
    touch(work + "\\ready-for-screenshot");
    waitFor([&] { return exists(work + "\\screenshot-taken"); }, 20000);
    check(app.close(), "\"Close\" ends the program");
    return failures == 0 ? 0 : 1;
}

int restart(const std::string& exe, const std::string& work) {
    Program app;
    check(app.start(exe), "the window \"Tessivar\" shows again");
    if (!app.dialog) return 1;
    check(itemText(app.dialog, IDC_JAR_MODULE) == "FeaturesJar", "restart loads \"JarModule\"");
    check(itemText(app.dialog, IDC_PACKAGE) == "com.example.features", "restart loads \"Package\"");
    check(itemText(app.dialog, IDC_DEST) == work + "\\out", "restart loads \"Dest\"");
    check(itemText(app.dialog, IDC_SDK_PATH) == work + "\\kovra", "restart loads \"Path\"");
    check(app.close(), "\"Close\" ends the program");
    return failures == 0 ? 0 : 1;
}

// Two Generate clicks back to back with the selection, destination and package changed between them, so
// that the second click comes while the first request runs: each request writes what the dialog showed
// when it was clicked, and Generate stays disabled until the second has ended.
int queued(const std::string& exe, const std::string& fixture, const std::string& work) {
    Program app;
    check(app.start(exe), "the window \"Tessivar\" shows for the queued requests");
    if (!app.dialog) return 1;
    HWND dialog = app.dialog;
    check(app.openTypeLibrary(fixture), "the Open File dialog opens the fixture again");
    HWND combo = GetDlgItem(dialog, IDC_CLASS_COMBO);
    auto select = [&](const char* name) {
        const LRESULT at = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLASS_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        return at >= 0;
    };
    // Sent, not posted: the dialog handles the click (it only queues the request) before the next step.
    auto generate = [&] {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_GENERATE, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_GENERATE)));
    };
    const std::string first = work + "\\queued1", second = work + "\\queued2";
    check(select("Widget"), "Widget selected");
    setItemText(dialog, IDC_DEST, first);
    setItemText(dialog, IDC_PACKAGE, "com.one");
    generate();
    check(select("Gadget"), "Gadget selected while the first request runs");
    setItemText(dialog, IDC_DEST, second);
    setItemText(dialog, IDC_PACKAGE, "org.two");
    generate();

    // Once a request is seen running, Generate must stay disabled until the second one's build file exists.
    bool seenRunning = false, enabledTooEarly = false;
    const bool ended = waitFor(
        [&] {
            for (int i = 0; i < 200; ++i) {
                const bool enabled = IsWindowEnabled(GetDlgItem(dialog, IDC_GENERATE)) != FALSE;
                const bool done = exists(second + "\\build.xml");
                seenRunning = seenRunning || !enabled;
                if (seenRunning && enabled && !done) enabledTooEarly = true;
                if (seenRunning && enabled && done) return true;
            }
            return false;
        },
        60000);
    check(ended, "both requests ended with Generate enabled again");
    check(!enabledTooEarly, "Generate stayed disabled between the two requests");
    auto javaFiles = [](const std::string& folder) {
        std::string names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*.java").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        std::vector<std::string> sorted;
        do sorted.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
        std::sort(sorted.begin(), sorted.end());
        for (const auto& name : sorted) names += name + " ";
        return names;
    };
    const std::string widgetFiles = javaFiles(first + "\\src\\com\\one\\TessivarFeatures");
    const std::string gadgetFiles = javaFiles(second + "\\src\\org\\two\\TessivarFeatures");
    check(widgetFiles == "Colour.java DWidgetEvents.java DWidgetView.java IWidget.java IWidget2.java widget.java ",
          "the first request wrote Widget's files: " + widgetFiles);
    check(gadgetFiles == "Colour.java IWidget.java ", "the second request wrote Gadget's files: " + gadgetFiles);
    check(!exists(first + "\\src\\org") && !exists(second + "\\src\\com"), "neither wrote into the other's folders");
    check(storedSetting("Dest") == second && storedSetting("Package") == "org.two",
          "the settings stored last are the second request's");
    check(app.close(), "\"Close\" ends the program");
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: dialog_driver first|restart|queued TESSIVAR_EXE FIXTURE WORK_FOLDER\n");
        return 2;
    }
    const std::string phase = argv[1];
    if (phase == "queued") return queued(argv[2], argv[3], argv[4]);
    return phase == "first" ? firstStart(argv[2], argv[3], argv[4]) : restart(argv[2], argv[4]);
}
