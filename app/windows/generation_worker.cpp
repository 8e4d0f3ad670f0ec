// The worker thread: its message loop, and one request run through the same request code as the command line.
#include "app/windows/generation_worker.h"

#include <exception>
#include <utility>

#include "app/windows/folder_browser.h"
#include "app/windows/generator_dialog.h"
#include "engine/registry_settings_store.h"
#include "engine/windows/windows_file_system.h"
#include "resources/resource_ids.h"
#include "typelib/class_lookups.h"
#include "typelib/platform_loader.h"
#include "typelib/windows/ansi_text.h"
#include "typelib/windows/registry_win.h"

namespace tessivar {
namespace {

// The dialog's log list box and unowned message boxes and browsers, driven from the worker by messages.
class DialogLogUi : public UserInterface {
public:
    explicit DialogLogUi(HWND log) : log_(log) {}

    void appendLog(const std::string& line) override {
        SendMessageA(log_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toAnsiCodePage(line).c_str()));
        UpdateWindow(log_);
        const LRESULT count = SendMessageA(log_, LB_GETCOUNT, 0, 0);
        if (count > 0) SendMessageA(log_, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
    }

    void clearLog() override { SendMessageA(log_, LB_RESETCONTENT, 0, 0); }

    void messageBox(const std::string& text, const std::string& caption, MessageIcon icon) override {
        MessageBoxA(nullptr, toAnsiCodePage(text).c_str(), toAnsiCodePage(caption).c_str(),
                    icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
    }

    // The worker holds the folder-state lock for its whole request, so it may move the current directory.
    std::optional<std::string> browseForFolder(const std::string& title, const std::string& startFolder) override {
        if (!startFolder.empty()) SetCurrentDirectoryA(toAnsiCodePage(startFolder).c_str());
        return tessivar::browseForFolder(nullptr, title);
    }

private:
    HWND log_;
};

// Generate-all mode pairs each catalogue entry with its own coclass, and has the dialog show it.
// Generate stays disabled from the first of several queued requests to the end of the last.
class DialogRequestHost : public RequestHost {
public:
    DialogRequestHost(const GenerationWorker::Request& request, const RequestQueue<GenerationWorker::Request>& queue,
                      TypeLibLoader& loader)
        : dialog_(request.dialog), version_(request.catalogueVersion), snapshot_(request.snapshot), queue_(queue),
          loader_(loader) {}

    void setGenerateEnabled(bool enabled) override { SendMessageA(dialog_, WM_REQUEST_RUNNING, enabled ? 0 : 1, 0); }
    bool requestsWaiting() override { return queue_.waiting() > 0; }
    std::string missingLibraryHint() override { return "register it on this machine"; }

    std::vector<TypeEntry> selectClass(std::size_t index) override {
        SendMessageA(dialog_, WM_SHOW_CLASS_RUN, version_, static_cast<LPARAM>(index));
        const FoundClass found = FindClassOfEntry(loader_, snapshot_.classes[index]);
        return ListImplementedInterfaces(found.typeLibPath, found.coClass);
    }

private:
    HWND dialog_;
    unsigned version_;
    const RequestSnapshot& snapshot_;
    const RequestQueue<GenerationWorker::Request>& queue_;
    TypeLibLoader& loader_;
};

}  // namespace

GenerationWorker::GenerationWorker() {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, threadMain, this, CREATE_SUSPENDED, &threadId_);
    if (!thread_) return;
    SetThreadPriority(thread_, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(thread_);
    // A thread message posted before the queue exists would be lost.
    WaitForSingleObject(ready_, INFINITE);
}

GenerationWorker::~GenerationWorker() {
    if (thread_) CloseHandle(thread_);
    if (ready_) CloseHandle(ready_);
}

void GenerationWorker::requestGeneration(GeneratorDialog& dialog) {
    requestGeneration(
        Request{dialog.window(), GetDlgItem(dialog.window(), IDC_LOG), dialog.catalogueVersion(), dialog.snapshot()});
}

void GenerationWorker::requestGeneration(Request request) {
    if (queue_.push(std::move(request))) PostThreadMessageA(threadId_, WM_GENERATE, 0, 0);
}

bool GenerationWorker::stop(DWORD waitMs) {
    if (!thread_) return true;
    queue_.close();
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    return WaitForSingleObject(thread_, waitMs) == WAIT_OBJECT_0;
}

DWORD WINAPI GenerationWorker::threadMain(LPVOID self) {
    static_cast<GenerationWorker*>(self)->messageLoop();
    return 0;
}

void GenerationWorker::messageLoop() {
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(ready_);
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == WM_GENERATE) {
            onGenerate();
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Serves every request that waits, so a request whose WM_GENERATE went astray still runs, in its turn; the
// WM_GENERATE of a request already served finds nothing.
void GenerationWorker::onGenerate() {
    queue_.serveWaiting([this](Request& request) { serve(request); });
}

void GenerationWorker::serve(Request& request) {
    FolderStateLock folderState(FolderStateLock::Wait);
    const HRESULT com = CoInitialize(nullptr);
    {
        WindowsFileSystem files;
        WindowsRegistry registry;
        RegistrySettingsStore settings(registry);
        const auto loader = makePlatformTypeLibLoader(&registry);
        DialogLogUi ui(request.log);
        DialogRequestHost host(request, queue_, *loader);
        runRequest(host, request.snapshot, Services{files, registry, *loader, settings, ui});
        request = Request{};  // the snapshot's type information is released while COM is up
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace tessivar
