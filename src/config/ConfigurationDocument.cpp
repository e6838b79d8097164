#include "config/ConfigurationDocument.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "config/ChannelMap.hpp"
#include "config/DocumentShape.hpp"
#include "config/KeyTable.hpp"

namespace devlib_instr {

namespace {

using json = nlohmann::json;

// The shortest decimal text of the float read back as a double: 1.164f shows as 1.164.
double shortestDouble(float value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    if (ec != std::errc()) return value;
    *end = 0;
    return std::strtod(buffer, nullptr);
}

json jsonValue(const DocumentPlace& place, const Value& value) {
    if (const auto* f = std::get_if<float>(&value)) return shortestDouble(*f);
    if (const auto* u = std::get_if<uint32_t>(&value)) return *u;
    if (const auto* t = std::get_if<TextValue>(&value)) return textOf(*t);
    const int32_t number = std::get<int32_t>(value);
    if (place.type == JsonType::Boolean) return number != 0;
    if (place.texts.empty()) return number;
    if (number < 0 || static_cast<size_t>(number) >= place.texts.size()) return nullptr;
    return std::string(place.texts[static_cast<size_t>(number)]);
}

// The member of `document` that holds the value of `row` on `channel`, created with the objects
// above it; null when the key has no place on that channel.
json* memberOf(json& document, const KeyRow& row, uint8_t channel) {
    json* node = nullptr;
    switch (row.document.root) {
        case DocumentRoot::Device:
            if (channel != deviceChannel) return nullptr;
            node = &document["device"];
            break;
        case DocumentRoot::Channels:
            if (channel >= channelCount) return nullptr;
            node = &document["channels"][std::to_string(channel)];
            break;
        case DocumentRoot::Sensors:
            if (channel >= channelCount) return nullptr;
            node = &document["sensors"][std::to_string(sensorSlotOf(channel))];
            break;
        case DocumentRoot::None:
            return nullptr;
    }
    for (std::string_view member : pathMembers(row.document.path)) node = &(*node)[std::string(member)];
    return node;
}

void mix(uint64_t& hash, uint64_t value) {
    constexpr uint64_t prime = 0x100000001B3ULL;
    hash = (hash ^ value) * prime;
}

// Truncation toward zero, saturated where the float is outside the 64-bit range.
int64_t truncated(float value) {
    constexpr float limit = 9.2233720368547758e18f;
    if (value >= limit) return INT64_MAX;
    if (value <= -limit) return INT64_MIN;
    return static_cast<int64_t>(value);
}

}  // namespace

std::string buildConfigurationDocument(const ConfigurationData& data) {
    json document = json::object();
    document["$schema"] = schemaUrl;
    document["version"] = documentVersion;
    for (const auto& [channel, slots] : data.channels()) {
        for (const auto& [key, value] : slots) {
            const KeyRow* row = keyRow(key);
            if (row == nullptr || !isSet(value)) continue;
            json leaf = jsonValue(row->document, value);
            json* member = leaf.is_null() ? nullptr : memberOf(document, *row, channel);
            // A sensor slot shared by two channels keeps the value of the first.
            if (member != nullptr && member->is_null()) *member = std::move(leaf);
        }
    }
    return document.dump(-1, ' ', false, json::error_handler_t::replace);
}

uint64_t configurationFingerprint(const ConfigurationData& data) {
    uint64_t hash = 0xCBF29CE484222325ULL;
    for (const auto& [channel, slots] : data.channels()) {
        for (const auto& [key, value] : slots) {
            if (!isSet(value)) continue;
            if (const auto* i = std::get_if<int32_t>(&value)) mix(hash, static_cast<uint64_t>(int64_t{*i}));
            if (const auto* u = std::get_if<uint32_t>(&value)) mix(hash, uint64_t{*u});
            if (const auto* f = std::get_if<float>(&value)) mix(hash, static_cast<uint64_t>(truncated(*f)));
            if (const auto* t = std::get_if<TextValue>(&value)) {
                for (char c : *t) {
                    if (c == 0 || c == 0x7F) break;
                    mix(hash, static_cast<uint64_t>(int64_t{static_cast<signed char>(c)}));
                }
            }
        }
    }
    return hash;
}

}  // namespace devlib_instr
