// The frame of every fieldconfig document: its schema URL and version, and which channels share
// a sensor slot below "sensors".
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace devlib_instr {

inline constexpr std::string_view schemaUrl =
    "https://schemas.torvik-instruments.com/schemas/fieldconfig/fieldconfig_json_schema_v1.0.6.json";
inline constexpr std::string_view documentVersion = "1.0.6";

constexpr uint8_t sensorSlotCount = 4;
// Channel to sensor slot: 0 → 1, 1 → 2, 2 and 3 → 3, 4 and 5 → 0.
uint8_t sensorSlotOf(uint8_t channel);
// The channels of a sensor slot, the inverse of sensorSlotOf.
std::vector<uint8_t> channelsOfSensorSlot(uint8_t slot);

}  // namespace devlib_instr
