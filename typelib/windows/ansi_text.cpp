// UTF-8 and the ANSI code page, through UTF-16 as the platform converts.
#include "typelib/windows/ansi_text.h"

#include <windows.h>

#include <algorithm>

namespace tessivar {
namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::wstring toWide(UINT codePage, std::string_view text) {
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// Best-fit mapping is off: it would turn characters the code page lacks into look-alikes, some of them path
// separators, quotes or dots (U+FF3C to a backslash), in file names and generated code alike.
std::string fromWide(UINT codePage, const std::wstring& wide) {
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                            nullptr);
    return out;
}

}  // namespace

std::string toAnsiCodePage(std::string_view utf8) {
    if (isAscii(utf8)) return std::string(utf8);
    return fromWide(CP_ACP, toWide(CP_UTF8, utf8));
}

std::string fromAnsiCodePage(std::string_view ansi) {
    if (isAscii(ansi)) return std::string(ansi);
    return fromWide(CP_UTF8, toWide(CP_ACP, ansi));
}

}  // namespace tessivar
