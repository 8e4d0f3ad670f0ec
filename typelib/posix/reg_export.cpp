// Regedit exports (.reg), REGEDIT4 and Version 5.00: read whole into keys holding their values.
#include "typelib/posix/reg_parse.h"

#include <algorithm>

#include "base/text.h"
#include "typelib/posix/reg_text.h"

namespace tessivar {
namespace {

using namespace regtext;

// The value data of an export line; an empty optional value means "delete the value" ("=-").
bool readExportData(Lines& lines, std::string_view rest, bool unicode, std::optional<RegValue>& v, std::string& why) {
    if (rest.starts_with('"')) {
        std::size_t pos = 1;
        std::string text;
        if (!readQuoted(rest, pos, '"', Escapes::Export, &text, why) || !onlyBlanksAfter(rest, pos, why)) return false;
        v = stringValue(REG_SZ, text);
        return true;
    }
    if (trimRight(rest) == "-") {
        v.reset();
        return true;
    }
    if (rest.starts_with("dword:")) {
        std::uint32_t value = 0;
        if (!readDword(rest.substr(6), value, why)) return false;
        v = dwordValue(value);
        return true;
    }
    if (const auto type = readHexPrefix(rest)) {
        std::vector<std::uint8_t> bytes;
        if (!readHexBytes(lines, rest, &bytes, why)) return false;
        v = narrowValue(*type, bytes, unicode);
        return true;
    }
    why = "unrecognised value data";
    return false;
}

enum class ExportRoot { ClassesRoot, LocalMachine, CurrentUser, Ignored, Unknown };

ExportRoot exportRoot(std::string_view name) {
    if (equalsIgnoreCase(name, "HKEY_CLASSES_ROOT") || equalsIgnoreCase(name, "HKCR")) return ExportRoot::ClassesRoot;
    if (equalsIgnoreCase(name, "HKEY_LOCAL_MACHINE") || equalsIgnoreCase(name, "HKLM")) return ExportRoot::LocalMachine;
    if (equalsIgnoreCase(name, "HKEY_CURRENT_USER") || equalsIgnoreCase(name, "HKCU")) return ExportRoot::CurrentUser;
    if (equalsIgnoreCase(name, "HKEY_USERS") || equalsIgnoreCase(name, "HKEY_CURRENT_CONFIG") ||
        equalsIgnoreCase(name, "HKEY_DYN_DATA") || equalsIgnoreCase(name, "HKEY_PERFORMANCE_DATA"))
        return ExportRoot::Ignored;
    return ExportRoot::Unknown;
}

// The export's text as UTF-8 in `text`, or an error message. Text that already is UTF-8 is viewed where
// it lies; other text is decoded into `storage` without a second copy of the whole file: a large
// export's text then costs memory once, not three times.
std::optional<std::string> decodeExport(std::string_view bytes, std::string& storage, std::string_view& text) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2 != 0) return std::string("the UTF-16 text ends in the middle of a character");
        // In pieces that never split a surrogate pair, so each converts as the whole would.
        constexpr std::size_t kPieceUnits = 1 << 16;
        storage.reserve(bytes.size() / 2);
        std::u16string units;
        const std::size_t total = bytes.size() / 2;
        for (std::size_t at = 0; at < total;) {
            std::size_t end = std::min(total, at + kPieceUnits);
            const auto unitAt = [&](std::size_t i) {
                return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                             (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
            };
            if (end < total && unitAt(end - 1) >= 0xD800 && unitAt(end - 1) < 0xDC00) --end;
            units.resize(end - at);
            for (std::size_t i = at; i < end; ++i) units[i - at] = unitAt(i);
            storage += fromUtf16(units);
            at = end;
        }
        text = storage;
        return std::nullopt;
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)
        return std::string("big-endian UTF-16 is not a registry export form");
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (isValidUtf8(bytes)) {
        text = bytes;
        return std::nullopt;
    }
    storage = ansiToUtf8(bytes);  // REGEDIT4 text that is not UTF-8 is in the ANSI code page
    text = storage;
    return std::nullopt;
}

}  // namespace

std::optional<RegParseError> parseRegExport(std::string_view bytes, RegRoots& roots, std::size_t maxEntries) {
    std::string storage;
    std::string_view text;
    if (auto bad = decodeExport(bytes, storage, text)) return RegParseError{1, *bad};
    Lines lines(text);
    std::string_view line;
    std::string why;
    Budget budget(maxEntries);
    auto fail = [&](std::string message) { return RegParseError{lines.number(), std::move(message)}; };

    bool unicode = false;
    if (lines.next(line) && trimRight(line) == "Windows Registry Editor Version 5.00")
        unicode = true;
    else if (lines.number() != 1 || trimRight(line) != "REGEDIT4")
        return RegParseError{1, "not a registry export: the first line is neither \"REGEDIT4\" nor "
                                "\"Windows Registry Editor Version 5.00\""};

    RegNode* key = nullptr;
    bool dropping = false;  // values of a deleted key or of a root this registry does not offer
    while (lines.next(line)) {
        line = trimLeft(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const std::size_t close = line.rfind(']');
            if (close == std::string_view::npos) return fail("key line without a closing ']'");
            std::string_view path = line.substr(1, close - 1);
            const bool remove = path.starts_with('-');
            if (remove) path.remove_prefix(1);
            const std::size_t cut = path.find('\\');
            const std::string_view rootName = path.substr(0, cut);
            const std::string_view rest = cut == std::string_view::npos ? std::string_view{} : path.substr(cut + 1);
            RegNode* root = nullptr;
            switch (exportRoot(rootName)) {
                case ExportRoot::ClassesRoot: root = &roots.classesRoot; break;
                case ExportRoot::LocalMachine: root = &roots.localMachine; break;
                case ExportRoot::CurrentUser: root = &roots.currentUser; break;
                case ExportRoot::Ignored: break;
                case ExportRoot::Unknown: return fail("unknown root key \"" + std::string(rootName) + "\"");
            }
            key = nullptr;
            dropping = true;
            if (!root) continue;
            if (remove) {
                const std::size_t last = rest.rfind('\\');
                const std::string_view parentPath = last == std::string_view::npos ? std::string_view{} : rest.substr(0, last);
                if (RegNode* parent = root->find(parentPath); parent && !rest.empty())
                    parent->remove(last == std::string_view::npos ? rest : rest.substr(last + 1));
                continue;
            }
            key = rest.empty() ? root : KeyPaths(*root).make(rest, budget, why);  // keys may be deleted between lines
            if (!key) return fail(why);
            dropping = false;
            continue;
        }
        if (line[0] != '@' && line[0] != '"') return fail("expected a key line, a value line or a comment");
        if (!key && !dropping) return fail("value line before the first key line");
        std::size_t pos = 1;
        std::string name;
        if (line[0] == '"') {
            if (!readQuoted(line, pos, '"', Escapes::Export, &name, why)) return fail("value name: " + why);
            if (!checkValueName(name, why)) return fail(why);
        }
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos == line.size() || line[pos] != '=') return fail("expected '=' after the value name");
        std::optional<RegValue> value;
        if (!readExportData(lines, trimLeft(line.substr(pos + 1)), unicode, value, why)) return fail(why);
        if (!key) continue;
        // Every line is kept until the end, where each name's last assignment wins: sorting once beats
        // looking each name up among what may be a million values of one key.
        if (!budget.take(why)) return fail(why);
        key->madeApart().values.push_back(value ? StoredValue(name, *value) : StoredValue::removal(name));
    }
    roots.classesRoot.settleValues();
    roots.localMachine.settleValues();
    roots.currentUser.settleValues();
    return std::nullopt;
}

}  // namespace tessivar
