// The checks of the values that name generated files, made before anything is written: a package
// javac accepts and a jar module name Ant and the file systems accept as one file name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessivar {

// Why `name` cannot be the Java package of the generated classes; nothing when it can. Empty is the
// unnamed package, which is allowed.
std::optional<std::string> javaPackageProblem(std::string_view name);

// Why `name` cannot name the jar file lib/NAME.jar; nothing when it can. Empty is told apart, as the
// request's own "Enter Module Name." check.
std::optional<std::string> jarModuleProblem(std::string_view name);

}  // namespace tessivar
