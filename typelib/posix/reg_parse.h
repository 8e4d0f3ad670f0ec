// Readers for registry files: Wine's system.reg and user.reg, and regedit exports (.reg) in both forms.
// The files are untrusted: every malformed line is reported with its number, and nothing is read
// past the bytes given.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "typelib/posix/reg_tree.h"

namespace tessivar {

struct RegParseError {
    std::size_t line = 0;  // 1-based line of the decoded text
    std::string message;
};

// Keys and values one file may add (a Wine file counts each value line). Each costs far more memory
// than the few bytes naming it, so the file size alone does not bound what a hostile file can take;
// real hives stay well below this.
inline constexpr std::size_t kMaxRegEntries = 4'000'000;

// A Wine registry file ("WINE REGISTRY Version 2"); its keys go below `root`. Every line is checked,
// but values are not stored: each key keeps views of its value lines, and most keys their names, in
// `bytes`, which must outlive the keys.
[[nodiscard]] std::optional<RegParseError> parseWineRegistry(std::string_view bytes, RegNode& root,
                                                             std::size_t maxEntries = kMaxRegEntries);

// A regedit export: "REGEDIT4" (ANSI text) or "Windows Registry Editor Version 5.00" (UTF-16LE with
// a byte order mark). Keys under HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER go to
// the matching root; keys under other roots are read and dropped.
[[nodiscard]] std::optional<RegParseError> parseRegExport(std::string_view bytes, RegRoots& roots,
                                                          std::size_t maxEntries = kMaxRegEntries);

// The value of a key read by either reader, names matched as RegNameLess orders them; of several
// assignments of one name in a Wine file, the last. False when the key has no such value.
bool findRegValue(const RegNode& key, std::string_view name, RegValue& out);

// All values of a key, each under the spelling its name first had, with its last assignment.
std::map<std::string, RegValue, RegNameLess> regValues(const RegNode& key);

}  // namespace tessivar
