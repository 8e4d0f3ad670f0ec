// The path separator of the build, for every layer that composes paths.
#pragma once

namespace tessivar {

// The native separator of the build: the Windows build writes the backslash paths its users know.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

}  // namespace tessivar
