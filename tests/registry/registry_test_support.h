// Helpers shared by the registry tests: fixture files, registries made from text, UTF-16 exports.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "base/text.h"
#include "typelib/posix/file_registry.h"
#include "typelib/posix/reg_parse.h"

namespace tessivar::test {

inline std::string regFixturePath(const std::string& name) {
    return std::string(TESSIVAR_SOURCE_DIR) + "/tests/fixtures/reg/" + name;
}

inline std::string readRegFixture(const std::string& name) {
    std::ifstream in(regFixturePath(name), std::ios::binary);
    EXPECT_TRUE(in) << "missing fixture " << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bytes a "Version 5.00" export has: byte order mark, UTF-16LE, CR LF line ends.
inline std::string utf16Export(std::string_view utf8) {
    std::string withCrLf;
    for (char c : utf8) {
        if (c == '\n') withCrLf += '\r';
        withCrLf += c;
    }
    std::string bytes = "\xFF\xFE";
    for (char16_t u : toUtf16(withCrLf)) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

inline std::unique_ptr<Registry> registryOf(std::string_view exportText, DriveMap drives = {},
                                            EnvironmentMap environment = {}) {
    RegistryOpenResult r = registryFromExport(exportText, std::move(drives), std::move(environment));
    EXPECT_TRUE(r.registry) << r.error;
    return std::move(r.registry);
}

// The default or named value of a key as text; "<no key>" or "<no value>" when missing.
inline std::string valueText(Registry& registry, RegRoot root, std::string_view path, std::string_view name = "") {
    std::unique_ptr<RegKey> key;
    if (registry.openKey(root, path, RegAccess::Read, key) != kRegSuccess) return "<no key>";
    RegValue value;
    if (key->queryValue(name, 4096, value) != kRegSuccess) return "<no value>";
    return value.text();
}

}  // namespace tessivar::test
