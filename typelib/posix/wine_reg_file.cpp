// Wine's registry files, system.reg and user.reg: checked line by line when opened, values read from
// their lines when asked for.
#include "typelib/posix/reg_parse.h"

#include <algorithm>

#include "base/text.h"
#include "typelib/posix/reg_text.h"

namespace tessivar {
namespace {

using namespace regtext;

std::vector<std::uint8_t> utf16leBytes(std::u16string_view units) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
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
    if (rest.starts_with('"')) {
        std::size_t pos = 1;
        std::string text;
        if (!readQuoted(rest, pos, '"', Escapes::Wine, v ? &text : nullptr, why) || !onlyBlanksAfter(rest, pos, why))
            return false;
        // Wine writes the quoted form only for data ending in a zero; other types hold its UTF-16 form.
        if (!v) return true;
        if (isStringType(strType)) {
            *v = stringValue(strType, text);
            return true;
        }
        std::u16string units = toUtf16(text);
        units.push_back(u'\0');
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
    if (!readQuoted(line, pos, '"', Escapes::Wine, &scratch, why)) {
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
    if (key.apart)
        for (const std::string_view run : key.apart->moreValueLines)
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

}  // namespace

std::optional<RegParseError> parseWineRegistry(std::string_view bytes, RegNode& root, std::size_t maxEntries) {
    Lines lines(bytes);
    std::string_view line;
    if (!lines.next(line) || !line.starts_with("WINE REGISTRY Version 2"))
        return RegParseError{1, "not a Wine registry file: the first line is not \"WINE REGISTRY Version 2\""};
    std::string why;
    auto fail = [&](std::string message) { return RegParseError{lines.number(), std::move(message)}; };
    Budget budget(maxEntries);
    RegNode* key = nullptr;
    KeyPaths keyPaths(root);
    std::string path, scratch;  // reused by every line
    std::string_view name;
    // The value lines met since the last key line: from runStart to runEnd, empty while none is.
    std::size_t runStart = 0, runEnd = 0;
    auto endRun = [&] {
        if (runEnd == runStart) return;
        const std::string_view run = bytes.substr(runStart, runEnd - runStart);
        if (key->valueLines.empty())
            key->valueLines = run;
        else
            key->madeApart().moreValueLines.push_back(run);
        runStart = runEnd = 0;
    };
    for (std::size_t start = lines.offset(); lines.next(line); start = lines.offset()) {
        line = trimLeft(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;  // comments and key options
        if (line[0] == '[') {
            endRun();
            std::size_t pos = 1;
            if (!readQuoted(line, pos, ']', Escapes::Wine, &path, why)) return fail("key line: " + why);
            // The path as the line spells it, for the keys' names; the time stamp after ']' is not needed.
            key = keyPaths.make(path, budget, why, line.substr(1, pos - 2));
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

bool findRegValue(const RegNode& key, std::string_view name, RegValue& out) {
    if (!key.valueLines.empty()) return findWineValue(key, name, out);
    if (!key.apart) return false;
    const std::vector<StoredValue>& values = key.apart->values;
    const auto it = std::lower_bound(values.begin(), values.end(), name,
                                     [](const StoredValue& v, std::string_view n) { return RegNameLess()(v.name(), n); });
    if (it == values.end() || RegNameLess()(name, it->name())) return false;
    out = it->value();
    return true;
}

std::map<std::string, RegValue, RegNameLess> regValues(const RegNode& key) {
    std::map<std::string, RegValue, RegNameLess> values;
    if (key.apart)
        for (const StoredValue& v : key.apart->values) values.emplace(std::string(v.name()), v.value());
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

}  // namespace tessivar
