// The Torvik models this library knows: the footprint key a model's footprint reply carries, the
// device-type number the reply is decoded to, and the GSR device ID the datalog archive names.
#pragma once

#include <cstdint>
#include <string>

namespace devlib_instr {

// The device type of a footprint key; 0 when the key is unknown.
int32_t deviceTypeForFootprintKey(uint16_t key);

// The GSR device ID (four to six decimal digits) of a device type; empty for a type not in the
// table (0, the unknown type, included).
std::string gsrDeviceId(int32_t deviceType);

}  // namespace devlib_instr
