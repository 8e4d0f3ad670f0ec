// The pieces of text both registry file forms share: lines, blanks, hexadecimal digits and bytes, quoted
// strings, value data and the key paths a file names, each bounded by the platform's limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "typelib/posix/reg_tree.h"

namespace tessivar::regtext {

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

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
std::string_view trimLeft(std::string_view s);
std::string_view trimRight(std::string_view s);

// Up to maxDigits hexadecimal digits at s[pos], with pos moved past them; nothing when there is none.
std::optional<std::uint32_t> readHex(std::string_view s, std::size_t& pos, std::size_t maxDigits);

// How a quoted string escapes. Wine: \\ \" and the other C letters, \x with up to four hexadecimal
// digits (one UTF-16 code unit), up to three octal digits; a backslash before any other character
// stands for that character. Export: only \\ and \"; a backslash before anything else is kept with it.
enum class Escapes { Wine, Export };

// The quoted string from s[pos], just after its opening delimiter, up to the unescaped `end`, with pos
// moved past `end`. Its text goes to `out` as UTF-8; without `out` the string is only checked, which
// takes no memory, and fails exactly where reading it would.
bool readQuoted(std::string_view s, std::size_t& pos, char end, Escapes escapes, std::string* out, std::string& why);

bool isStringType(std::uint32_t type);

// The narrow form in which the registry hands out a value: string types become UTF-8 (as the ANSI
// registry calls convert them), others keep their bytes. An odd last byte of UTF-16 data is dropped.
RegValue narrowValue(std::uint32_t type, const std::vector<std::uint8_t>& bytes, bool utf16);
// A string value of UTF-8 text, with its terminating zero.
RegValue stringValue(std::uint32_t type, std::string_view text);
RegValue dwordValue(std::uint32_t value);

// The keys and values one file may still add.
struct Budget {
    std::size_t left;
    std::size_t limit;
    explicit Budget(std::size_t maxEntries) : left(maxEntries), limit(maxEntries) {}
    bool take(std::string& why);
};

// The key below `root` at a '\'-separated path, made as needed; null with `why` when the path breaks
// the platform's limits. Key lines of a file mostly share their leading keys with the line before, so
// the keys of the last path are kept and a new path is looked up only from where it departs.
class KeyPaths {
public:
    explicit KeyPaths(RegNode& root) : root_(root) {}
    // `spelled` is the path as the file spells it, which outlives the keys. A new key's name that stands
    // there as it is, where it would with each separator doubled, is a view of it instead of a copy.
    RegNode* make(std::string_view path, Budget& budget, std::string& why, std::string_view spelled = {});

private:
    RegNode* forget();

    RegNode& root_;
    std::string last_;
    std::vector<std::size_t> ends_;  // where each key's name ends in last_
    std::vector<RegNode*> nodes_;
};

bool checkValueName(std::string_view name, std::string& why);

// Comma-separated hexadecimal bytes; a '\' at the end of a line continues them on the next line.
// Without `out` they are only checked.
bool readHexBytes(Lines& lines, std::string_view rest, std::vector<std::uint8_t>* out, std::string& why);

// The data of "dword:" after its prefix.
bool readDword(std::string_view rest, std::uint32_t& value, std::string& why);

// "hex:" or "hex(N):" (N hexadecimal); the type, with `rest` moved past the prefix.
std::optional<std::uint32_t> readHexPrefix(std::string_view& rest);

bool onlyBlanksAfter(std::string_view s, std::size_t pos, std::string& why);

}  // namespace tessivar::regtext
