// The one table from document path to configuration key: parsing a request looks paths up in it
// and building a response walks it the other way.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigurationData.hpp"

namespace devlib_instr {

// The first member of a path: "device" (the device, channel 255), "channels"/n (channel n) and
// "sensors"/s (the sensors of slot s).
enum class DocumentRoot : uint8_t { Device, Channels, Sensors };
enum class JsonType : uint8_t { Number, String, Boolean };
using TextList = std::span<const std::string_view>;

struct DocumentPath {
    DocumentRoot root;
    std::vector<std::string> members;  // below the root and its channel or slot member
    ConfigurationKey key;
    JsonType type;
    TextList texts;  // the value texts of an enumerated key by index; empty for free values
};

const std::vector<DocumentPath>& documentPaths();
const DocumentPath* findPath(DocumentRoot root, const std::vector<std::string>& members);
const DocumentPath* pathOfKey(ConfigurationKey key);
// Every path that starts with `prefix` (the prefix itself included when it is a leaf).
std::vector<const DocumentPath*> pathsBelow(DocumentRoot root, const std::vector<std::string>& prefix);

// Channel to sensor slot: 0 → 1, 1 → 2, 2 and 3 → 3, 4 and 5 → 0.
uint8_t sensorSlotOf(uint8_t channel);
// The channels of a sensor slot, the inverse of sensorSlotOf.
std::vector<uint8_t> channelsOfSensorSlot(uint8_t slot);
constexpr uint8_t sensorSlotCount = 4;

inline constexpr std::string_view schemaUrl =
    "https://schemas.torvik-instruments.com/schemas/fieldconfig/fieldconfig_json_schema_v1.0.6.json";
inline constexpr std::string_view documentVersion = "1.0.6";

}  // namespace devlib_instr
