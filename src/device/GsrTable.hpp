// The GSR device ID (a text of four to six decimal digits) of a device-type number.
#pragma once

#include <cstdint>
#include <string>

namespace devlib_instr {

// Empty for a device type not in the table (0, the unknown type, included).
std::string gsrDeviceId(int32_t deviceType);

}  // namespace devlib_instr
