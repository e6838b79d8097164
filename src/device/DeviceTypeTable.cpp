// The device models this library knows by their footprint key. Each row is one Torvik model
// variant (key as the footprint reply carries it, little-endian) and its device-type number; the
// GSR table (GsrTable.cpp) turns that number into the GSR device ID written into datalog archives.
#include <algorithm>
#include <array>
#include <utility>

#include "comm/DeviceTypeTable.hpp"

namespace devlib_instr {

namespace {

constexpr std::array<std::pair<uint16_t, int32_t>, 15> deviceTypes{{
    {0x0015, 1},   // Torvik 1-gas
    {0x0016, 2},   // Torvik 2-gas
    {0x0017, 3},   // Torvik 4-gas
    {0x0018, 4},   // Torvik 4-gas with pump
    {0x0019, 5},   // Torvik 5-gas
    {0x001A, 6},   // Torvik 5-gas with pump
    {0x001B, 7},   // Torvik 6-gas
    {0x001C, 8},   // Torvik 6-gas with pump
    {0x0021, 9},   // Torvik X 4-gas
    {0x0022, 10},  // Torvik X 5-gas
    {0x0023, 11},  // Torvik X 6-gas
    {0x0024, 12},  // Torvik X 6-gas with pump
    {0x0031, 13},  // Torvik PID 1-gas
    {0x0032, 14},  // Torvik PID 5-gas
    {0x0033, 15},  // Torvik PID 6-gas with pump
}};

}  // namespace

int32_t deviceTypeForFootprintKey(uint16_t key) {
    const auto row = std::find_if(deviceTypes.begin(), deviceTypes.end(), [key](const auto& r) { return r.first == key; });
    return row != deviceTypes.end() ? row->second : 0;
}

}  // namespace devlib_instr
