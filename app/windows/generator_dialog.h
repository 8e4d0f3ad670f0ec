// GeneratorDialog: the program's one modal dialog; the class to generate, its library and the settings.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/windows/generation_worker.h"
#include "engine/registry_settings_store.h"
#include "engine/request.h"
#include "engine/windows/windows_file_system.h"
#include "base/type_entry.h"
#include "base/class_entry.h"
#include "typelib/typelib_api.h"
#include "typelib/windows/registry_win.h"

// After the core's headers: the platform's macros reuse names of the type library seam.
#include <windows.h>

namespace tessivar {

// Messages the worker sends the dialog; the dialog's thread handles them while the worker waits.
// wParam 1 while a request runs, 0 after it.
inline constexpr UINT WM_REQUEST_RUNNING = WM_APP + 1;
// Generate-all mode shows the class being run: wParam the catalogue version, lParam the catalogue index.
inline constexpr UINT WM_SHOW_CLASS_RUN = WM_APP + 2;

class GeneratorDialog {
public:
    explicit GeneratorDialog(HINSTANCE instance);
    ~GeneratorDialog();
    GeneratorDialog(const GeneratorDialog&) = delete;
    GeneratorDialog& operator=(const GeneratorDialog&) = delete;

    // Runs the dialog modally until "Close".
    INT_PTR run();
    // Ends the worker after the request under way; false when a request is still running.
    bool stopWorker(DWORD waitMs) { return worker_->stop(waitMs); }

    // On the dialog's thread: the request as the dialog's fields and class list now stand.
    RequestSnapshot snapshot() const;
    unsigned catalogueVersion() const { return catalogueVersion_; }
    HWND window() const { return window_; }

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    BOOL OnInitDialog();
    void OnClassSelected();
    void OnBrowseTypeLib();
    void OnGenerateClicked();
    void OnGenerateAllClicked();
    void OnChooseDest();
    void OnChooseSdkPath();
    bool OnSysCommand(WPARAM command);
    bool OnPaint();
    void onRequestRunning(bool running);
    void onShowClassRun(unsigned version, std::size_t index);

    void RefillClassList();
    void copyControlsToFields();
    void copyFieldsToControls();
    void showClass(const std::string& name);
    std::string itemText(int item) const;
    std::string controlText(int id) const;
    HWND item(int id) const { return GetDlgItem(window_, id); }

    HINSTANCE instance_;
    HWND window_ = nullptr;

    // Fields in the order of the dialog's data model; texts are UTF-8.
    std::unique_ptr<GenerationWorker> worker_;
    std::string coClassName;
    int classIndex = -1;
    std::string typeLibGuidText;
    std::string typeLibModule;
    std::string package;
    std::string jarModule;
    std::string destDir;
    std::string sdkPath;
    int hiddenInterfaces = 0;
    int generateAll = 0;
    HICON icon_ = nullptr;
    std::vector<TypeEntry> interfaces;
    ClassCatalogue classes;

    // Counts the fills of `classes`, so a request's view of the class list is told from the current one.
    unsigned catalogueVersion_ = 0;

    // The dialog thread's own platform services.
    WindowsRegistry registry_;
    RegistrySettingsStore settings_{registry_};
    WindowsFileSystem files_;
    std::unique_ptr<TypeLibLoader> loader_;
};

}  // namespace tessivar
