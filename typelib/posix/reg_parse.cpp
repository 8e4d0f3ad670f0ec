// Line-by-line readers of Wine registry files and regedit exports.
#include "typelib/posix/reg_parse.h"

#include <algorithm>
#include <cstdint>
#include <future>
#include <iterator>
#include <system_error>
#include <vector>

#include "base/text.h"

namespace tessivar {
namespace {

// The lines of a decoded text, with the number of the line last handed out.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const std::size_t end = text_.find('\n', pos_);
        const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
        line = text_.substr(pos_, stop - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = stop == text_.size() ? stop : stop + 1;
        ++number_;
        return true;
    }
    std::size_t number() const { return number_; }
    // Where the next line starts.
    std::size_t offset() const { return pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Up to maxDigits hexadecimal digits at the start of s; nothing when there is none.
std::optional<std::uint32_t> readHex(std::string_view s, std::size_t& pos, std::size_t maxDigits) {
    std::uint32_t value = 0;
    std::size_t digits = 0;
    while (digits < maxDigits && pos < s.size() && hexDigit(s[pos]) >= 0) {
        value = value * 16 + static_cast<std::uint32_t>(hexDigit(s[pos]));
        ++pos;
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
}

bool isStringType(std::uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::vector<std::uint8_t> utf16leBytes(std::u16string_view units) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
}

// The narrow form in which the registry hands out a value: string types become UTF-8 (as the ANSI
// registry calls convert them), others keep their bytes. An odd last byte of UTF-16 data is dropped.
RegValue narrowValue(std::uint32_t type, const std::vector<std::uint8_t>& bytes, bool utf16) {
    RegValue v;
    v.type = type;
    if (!isStringType(type)) {
        v.data = bytes;
        return v;
    }
    std::string text;
    if (utf16) {
        std::u16string units(bytes.size() / 2, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i)
            units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        text = fromUtf16(units);
    } else {
        text = ansiToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    v.data.assign(text.begin(), text.end());
    return v;
}

RegValue stringValue(std::uint32_t type, std::string_view text) {
    RegValue v;
    v.type = type;
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return v;
}

bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::size_t utf16Length(std::string_view text) { return isAscii(text) ? text.size() : toUtf16(text).size(); }

struct Budget {
    std::size_t left;
    std::size_t limit;
    explicit Budget(std::size_t maxEntries) : left(maxEntries), limit(maxEntries) {}
    bool take(std::string& why) {
        if (left > 0) {
            --left;
            return true;
        }
        why = "more than " + std::to_string(limit) + " keys and values";
        return false;
    }
};

// The key below `root` at a '\'-separated path, made as needed; null with `why` when the path breaks
// the platform's limits. Key lines of a file mostly share their leading keys with the line before, so
// the keys of the last path are kept and a new path is looked up only from where it departs.
class KeyPaths {
public:
    explicit KeyPaths(RegNode& root) : root_(root) {}

    RegNode* make(std::string_view path, Budget& budget, std::string& why) {
        std::size_t shared = 0;  // leading keys named byte for byte as in the last path
        for (std::size_t from = 0; shared < ends_.size(); ++shared) {
            const std::size_t end = ends_[shared];  // the names before `from` are known to match
            if (path.size() < end || path.substr(from, end - from) != std::string_view(last_).substr(from, end - from) ||
                (path.size() > end && path[end] != '\\'))
                break;
            from = end;
        }
        const std::size_t start = shared == 0 ? 0 : ends_[shared - 1] + 1;
        ends_.resize(shared);
        nodes_.resize(shared);
        last_.assign(path);
        if (shared > 0 && start > path.size()) return nodes_.back();  // the same key again
        RegNode* node = shared == 0 ? &root_ : nodes_.back();
        for (std::size_t at = start;;) {
            const std::size_t cut = std::min(path.find('\\', at), path.size());
            const std::string_view name = path.substr(at, cut - at);
            if (name.empty()) {
                why = "empty key name in the key path";
                return forget();
            }
            if (nodes_.size() + 1 > kMaxKeyDepth) {
                why = "key path deeper than " + std::to_string(kMaxKeyDepth) + " levels";
                return forget();
            }
            if (utf16Length(name) > kMaxKeyNameChars) {
                why = "key name longer than " + std::to_string(kMaxKeyNameChars) + " characters";
                return forget();
            }
            // Files mostly list keys in order, so a new key often comes after all its siblings.
            auto& subkeys = node->subkeys;
            auto it = !subkeys.empty() && RegNameLess()(subkeys.rbegin()->first, name) ? subkeys.end()
                                                                                       : subkeys.lower_bound(name);
            if (it == subkeys.end() || RegNameLess()(name, it->first)) {
                if (!budget.take(why)) return forget();
                it = subkeys.emplace_hint(it, std::string(name), std::make_unique<RegNode>());
            }
            node = it->second.get();
            nodes_.push_back(node);
            ends_.push_back(cut);
            if (cut == path.size()) return node;
            at = cut + 1;
        }
    }

private:
    // A broken path is not kept: the next one is looked up from the root.
    RegNode* forget() {
        last_.clear();
        ends_.clear();
        nodes_.clear();
        return nullptr;
    }

    RegNode& root_;
    std::string last_;
    std::vector<std::size_t> ends_;  // where each key's name ends in last_
    std::vector<RegNode*> nodes_;
};

bool checkValueName(std::string_view name, std::string& why) {
    if (utf16Length(name) <= kMaxValueNameChars) return true;
    why = "value name longer than " + std::to_string(kMaxValueNameChars) + " characters";
    return false;
}

// Comma-separated hexadecimal bytes; a '\' at the end of a line continues them on the next line.
// Without `out` they are only checked.
bool readHexBytes(Lines& lines, std::string_view rest, std::vector<std::uint8_t>* out, std::string& why) {
    while (true) {
        rest = trimRight(rest);
        const bool continued = !rest.empty() && rest.back() == '\\';
        if (continued) rest.remove_suffix(1);
        std::size_t i = 0;
        while (true) {
            while (i < rest.size() && isBlank(rest[i])) ++i;
            if (i == rest.size()) break;
            const auto byte = readHex(rest, i, 2);
            if (!byte) {
                why = "expected a hexadecimal byte in the value data";
                return false;
            }
            if (out) out->push_back(static_cast<std::uint8_t>(*byte));
            while (i < rest.size() && isBlank(rest[i])) ++i;
            if (i == rest.size()) break;
            if (rest[i] != ',') {
                why = "expected ',' between the bytes of the value data";
                return false;
            }
            ++i;
        }
        if (!continued) return true;
        if (!lines.next(rest)) {
            why = "value data continued past the end of the file";
            return false;
        }
        rest = trimLeft(rest);
    }
}

bool readDword(std::string_view rest, std::uint32_t& value, std::string& why) {
    rest = trimRight(rest);
    std::size_t i = 0;
    const auto digits = readHex(rest, i, 8);
    if (!digits || i != rest.size()) {
        why = "expected up to 8 hexadecimal digits after \"dword:\"";
        return false;
    }
    value = *digits;
    return true;
}

RegValue dwordValue(std::uint32_t value) {
    return {REG_DWORD,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

// "hex:" or "hex(N):" (N hexadecimal); the type, with `rest` moved past the prefix.
std::optional<std::uint32_t> readHexPrefix(std::string_view& rest) {
    if (rest.starts_with("hex:")) {
        rest.remove_prefix(4);
        return REG_BINARY;
    }
    if (!rest.starts_with("hex(")) return std::nullopt;
    std::size_t i = 4;
    const auto type = readHex(rest, i, 8);
    if (!type || rest.substr(i, 2) != "):") return std::nullopt;
    rest.remove_prefix(i + 2);
    return *type;
}

bool onlyBlanksAfter(std::string_view s, std::size_t pos, std::string& why) {
    if (trimLeft(s.substr(pos)).empty()) return true;
    why = "unexpected text after the value";
    return false;
}

// --- Wine registry files ---

// A string in Wine's escaped form, from just after its opening delimiter up to the unescaped `end`.
// Escapes: \\ \" and the other C letters, \x with up to four hexadecimal digits (one UTF-16 code
// unit), up to three octal digits; a backslash before any other character stands for that character.
bool readWineString(std::string_view s, std::size_t& pos, char end, std::u16string& out, std::string& why) {
    std::size_t run = pos;
    auto flush = [&](std::size_t upTo) { out += toUtf16(s.substr(run, upTo - run)); };
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == end) {
            flush(pos);
            ++pos;
            return true;
        }
        if (c != '\\') {
            ++pos;
            continue;
        }
        flush(pos);
        if (++pos == s.size()) break;
        const char e = s[pos++];
        switch (e) {
            case 'a': out.push_back(u'\a'); break;
            case 'b': out.push_back(u'\b'); break;
            case 'e': out.push_back(u'\x1b'); break;
            case 'f': out.push_back(u'\f'); break;
            case 'n': out.push_back(u'\n'); break;
            case 'r': out.push_back(u'\r'); break;
            case 't': out.push_back(u'\t'); break;
            case 'v': out.push_back(u'\v'); break;
            case 'x': {
                const auto unit = readHex(s, pos, 4);
                out.push_back(unit ? static_cast<char16_t>(*unit) : u'x');
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned value = static_cast<unsigned>(e - '0');
                    for (int k = 0; k < 2 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++k)
                        value = value * 8 + static_cast<unsigned>(s[pos++] - '0');
                    out.push_back(static_cast<char16_t>(value));
                } else if (static_cast<unsigned char>(e) < 0x80) {
                    out.push_back(static_cast<char16_t>(e));
                } else {
                    run = pos - 1;  // a multi-byte character: decoded with the text that follows
                    continue;
                }
        }
        run = pos;
    }
    why = "text ends inside a quoted string";
    return false;
}

// Moves pos past the same string without decoding it; fails exactly where readWineString does.
bool skipWineString(std::string_view s, std::size_t& pos, char end, std::string& why) {
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == end) return true;
        if (c == '\\' && pos++ == s.size()) break;  // an escape takes the next character whatever it is
    }
    why = "text ends inside a quoted string";
    return false;
}

// The same string as UTF-8 text. Most are ASCII whose only escapes are \\ and \": those are read here.
bool readWineText(std::string_view s, std::size_t& pos, char end, std::string& out, std::string& why) {
    out.clear();
    std::size_t run = pos;  // start of the characters not yet appended
    for (std::size_t i = pos; i < s.size() && static_cast<unsigned char>(s[i]) < 0x80; ++i) {
        if (s[i] == end) {
            out.append(s.substr(run, i - run));
            pos = i + 1;
            return true;
        }
        if (s[i] == '\\') {
            if (i + 1 == s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) break;
            out.append(s.substr(run, i - run));
            run = ++i;  // the escaped character starts the next run
        }
    }
    std::u16string units;
    if (!readWineString(s, pos, end, units, why)) return false;
    out = fromUtf16(units);
    return true;
}

// The data of a value line, after its '='. Without `v` they are only checked, which takes no memory.
bool readWineData(Lines& lines, std::string_view rest, RegValue* v, std::string& why) {
    std::uint32_t strType = REG_SZ;
    if (rest.starts_with("str(")) {
        std::size_t i = 4;
        const auto type = readHex(rest, i, 8);
        if (!type || rest.substr(i, 3) != "):\"") {
            why = "malformed \"str(N):\" value";
            return false;
        }
        strType = *type;
        rest.remove_prefix(i + 2);
    }
    if (rest.starts_with('"') && !v) {
        std::size_t pos = 1;
        return skipWineString(rest, pos, '"', why) && onlyBlanksAfter(rest, pos, why);
    }
    if (rest.starts_with('"') && isStringType(strType)) {
        std::size_t pos = 1;
        std::string text;
        if (!readWineText(rest, pos, '"', text, why) || !onlyBlanksAfter(rest, pos, why)) return false;
        *v = stringValue(strType, text);  // Wine writes the quoted form only for data ending in a zero
        return true;
    }
    if (rest.starts_with('"')) {
        std::size_t pos = 1;
        std::u16string units;
        if (!readWineString(rest, pos, '"', units, why)) return false;
        if (!onlyBlanksAfter(rest, pos, why)) return false;
        units.push_back(u'\0');  // Wine writes the quoted form only for data ending in a zero
        *v = narrowValue(strType, utf16leBytes(units), true);
        return true;
    }
    if (rest.starts_with("dword:")) {
        std::uint32_t value = 0;
        if (!readDword(rest.substr(6), value, why)) return false;
        if (v) *v = dwordValue(value);
        return true;
    }
    if (const auto type = readHexPrefix(rest)) {
        if (!v) return readHexBytes(lines, rest, nullptr, why);
        std::vector<std::uint8_t> bytes;
        if (!readHexBytes(lines, rest, &bytes, why)) return false;
        *v = narrowValue(*type, bytes, true);
        return true;
    }
    why = "unrecognised value data";
    return false;
}

// The name of a value line (starting with '@' or '"'), with pos moved past it: a view of the line
// when the name is ASCII without escapes, as most are, else decoded into scratch.
bool readValueName(std::string_view line, std::size_t& pos, std::string& scratch, std::string_view& name,
                   std::string& why) {
    pos = 1;
    if (line[0] == '@') {
        name = {};
        return true;
    }
    std::size_t close = 1;
    while (close < line.size() && line[close] != '"' && line[close] != '\\' &&
           static_cast<unsigned char>(line[close]) < 0x80)
        ++close;
    if (close < line.size() && line[close] == '"') {
        name = line.substr(1, close - 1);
        pos = close + 1;
        return true;
    }
    if (!readWineText(line, pos, '"', scratch, why)) {
        why = "value name: " + why;
        return false;
    }
    name = scratch;
    return true;
}

// A whole value line and the lines its data continue on. Without `v` the data are only checked.
bool readValueLine(Lines& lines, std::string_view line, std::string& scratch, std::string_view& name, RegValue* v,
                   std::string& why) {
    std::size_t pos = 0;
    if (!readValueName(line, pos, scratch, name, why) || !checkValueName(name, why)) return false;
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] != '=') {
        why = "expected '=' after the value name";
        return false;
    }
    return readWineData(lines, trimLeft(line.substr(pos + 1)), v, why);
}

// Calls visit(lines, line, from) for each value line of one run; `from` is the run's text from that
// line on. Lines left to visit continue from `lines`, so a visitor that reads the data skips their
// continued lines. Stops at the first visit that returns false.
template <typename Visit>
bool forEachValueLine(std::string_view run, Visit& visit) {
    Lines lines(run);
    std::string_view line;
    for (std::size_t start = 0; lines.next(line); start = lines.offset()) {
        line = trimLeft(line);
        // Comments and, when the data were not read, the lines they continue on.
        if (line.empty() || (line[0] != '@' && line[0] != '"')) continue;
        if (!visit(lines, line, run.substr(start))) return false;
    }
    return true;
}

// The same over all the runs of a Wine file's key, in file order.
template <typename Visit>
bool forEachValueLine(const RegNode& key, Visit&& visit) {
    if (!forEachValueLine(key.valueLines, visit)) return false;
    for (const std::string_view run : key.moreValueLines)
        if (!forEachValueLine(run, visit)) return false;
    return true;
}

bool findWineValue(const RegNode& key, std::string_view name, RegValue& out) {
    std::string scratch, why;
    std::string_view last;  // the text from the last line assigning the name
    const bool read = forEachValueLine(key, [&](Lines&, std::string_view line, std::string_view from) {
        std::size_t pos = 0;
        std::string_view lineName;
        if (!readValueName(line, pos, scratch, lineName, why)) return false;
        if (equalsIgnoreCase(lineName, name)) last = from;
        return true;
    });
    if (!read || last.empty()) return false;
    // The open checked these lines, so reading them again cannot fail.
    Lines lines(last);
    std::string_view line, lineName;
    return lines.next(line) && readValueLine(lines, trimLeft(line), scratch, lineName, &out, why);
}

// --- regedit exports ---

// A quoted export string from just after its opening quote: \\ and \" are escapes; a backslash
// before anything else is kept with it.
bool readExportString(std::string_view s, std::size_t& pos, std::string& out, std::string& why) {
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == '"') return true;
        if (c == '\\' && pos < s.size() && (s[pos] == '\\' || s[pos] == '"')) {
            out.push_back(s[pos++]);
            continue;
        }
        out.push_back(c);
    }
    why = "text ends inside a quoted string";
    return false;
}

// The value data of an export line; an empty optional value means "delete the value" ("=-").
bool readExportData(Lines& lines, std::string_view rest, bool unicode, std::optional<RegValue>& v, std::string& why) {
    if (rest.starts_with('"')) {
        std::size_t pos = 1;
        std::string text;
        if (!readExportString(rest, pos, text, why) || !onlyBlanksAfter(rest, pos, why)) return false;
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

bool isValidUtf8(std::string_view s);

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
    storage = ansiToUtf8(bytes);
    text = storage;
    return std::nullopt;
}

bool isValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07;
        } else {
            return false;
        }
        if (s.size() - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

}  // namespace

std::string ansiToUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    // Windows-1252 at 0x80..0x9F; the bytes it leaves undefined keep their Latin-1 code points.
    static constexpr char16_t k1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    // In pieces: each byte is one character, so the pieces convert as the whole would, without a
    // UTF-16 copy of all of it.
    std::string text;
    text.reserve(bytes.size());
    std::u16string units;
    while (!bytes.empty()) {
        const std::string_view piece = bytes.substr(0, std::size_t{1} << 16);
        bytes.remove_prefix(piece.size());
        units.clear();
        for (char c : piece) {
            const auto b = static_cast<unsigned char>(c);
            units.push_back(b >= 0x80 && b < 0xA0 ? k1252[b - 0x80] : static_cast<char16_t>(b));
        }
        text += fromUtf16(units);
    }
    return text;
}

namespace {

// The key and value lines of a Wine file's text after its first line, read into the keys below `root`;
// error lines count `linesBefore` lines ahead of `text`.
std::optional<RegParseError> readWineLines(std::string_view text, std::size_t linesBefore, RegNode& root,
                                           Budget& budget) {
    Lines lines(text);
    std::string_view line;
    std::string why;
    auto fail = [&](std::string message) { return RegParseError{linesBefore + lines.number(), std::move(message)}; };
    RegNode* key = nullptr;
    KeyPaths keyPaths(root);
    std::string path, scratch;  // reused by every line
    std::string_view name;
    // The value lines met since the last key line: from runStart to runEnd, empty while none is.
    std::size_t runStart = 0, runEnd = 0;
    auto endRun = [&] {
        if (runEnd == runStart) return;
        const std::string_view run = text.substr(runStart, runEnd - runStart);
        if (key->valueLines.empty())
            key->valueLines = run;
        else
            key->moreValueLines.push_back(run);
        runStart = runEnd = 0;
    };
    for (std::size_t start = 0; lines.next(line); start = lines.offset()) {
        line = trimLeft(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;  // comments and key options
        if (line[0] == '[') {
            endRun();
            std::size_t pos = 1;
            if (!readWineText(line, pos, ']', path, why)) return fail("key line: " + why);
            key = keyPaths.make(path, budget, why);  // the time stamp after ']' is not needed
            if (!key) return fail(why);
            continue;
        }
        if (line[0] != '@' && line[0] != '"') return fail("expected a key line, a value line or a comment");
        if (!key) return fail("value line before the first key line");
        if (!readValueLine(lines, line, scratch, name, nullptr, why)) return fail(why);
        if (!budget.take(why)) return fail(why);
        if (runEnd == runStart) runStart = start;
        runEnd = lines.offset();  // past the lines the data continued on
    }
    if (key) endRun();
    return std::nullopt;
}

// Adds the keys of `later`, read from text that follows the text `into` was read from, to `into`, as
// reading both texts in one would have: a key of both keeps the first spelling and the value runs of
// both, in file order. Returns how many keys both had. Depth is bounded as the key paths are.
std::size_t mergeLater(RegNode& into, RegNode& later) {
    if (!later.valueLines.empty()) {
        if (into.valueLines.empty())
            into.valueLines = later.valueLines;
        else
            into.moreValueLines.push_back(later.valueLines);
    }
    into.moreValueLines.insert(into.moreValueLines.end(), later.moreValueLines.begin(), later.moreValueLines.end());
    std::size_t shared = 0;
    for (auto it = later.subkeys.begin(); it != later.subkeys.end();) {
        const auto next = std::next(it);
        const auto at = into.subkeys.lower_bound(it->first);
        if (at == into.subkeys.end() || RegNameLess()(it->first, at->first))
            into.subkeys.insert(at, later.subkeys.extract(it));
        else
            shared += 1 + mergeLater(*at->second, *it->second);
        it = next;
    }
    return shared;
}

// Files this large are read in two halves at once.
constexpr std::size_t kHalvesFrom = 256 * 1024;

// Reads a large file's text in two halves at once, the second on a thread of its own, each into keys of
// its own, and merges them. False, with `root` untouched, when the text is small, no thread can be
// started, a half fails (the first may end inside data continued past it) or the two together pass the
// budget: reading the whole text again then gives the error and line a single reading reports.
bool readWineLinesInHalves(std::string_view text, RegNode& root, std::size_t maxEntries) {
    if (text.size() < kHalvesFrom || !root.subkeys.empty()) return false;
    // Any key line at the start of a line will do: it is one in a single reading too, unless the data of
    // the line before continue on it, which fails the first half.
    const std::size_t split = text.find("\n[", text.size() / 2);
    if (split == std::string_view::npos) return false;
    const std::string_view firstText = text.substr(0, split + 1), secondText = text.substr(split + 1);
    RegNode first, second;
    Budget firstBudget(maxEntries), secondBudget(maxEntries);
    std::future<bool> secondRead;
    try {
        secondRead = std::async(std::launch::async, [&] { return !readWineLines(secondText, 0, second, secondBudget); });
    } catch (const std::system_error&) {
        return false;
    }
    const bool firstRead = !readWineLines(firstText, 0, first, firstBudget);
    if (!secondRead.get() || !firstRead) return false;
    const std::size_t shared = mergeLater(first, second);
    const std::size_t used = (maxEntries - firstBudget.left) + (maxEntries - secondBudget.left) - shared;
    if (used > maxEntries) return false;
    root = std::move(first);
    return true;
}

}  // namespace

std::optional<RegParseError> parseWineRegistry(std::string_view bytes, RegNode& root, std::size_t maxEntries) {
    Lines lines(bytes);
    std::string_view line;
    if (!lines.next(line) || !line.starts_with("WINE REGISTRY Version 2"))
        return RegParseError{1, "not a Wine registry file: the first line is not \"WINE REGISTRY Version 2\""};
    const std::string_view rest = bytes.substr(lines.offset());
    if (readWineLinesInHalves(rest, root, maxEntries)) return std::nullopt;
    Budget budget(maxEntries);
    return readWineLines(rest, 1, root, budget);
}

bool findRegValue(const RegNode& key, std::string_view name, RegValue& out) {
    if (!key.valueLines.empty()) return findWineValue(key, name, out);
    const auto it = std::lower_bound(key.values.begin(), key.values.end(), name,
                                     [](const StoredValue& v, std::string_view n) { return RegNameLess()(v.name(), n); });
    if (it == key.values.end() || RegNameLess()(name, it->name())) return false;
    out = it->value();
    return true;
}

std::map<std::string, RegValue, RegNameLess> regValues(const RegNode& key) {
    std::map<std::string, RegValue, RegNameLess> values;
    for (const StoredValue& v : key.values) values.emplace(std::string(v.name()), v.value());
    std::string scratch, why;
    std::string_view name;
    forEachValueLine(key, [&](Lines& lines, std::string_view line, std::string_view) {
        RegValue value;
        if (!readValueLine(lines, line, scratch, name, &value, why)) return false;
        values.insert_or_assign(std::string(name), std::move(value));
        return true;
    });
    return values;
}

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
            if (!readExportString(line, pos, name, why)) return fail("value name: " + why);
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
        key->values.push_back(value ? StoredValue(name, *value) : StoredValue::removal(name));
    }
    roots.classesRoot.settleValues();
    roots.localMachine.settleValues();
    roots.currentUser.settleValues();
    return std::nullopt;
}

}  // namespace tessivar
