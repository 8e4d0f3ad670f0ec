// The text pieces both registry file forms share.
#include "typelib/posix/reg_text.h"

#include <algorithm>
#include <memory>

#include "base/text.h"

namespace tessivar::regtext {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Whether the text takes more than `limit` UTF-16 code units. No character takes more units than its
// UTF-8 bytes, so a text of no more bytes than that is never counted.
bool longerInUtf16(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return false;
    return (isAscii(text) ? text.size() : toUtf16(text).size()) > limit;
}

// A Wine string with any escapes, decoded through UTF-16 as Wine stores it: \x escapes are code units,
// so a surrogate pair of two escapes is one character.
bool readWineEscaped(std::string_view s, std::size_t& pos, char end, std::u16string* out, std::string& why) {
    std::size_t run = pos;
    auto flush = [&](std::size_t upTo) {
        if (out) *out += toUtf16(s.substr(run, upTo - run));
    };
    auto put = [&](char16_t unit) {
        if (out) out->push_back(unit);
    };
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
            case 'a': put(u'\a'); break;
            case 'b': put(u'\b'); break;
            case 'e': put(u'\x1b'); break;
            case 'f': put(u'\f'); break;
            case 'n': put(u'\n'); break;
            case 'r': put(u'\r'); break;
            case 't': put(u'\t'); break;
            case 'v': put(u'\v'); break;
            case 'x': {
                const auto unit = readHex(s, pos, 4);
                put(unit ? static_cast<char16_t>(*unit) : u'x');
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    unsigned value = static_cast<unsigned>(e - '0');
                    for (int k = 0; k < 2 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++k)
                        value = value * 8 + static_cast<unsigned>(s[pos++] - '0');
                    put(static_cast<char16_t>(value));
                } else if (static_cast<unsigned char>(e) < 0x80) {
                    put(static_cast<char16_t>(e));
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

}  // namespace

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

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

bool readQuoted(std::string_view s, std::size_t& pos, char end, Escapes escapes, std::string* out, std::string& why) {
    if (out) out->clear();
    // Most strings are ASCII whose only escapes are \\ and \": those read the same in both forms and
    // are copied here as they stand. Export text is UTF-8 already, so all of it is read here.
    const bool wine = escapes == Escapes::Wine;
    std::size_t run = pos;  // start of the characters not yet appended
    for (std::size_t i = pos; i < s.size(); ++i) {
        const char c = s[i];
        if (c == end) {
            if (out) out->append(s.substr(run, i - run));
            pos = i + 1;
            return true;
        }
        if (c == '\\') {
            if (i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
                if (out) out->append(s.substr(run, i - run));
                run = ++i;  // the escaped character starts the next run
            } else if (wine) {
                break;
            }
        } else if (wine && static_cast<unsigned char>(c) >= 0x80) {
            break;
        }
    }
    if (escapes == Escapes::Export) {
        why = "text ends inside a quoted string";
        return false;
    }
    if (!out) return readWineEscaped(s, pos, end, nullptr, why);
    std::u16string units;
    if (!readWineEscaped(s, pos, end, &units, why)) return false;
    *out = fromUtf16(units);
    return true;
}

bool isStringType(std::uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

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

bool Budget::take(std::string& why) {
    if (left > 0) {
        --left;
        return true;
    }
    why = "more than " + std::to_string(limit) + " keys and values";
    return false;
}

RegNode* KeyPaths::make(std::string_view path, Budget& budget, std::string& why, std::string_view spelled) {
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
        if (longerInUtf16(name, kMaxKeyNameChars)) {
            why = "key name longer than " + std::to_string(kMaxKeyNameChars) + " characters";
            return forget();
        }
        // Files mostly list keys in order, so a new key often comes after all its siblings.
        auto& subkeys = node->subkeys;
        auto it = !subkeys.empty() && RegNameLess()(subkeys.rbegin()->first, name) ? subkeys.end()
                                                                                   : subkeys.lower_bound(name);
        if (it == subkeys.end() || RegNameLess()(name, it->first)) {
            if (!budget.take(why)) return forget();
            // Spelled as it is, the name stands one place further on for each (doubled) separator before it.
            const std::size_t from = at + nodes_.size();
            const std::string_view there = from < spelled.size() ? spelled.substr(from, name.size()) : std::string_view();
            RegName stored = there == name ? RegName::viewOf(there) : RegName::copyOf(name);
            it = subkeys.emplace_hint(it, std::move(stored), std::make_unique<RegNode>());
        }
        node = it->second.get();
        nodes_.push_back(node);
        ends_.push_back(cut);
        if (cut == path.size()) return node;
        at = cut + 1;
    }
}

// A broken path is not kept: the next one is looked up from the root.
RegNode* KeyPaths::forget() {
    last_.clear();
    ends_.clear();
    nodes_.clear();
    return nullptr;
}

bool checkValueName(std::string_view name, std::string& why) {
    if (!longerInUtf16(name, kMaxValueNameChars)) return true;
    why = "value name longer than " + std::to_string(kMaxValueNameChars) + " characters";
    return false;
}

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

}  // namespace tessivar::regtext
