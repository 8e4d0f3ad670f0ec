// The resources compiled into Tessivar.exe: main dialog template 102 as the dialog's table gives it, the
// About box, the icon, the About menu text and the build template strings.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/build_template.h"
#include "resources/resource_ids.h"
#include "windows/windows_test_support.h"

namespace tessivar::test {
namespace {

struct DialogItem {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string windowClass, text;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    short cx = 0, cy = 0;
    std::string title, font;
    WORD pointSize = 0;
    std::vector<DialogItem> items;
};

// Reads a DLGTEMPLATEEX; names given as ordinals come back as "#n", the predefined classes by name.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : p_(data) {}

    DialogTemplate read() {
        DialogTemplate t;
        skip(8);  // version, signature, help id
        t.exStyle = dword();
        t.style = dword();
        const WORD count = word();
        skip(4);
        t.cx = static_cast<short>(word());
        t.cy = static_cast<short>(word());
        nameOrOrdinal();  // menu
        nameOrOrdinal();  // class
        t.title = string();
        if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
            t.pointSize = word();
            skip(4);  // weight, italic, charset
            t.font = string();
        }
        for (WORD i = 0; i < count; ++i) {
            align();
            DialogItem item;
            skip(4);  // help id
            item.exStyle = dword();
            item.style = dword();
            item.x = static_cast<short>(word());
            item.y = static_cast<short>(word());
            item.cx = static_cast<short>(word());
            item.cy = static_cast<short>(word());
            item.id = static_cast<int>(static_cast<LONG>(dword()));
            item.windowClass = nameOrOrdinal(true);
            item.text = nameOrOrdinal();
            skip(word());  // creation data
            t.items.push_back(item);
        }
        return t;
    }

private:
    WORD word() {
        WORD w;
        std::memcpy(&w, p_, 2);
        p_ += 2;
        return w;
    }
    DWORD dword() {
        DWORD d;
        std::memcpy(&d, p_, 4);
        p_ += 4;
        return d;
    }
    void skip(std::size_t n) { p_ += n; }
    void align() { p_ = reinterpret_cast<const BYTE*>((reinterpret_cast<UINT_PTR>(p_) + 3) & ~UINT_PTR(3)); }
    std::string string() {
        std::string s;
        for (WORD c; (c = word()) != 0;) s += static_cast<char>(c);
        return s;
    }
    std::string nameOrOrdinal(bool isClass = false) {
        WORD first;
        std::memcpy(&first, p_, 2);
        if (first != 0xFFFF) return string();
        skip(2);
        const WORD ordinal = word();
        static const char* const kClasses[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
        if (isClass && ordinal >= 0x80 && ordinal <= 0x85) return kClasses[ordinal - 0x80];
        return std::string("#").append(std::to_string(ordinal));
    }

    const BYTE* p_;
};

class TessivarResources : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExA(winePath(TESSIVAR_GUI_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << "Tessivar.exe not found at " << TESSIVAR_GUI_EXE;
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }

    std::string loadString(UINT id) const {
        const WCHAR* text = nullptr;
        const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
        std::string out;
        for (int i = 0; i < length; ++i) out += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
        return out;
    }

    const BYTE* resource(LPCSTR type, int id) const {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
        return found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    }

    HMODULE module = nullptr;
};

TEST_F(TessivarResources, StringsHoldTheAboutItemAndTheBuildTemplateSplitAfterTheManifestLine) {
    EXPECT_EQ(loadString(IDS_ABOUTBOX), "&About Tessivar...");
    const std::string first = loadString(IDS_BUILD_TEMPLATE_1), second = loadString(IDS_BUILD_TEMPLATE_2);
    EXPECT_EQ(first.size(), 1022u);
    EXPECT_EQ(second.size(), 598u);
    EXPECT_EQ(first, kBuildTemplate102);
    EXPECT_EQ(second, kBuildTemplate103);
}

TEST_F(TessivarResources, IconAndAboutBoxExist) {
    EXPECT_NE(resource(RT_GROUP_ICON, IDR_MAINFRAME), nullptr);
    const BYTE* about = resource(RT_DIALOG, IDD_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(TemplateReader(about).read().title, "About Tessivar");
}

struct ExpectedItem {
    int id;
    const char* windowClass;
    const char* text;
    short x, y, cx, cy;
    DWORD styleMask, style;  // (item style & styleMask) == style
    DWORD exStyle;           // bits that must be set
};

std::string upper(std::string text) {
    CharUpperA(text.data());
    return text;
}

constexpr DWORD kShown = WS_VISIBLE | WS_DISABLED;
constexpr DWORD kButtonType = BS_TYPEMASK | kShown;
constexpr DWORD kReadOnlyEdit = ES_READONLY | ES_UPPERCASE | ES_AUTOHSCROLL | WS_BORDER | kShown;
constexpr DWORD kTextEdit = ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | kShown;
constexpr DWORD kLabel = SS_TYPEMASK | kShown;

const ExpectedItem kMainDialog[] = {
    {1000, "ComboBox", "", 77, 18, 246, 124, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | kShown,
     CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_VISIBLE, 0},
    {1002, "Edit", "", 77, 32, 246, 14, kReadOnlyEdit, ES_READONLY | ES_UPPERCASE | WS_VISIBLE, WS_EX_STATICEDGE},
    {1003, "Edit", "", 77, 48, 226, 14, kReadOnlyEdit, ES_READONLY | WS_VISIBLE, WS_EX_STATICEDGE},
    {1004, "Button", "...", 309, 48, 14, 14, kButtonType, BS_PUSHBUTTON | WS_VISIBLE, 0},
    {1005, "Edit", "", 77, 64, 226, 14, kReadOnlyEdit, ES_READONLY | WS_VISIBLE, WS_EX_STATICEDGE},
    {1008, "Button", "Generate Wrappers", 249, 156, 74, 14, kButtonType, BS_PUSHBUTTON | WS_VISIBLE, 0},
    {1012, "Edit", "", 81, 111, 148, 14, kTextEdit, ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE, 0},
    {1013, "Edit", "", 81, 126, 148, 14, kTextEdit, ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE, 0},
    {1010, "ListBox", "", 15, 189, 304, 77,
     WS_BORDER | LBS_DISABLENOSCROLL | WS_VSCROLL | WS_HSCROLL | LBS_NOSEL | LBS_NOINTEGRALHEIGHT | LBS_SORT | kShown,
     WS_BORDER | LBS_DISABLENOSCROLL | WS_VSCROLL | WS_HSCROLL | LBS_NOSEL | LBS_NOINTEGRALHEIGHT | WS_VISIBLE, 0},
    {IDCANCEL, "Button", "Close", 334, 7, 50, 14, kButtonType, BS_DEFPUSHBUTTON | WS_VISIBLE, 0},
    {-1, "Static", "ProgID:", 17, 20, 59, 8, kLabel, SS_LEFT | WS_VISIBLE, 0},
    {-1, "Static", "TypeLib GUID:", 17, 34, 59, 8, kLabel, SS_LEFT | WS_VISIBLE, 0},
    {-1, "Static", "TypeLib Module:", 17, 49, 59, 8, kLabel, SS_LEFT | WS_VISIBLE, 0},
    {-1, "Static", "CoClass:", 17, 64, 59, 8, kLabel, SS_LEFT | WS_VISIBLE, 0},
    {-1, "Static", "Classes Generated:", 17, 177, 61, 8, kLabel, SS_LEFT | WS_VISIBLE, 0},
    {-1, "Static", "Jar Module Name:", 19, 114, 59, 8, kLabel, SS_LEFT | WS_VISIBLE, 0},
    {-1, "Static", "Package:", 19, 129, 59, 8, kLabel, SS_LEFT | WS_VISIBLE, 0},
    {1015, "Edit", "", 81, 141, 148, 14, kTextEdit, ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE, 0},
    {-1, "Static", "Dest. Directory:", 19, 144, 59, 8, kLabel, SS_LEFT | WS_VISIBLE, 0},
    {1014, "Button", "...", 232, 141, 14, 14, kButtonType, BS_PUSHBUTTON | WS_VISIBLE, 0},
    {1016, "Edit", "", 81, 156, 148, 14, kTextEdit, ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE, 0},
    {-1, "Static", "Kovra SDK Path:", 19, 159, 55, 8, kLabel, SS_LEFT | WS_VISIBLE, 0},
    {1017, "Button", "...", 232, 156, 14, 14, kButtonType, BS_PUSHBUTTON | WS_VISIBLE, 0},
    {1018, "Button", "Get hidden Interfaces", 232, 113, 89, 10, kButtonType, BS_AUTOCHECKBOX, 0},
    {1019, "Button", "Generate all wrappers", 232, 129, 84, 10, kButtonType, BS_AUTOCHECKBOX | WS_VISIBLE | WS_DISABLED, 0},
    {1024, "Button", "About", 334, 41, 50, 14, kButtonType, BS_PUSHBUTTON, 0},
    {-1, "Button", "Type Library Information", 7, 7, 320, 78, kButtonType, BS_GROUPBOX | WS_VISIBLE, 0},
    {-1, "Button", "Generating Java Wrappers", 7, 96, 320, 175, kButtonType, BS_GROUPBOX | WS_VISIBLE, 0},
};

TEST_F(TessivarResources, MainDialogTemplateMatchesTheTableInTabOrder) {
    const BYTE* data = resource(RT_DIALOG, IDD_TESSIVAR_DIALOG);
    ASSERT_NE(data, nullptr);
    const DialogTemplate t = TemplateReader(data).read();
    EXPECT_EQ(t.title, "Tessivar");
    EXPECT_EQ(t.cx, 391);
    EXPECT_EQ(t.cy, 278);
    EXPECT_EQ(t.font, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(t.style & frame, frame);
    EXPECT_EQ(t.style & WS_MAXIMIZEBOX, 0u);
    EXPECT_EQ(t.exStyle & (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE), static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_CLIENTEDGE));

    ASSERT_EQ(t.items.size(), std::size(kMainDialog));
    for (std::size_t i = 0; i < t.items.size(); ++i) {
        const DialogItem& got = t.items[i];
        const ExpectedItem& want = kMainDialog[i];
        SCOPED_TRACE("item " + std::to_string(i) + " \"" + want.text + "\" id " + std::to_string(want.id));
        EXPECT_EQ(got.id == 0xFFFF ? -1 : got.id, want.id);
        EXPECT_EQ(upper(got.windowClass), upper(want.windowClass));  // class names ignore case
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style & want.styleMask, want.style);
        EXPECT_EQ(got.exStyle & want.exStyle, want.exStyle);
    }
}

}  // namespace
}  // namespace tessivar::test
