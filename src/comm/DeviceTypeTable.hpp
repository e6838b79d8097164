// The footprint reply's device-type table: the 16-bit footprint key of a device model to the small
// device-type number from which the datalog archive derives the GSR device ID.
#pragma once

#include <cstdint>

namespace devlib_instr {

// The device type of a footprint key; 0 when the key is unknown.
int32_t deviceTypeForFootprintKey(uint16_t key);

}  // namespace devlib_instr
