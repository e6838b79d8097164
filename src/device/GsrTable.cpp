// Device-type number to GSR device ID. Types 1..15 are the models of the footprint table
// (DeviceTypeTable.cpp); 16..19 are models that report no footprint key of their own yet but
// keep their registered IDs here so the two tables can grow independently.
#include "device/GsrTable.hpp"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace devlib_instr {

namespace {

constexpr std::array<std::pair<int32_t, std::string_view>, 19> gsrIds{{
    {1, "8320"},    {2, "8321"},  {3, "8322"},   {4, "8323"},   {5, "8324"},   {6, "8325"},    {7, "8326"},
    {8, "8327"},    {9, "83210"}, {10, "83211"}, {11, "83212"}, {12, "83213"}, {13, "832140"}, {14, "832141"},
    {15, "832142"}, {16, "8330"}, {17, "8331"},  {18, "8332"},  {19, "8333"},
}};

}  // namespace

std::string gsrDeviceId(int32_t deviceType) {
    const auto row =
        std::find_if(gsrIds.begin(), gsrIds.end(), [deviceType](const auto& r) { return r.first == deviceType; });
    return row != gsrIds.end() ? std::string(row->second) : std::string();
}

}  // namespace devlib_instr
