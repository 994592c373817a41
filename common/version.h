#pragma once

// The program's version, from the project's version in CMake.

namespace korvale {

inline constexpr const char* korvaleVersion = KORVALE_VERSION;

}  // namespace korvale
