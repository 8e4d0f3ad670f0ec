// The main dialog: start-up, the class list, the type library browser, the choosers and the Generate buttons.
#include "app/windows/generator_dialog.h"

#include <commdlg.h>

#include "app/windows/folder_browser.h"
#include "app/windows/settings_choosers.h"
#include "resources/resource_ids.h"
#include "typelib/catalogue.h"
#include "typelib/class_lookups.h"
#include "typelib/platform_loader.h"
#include "typelib/windows/ansi_text.h"

namespace tessivar {
namespace {

// Display text and pattern pairs, each ended by a zero, the list ended by a second zero.
constexpr char kTypeLibFilter[] =
    "Type libraries (*.exe *.dll *.tlb *.olb *.ocx)\0*.exe;*.dll;*.tlb;*.olb;*.ocx\0"
    "Type library in EXE (*.exe)\0*.exe\0"
    "Type library in DLL (*.dll)\0*.dll\0"
    "Type library in DLL (*.ocx)\0*.ocx\0"
    "Type library files (*.tlb)\0*.tlb\0"
    "Type library files (*.olb)\0*.olb\0"
    "All Files (*.*)\0*.*\0";

INT_PTR CALLBACK aboutProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// COM for the dialog's thread around one folder chooser.
class ComScope {
public:
    ComScope() : result_(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

}  // namespace

GeneratorDialog::GeneratorDialog(HINSTANCE instance)
    : instance_(instance),
      worker_(std::make_unique<GenerationWorker>()),
      icon_(LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME))),
      loader_(makePlatformTypeLibLoader(&registry_)) {}

GeneratorDialog::~GeneratorDialog() = default;

INT_PTR GeneratorDialog::run() {
    return DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_TESSIVAR_DIALOG), nullptr, dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK GeneratorDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<GeneratorDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        self->window_ = window;
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<GeneratorDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    return self ? self->handle(message, wParam, lParam) : FALSE;
}

INT_PTR GeneratorDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == IDC_CLASS_COMBO) {
                if (code == CBN_SELCHANGE) OnClassSelected();
                return TRUE;
            }
            if (code != BN_CLICKED) return FALSE;
            switch (id) {
                case IDC_BROWSE_TYPELIB: OnBrowseTypeLib(); return TRUE;
                case IDC_GENERATE: OnGenerateClicked(); return TRUE;
                case IDC_GENERATE_ALL: OnGenerateAllClicked(); return TRUE;
                case IDC_CHOOSE_DEST: OnChooseDest(); return TRUE;
                case IDC_CHOOSE_SDK_PATH: OnChooseSdkPath(); return TRUE;
                case IDCANCEL: EndDialog(window_, IDCANCEL); return TRUE;
                default: return FALSE;
            }
        }
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam);
        case WM_PAINT:
            return OnPaint();
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_REQUEST_RUNNING:
            onRequestRunning(wParam != 0);
            return TRUE;
        case WM_SHOW_CLASS_RUN:
            onShowClassRun(static_cast<unsigned>(wParam), static_cast<std::size_t>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

BOOL GeneratorDialog::OnInitDialog() {
    char aboutText[256] = {};
    if (LoadStringA(instance_, IDS_ABOUTBOX, aboutText, sizeof aboutText) > 0) {
        if (HMENU menu = GetSystemMenu(window_, FALSE)) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, aboutText);
        }
    }
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    RefillClassList();
    const GeneratorSettings stored = loadSettings(settings_);
    package = stored.package;
    jarModule = stored.jarModule;
    sdkPath = stored.sdkPath;
    destDir = stored.destDir;

    SendMessageA(item(IDC_CLASS_COMBO), CB_SETCURSEL, 0, 0);
    interfaces.clear();
    classIndex = 0;
    showClass(itemText(0));

    SendMessageA(item(IDC_LOG), LB_SETHORIZONTALEXTENT, 1000, 0);
    copyFieldsToControls();
    return TRUE;
}

void GeneratorDialog::RefillClassList() {
    ReadRegisteredClasses(registry_, classes);
    ++catalogueVersion_;
    SendMessageA(item(IDC_CLASS_COMBO), CB_RESETCONTENT, 0, 0);
    SendMessageA(item(IDC_LOG), LB_RESETCONTENT, 0, 0);
    typeLibGuidText.clear();
    typeLibModule.clear();
    coClassName.clear();
    for (std::size_t i = 0; i < classes.size(); ++i) {
        const ClassEntry& entry = classes[i];
        if (entry.typeLibGuid.empty() || entry.progId.empty() || entry.typeLibPath.empty()) continue;
        const LRESULT at = SendMessageA(item(IDC_CLASS_COMBO), CB_ADDSTRING, 0,
                                        reinterpret_cast<LPARAM>(toAnsiCodePage(entry.progId).c_str()));
        if (at >= 0) SendMessageA(item(IDC_CLASS_COMBO), CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
    }
    classIndex = 0;
    copyFieldsToControls();
}

// FindClass and ListImplementedInterfaces for a shown name, into the three texts and `interfaces`.
void GeneratorDialog::showClass(const std::string& name) {
    const FoundClass found = FindClass(*loader_, name, classes);
    coClassName = found.coClassName;
    typeLibGuidText = found.typeLibGuid;
    typeLibModule = found.typeLibPath;
    SetDlgItemTextA(window_, IDC_COCLASS, toAnsiCodePage(coClassName).c_str());
    SetDlgItemTextA(window_, IDC_TYPELIB_GUID, toAnsiCodePage(typeLibGuidText).c_str());
    SetDlgItemTextA(window_, IDC_TYPELIB_MODULE, toAnsiCodePage(typeLibModule).c_str());
    interfaces = ListImplementedInterfaces(typeLibModule, found.coClass);
}

void GeneratorDialog::OnClassSelected() {
    interfaces.clear();
    copyControlsToFields();
    const LRESULT count = SendMessageA(item(IDC_CLASS_COMBO), CB_GETCOUNT, 0, 0);
    if (count > 0) {
        showClass(itemText(classIndex));
    } else {
        coClassName.clear();
        typeLibGuidText.clear();
        typeLibModule.clear();
    }
    copyFieldsToControls();
}

void GeneratorDialog::OnBrowseTypeLib() {
    // The Open File dialog moves the current directory, which a running request resolves paths against.
    FolderStateLock folderState(FolderStateLock::Try);
    if (!folderState.held()) {
        MessageBeep(MB_OK);
        return;
    }
    char file[MAX_PATH] = {};
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = window_;
    open.lpstrFilter = kTypeLibFilter;
    open.nFilterIndex = 1;
    open.lpstrFile = file;
    open.nMaxFile = sizeof file;
    open.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
    if (!GetOpenFileNameA(&open)) return;
    const std::string path = fromAnsiCodePage(file);
    // The fields are written back to every control below: take what the user typed into them first, or the
    // jar module name and package typed since the last copy would be lost.
    copyControlsToFields();

    SendMessageA(item(IDC_CLASS_COMBO), CB_RESETCONTENT, 0, 0);
    const HResult loaded = LoadClassesFromFile(*loader_, path, classes);
    ++catalogueVersion_;
    if (loaded == kOk && !classes.empty()) {
        typeLibGuidText = classes.front().typeLibGuid;
        for (std::size_t i = 0; i < classes.size(); ++i) {
            const LRESULT at = SendMessageA(item(IDC_CLASS_COMBO), CB_ADDSTRING, 0,
                                            reinterpret_cast<LPARAM>(toAnsiCodePage(classes[i].progId).c_str()));
            if (at >= 0)
                SendMessageA(item(IDC_CLASS_COMBO), CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
        }
    }
    classIndex = 0;
    typeLibModule = path;
    EnableWindow(item(IDC_GENERATE_ALL), TRUE);
    copyFieldsToControls();
    OnClassSelected();
    if (classes.empty()) {
        typeLibModule = path;
        copyFieldsToControls();
    }
}

void GeneratorDialog::OnGenerateClicked() {
    copyControlsToFields();
    worker_->requestGeneration(*this);
}

void GeneratorDialog::OnGenerateAllClicked() {
    copyControlsToFields();
    EnableWindow(item(IDC_CLASS_COMBO), generateAll == 0);
}

void GeneratorDialog::OnChooseDest() {
    FolderStateLock folderState(FolderStateLock::Try);
    if (!folderState.held()) {
        MessageBeep(MB_OK);
        return;
    }
    ComScope com;
    copyControlsToFields();
    chooseDestination(settings_, files_, [this](const std::string& title) { return browseForFolder(window_, title); },
                      destDir);
    copyFieldsToControls();
}

void GeneratorDialog::OnChooseSdkPath() {
    FolderStateLock folderState(FolderStateLock::Try);
    if (!folderState.held()) {
        MessageBeep(MB_OK);
        return;
    }
    ComScope com;
    copyControlsToFields();
    chooseRuntimeFolder(settings_, files_, [this](const std::string& title) { return browseForFolder(window_, title); },
                        sdkPath);
    copyFieldsToControls();
}

bool GeneratorDialog::OnSysCommand(WPARAM command) {
    if ((command & 0xFFF0) != IDM_ABOUTBOX) return false;
    DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUTBOX), window_, aboutProc, 0);
    return true;
}

bool GeneratorDialog::OnPaint() {
    if (!IsIconic(window_)) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(window_, &paint);
    return true;
}

// The buttons whose handlers use PathBuffer or the current directory wait with Generate for the request.
void GeneratorDialog::onRequestRunning(bool running) {
    for (int id : {IDC_GENERATE, IDC_BROWSE_TYPELIB, IDC_CHOOSE_DEST, IDC_CHOOSE_SDK_PATH})
        EnableWindow(item(id), !running);
}

void GeneratorDialog::onShowClassRun(unsigned version, std::size_t index) {
    if (version != catalogueVersion_) return;  // the list now shows another library
    HWND combo = item(IDC_CLASS_COMBO);
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (static_cast<std::size_t>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) != index) continue;
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_CLASS_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        return;
    }
}

RequestSnapshot GeneratorDialog::snapshot() const {
    RequestSnapshot snap;
    snap.classes = classes;
    HWND combo = item(IDC_CLASS_COMBO);
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) snap.shownNames.push_back(itemText(static_cast<int>(i)));
    snap.classIndex = classIndex;
    snap.interfaces = interfaces;
    snap.settings = GeneratorSettings{jarModule, package, destDir, sdkPath};
    snap.hiddenInterfaces = hiddenInterfaces != 0;
    snap.generateAll = generateAll != 0;
    return snap;
}

void GeneratorDialog::copyControlsToFields() {
    coClassName = controlText(IDC_COCLASS);
    classIndex = static_cast<int>(SendMessageA(item(IDC_CLASS_COMBO), CB_GETCURSEL, 0, 0));
    typeLibGuidText = controlText(IDC_TYPELIB_GUID);
    typeLibModule = controlText(IDC_TYPELIB_MODULE);
    package = controlText(IDC_PACKAGE);
    jarModule = controlText(IDC_JAR_MODULE);
    destDir = controlText(IDC_DEST);
    sdkPath = controlText(IDC_SDK_PATH);
    hiddenInterfaces = IsDlgButtonChecked(window_, IDC_HIDDEN_INTERFACES) == BST_CHECKED;
    generateAll = IsDlgButtonChecked(window_, IDC_GENERATE_ALL) == BST_CHECKED;
}

void GeneratorDialog::copyFieldsToControls() {
    SetDlgItemTextA(window_, IDC_COCLASS, toAnsiCodePage(coClassName).c_str());
    SendMessageA(item(IDC_CLASS_COMBO), CB_SETCURSEL, static_cast<WPARAM>(classIndex), 0);
    SetDlgItemTextA(window_, IDC_TYPELIB_GUID, toAnsiCodePage(typeLibGuidText).c_str());
    SetDlgItemTextA(window_, IDC_TYPELIB_MODULE, toAnsiCodePage(typeLibModule).c_str());
    SetDlgItemTextA(window_, IDC_PACKAGE, toAnsiCodePage(package).c_str());
    SetDlgItemTextA(window_, IDC_JAR_MODULE, toAnsiCodePage(jarModule).c_str());
    SetDlgItemTextA(window_, IDC_DEST, toAnsiCodePage(destDir).c_str());
    SetDlgItemTextA(window_, IDC_SDK_PATH, toAnsiCodePage(sdkPath).c_str());
    CheckDlgButton(window_, IDC_HIDDEN_INTERFACES, hiddenInterfaces ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window_, IDC_GENERATE_ALL, generateAll ? BST_CHECKED : BST_UNCHECKED);
}

// The text of a combo box item as the program's UTF-8, empty when there is no such item.
std::string GeneratorDialog::itemText(int index) const {
    HWND combo = item(IDC_CLASS_COMBO);
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT got = SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    if (got == CB_ERR || got < 0) return {};
    text.resize(static_cast<std::size_t>(got));
    // Items carry their catalogue index: the UTF-8 name is the catalogue's, not a round trip through the code page.
    const auto at = static_cast<std::size_t>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    if (at < classes.size() && toAnsiCodePage(classes[at].progId) == text) return classes[at].progId;
    return fromAnsiCodePage(text);
}

std::string GeneratorDialog::controlText(int id) const {
    HWND control = item(id);
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return fromAnsiCodePage(text);
}

}  // namespace tessivar
