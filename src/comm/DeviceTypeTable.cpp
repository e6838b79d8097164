// The device models this library knows by their footprint key. Each row is one Torvik model
// variant: the key as the footprint reply carries it (little-endian) and its device-type number.
// The datalog reader's GSR table (device/GsrTable.cpp) turns that number into the GSR device ID.
#include <algorithm>
#include <array>
#include <utility>

#include "comm/DeviceTypeTable.hpp"

namespace devlib_instr {

namespace {

constexpr std::array<std::pair<uint16_t, int32_t>, 15> deviceTypes{{
    {0x0511, 1},
    {0x0512, 2},
    {0x0513, 3},
    {0x0514, 4},
    {0x0515, 5},
    {0x0516, 6},
    {0x0517, 7},
    {0x0518, 8},
    {0x0519, 9},
    {0x051A, 10},
    {0x051B, 11},
    {0x051C, 12},
    {0x0521, 13},
    {0x0522, 14},
    {0x0523, 15},
}};

}  // namespace

int32_t deviceTypeForFootprintKey(uint16_t key) {
    const auto row =
        std::find_if(deviceTypes.begin(), deviceTypes.end(), [key](const auto& r) { return r.first == key; });
    return row != deviceTypes.end() ? row->second : 0;
}

}  // namespace devlib_instr
