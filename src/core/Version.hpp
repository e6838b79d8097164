// The library's version, reported in the API table's header and in every datalog archive.
#pragma once

#include <cstdint>

namespace devlib_instr::version {

inline constexpr uint32_t major = 2;
inline constexpr uint32_t minor = 9;
inline constexpr uint32_t patch = 0;

}  // namespace devlib_instr::version
