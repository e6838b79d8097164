// The device states this library waits for or looks at: the state word of the device-state reply,
// compared as a signed number. The library gives the other values no meaning.
#pragma once

#include <cstdint>

namespace devlib_instr::deviceState {

inline constexpr int32_t switchedOff = 1;  // reached after a switch-off request
inline constexpr int32_t keptOff = 5;      // a device in this state is not switched on after a database write
inline constexpr int32_t ready = 9;  // switched on: reached after a switch-on request, awaited before a datalog clear

}  // namespace devlib_instr::deviceState
