#include "config/ConfigurationRequestParser.hpp"

#include <fmt/format.h>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "config/ChannelMap.hpp"
#include "config/ConfigError.hpp"
#include "config/DatabaseLayout.hpp"
#include "config/DocumentShape.hpp"
#include "config/KeyTable.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {

using json = nlohmann::json;

Error invalidKey(const std::string& path) {
    return configError(ErrorCode::InvalidArgument, msg::invalidKeyForPath + widen(path));
}

// A decimal member name below "channels" or "sensors".
bool parseNumber(const std::string& name, uint32_t limit, uint8_t& number) {
    uint32_t value = 0;
    const char* end = name.data() + name.size();
    auto [ptr, ec] = std::from_chars(name.data(), end, value);
    if (name.empty() || ec != std::errc() || ptr != end || value > limit) return false;
    number = static_cast<uint8_t>(value);
    return true;
}

bool hasType(const json& value, JsonType type) {
    switch (type) {
        case JsonType::Number:
            return value.is_number();
        case JsonType::String:
            return value.is_string();
        case JsonType::Boolean:
            return value.is_boolean();
    }
    return false;
}

// The largest number the key's database field holds (keys without a field: their slot's range).
uint64_t fieldLimit(const KeyRow& row) {
    const uint32_t width = valueKindWidth(row.field.kind);
    if (width == 1 || width == 2) return (uint64_t{1} << (8 * width)) - 1;
    return row.valueClass == ValueClass::Unsigned ? unsetUnsigned - 1 : unsetSigned - 1;
}

// A whole number from 0 to `limit`. JSON writers that hold every number as a double write 30 as
// 30.0 or 3e1: an integral float is that integer; 1.5 is none.
bool wholeNumber(const json& value, uint64_t limit, uint64_t& number) {
    if (value.is_number_integer()) {
        const int64_t integer = value.get<int64_t>();
        number = static_cast<uint64_t>(integer);
        return integer >= 0 && number <= limit;
    }
    const double real = value.get<double>();
    if (!(real >= 0 && real <= static_cast<double>(limit)) || std::trunc(real) != real) return false;
    number = static_cast<uint64_t>(real);
    return true;
}

// "allowed", "not allowed during a2", "not allowed"
std::string quotedList(TextList texts) {
    std::string list;
    for (std::string_view text : texts) list += (list.empty() ? "\"" : ", \"") + std::string(text) + "\"";
    return list;
}

bool anyPathBelow(DocumentRoot root, std::string_view path) {
    const std::span<const KeyRow> rows = keyTable();
    return std::any_of(rows.begin(), rows.end(), [&](const KeyRow& row) { return isPathOrAbove(row, root, path); });
}

class RequestWalker {
public:
    RequestWalker(bool withValues, ConfigurationData& out, const RefusalNote& note)
        : withValues_(withValues), out_(out), note_(note) {}

    void walkRoot(const json& root) {
        for (const auto& [name, value] : root.items()) {
            if (name == "version" || name == "$schema") continue;
            if (name == "device") {
                walkNode(value, DocumentRoot::Device, {deviceChannel}, name, "");
            } else if (name == "channels") {
                walkNumbered(value, DocumentRoot::Channels, name);
            } else if (name == "sensors") {
                walkNumbered(value, DocumentRoot::Sensors, name);
            } else {
                throw invalidKey(name);
            }
        }
    }

private:
    using Channels = std::vector<uint8_t>;

    static Channels channelsOf(DocumentRoot root, uint8_t number) {
        if (root == DocumentRoot::Sensors) return channelsOfSensorSlot(number);
        return {number};
    }

    // "channels" and "sensors": members named by channel or slot number.
    void walkNumbered(const json& node, DocumentRoot root, const std::string& nodePath) {
        const uint8_t count = root == DocumentRoot::Sensors ? sensorSlotCount : channelCount;
        if (node.is_null()) {
            if (withValues_) return;
            for (uint8_t number = 0; number < count; ++number) requestAll(root, channelsOf(root, number), "");
            return;
        }
        if (!node.is_object()) throw invalidDataType(nodePath);
        const uint32_t limit = root == DocumentRoot::Sensors ? sensorSlotCount - 1 : deviceChannel - 1;
        for (const auto& [name, value] : node.items()) {
            const std::string memberPath = nodePath + "." + name;
            uint8_t number = 0;
            if (!parseNumber(name, limit, number)) throw invalidKey(memberPath);
            walkNode(value, root, channelsOf(root, number), memberPath, "");
        }
    }

    // `path` is the document path of `node` below its root ("" for the root itself).
    void walkNode(const json& node, DocumentRoot root, const Channels& channels, const std::string& nodePath,
                  const std::string& path) {
        if (node.is_null()) {
            if (!withValues_) requestAll(root, channels, path);
            return;
        }
        if (!node.is_object()) throw invalidDataType(nodePath);
        for (const auto& [name, value] : node.items()) {
            const std::string memberPath = nodePath + "." + name;
            const std::string below = path.empty() ? name : path + "." + name;
            // The table joins member names with ".", so a name holding one is no member of it.
            const bool plainName = !name.empty() && name.find('.') == std::string::npos;
            if (const KeyRow* leaf = plainName ? findPath(root, below) : nullptr) {
                walkLeaf(*leaf, value, channels, memberPath);
            } else if (plainName && anyPathBelow(root, below)) {
                walkNode(value, root, channels, memberPath, below);
            } else {
                throw invalidKey(memberPath);
            }
        }
    }

    void walkLeaf(const KeyRow& leaf, const json& value, const Channels& channels, const std::string& nodePath) {
        if (value.is_null()) {
            if (!withValues_) request(leaf.key, channels);
            return;
        }
        if (!hasType(value, leaf.document.type)) throw invalidDataType(nodePath);
        // A read-only key changes nothing, whatever its value: it is only named, so that the write
        // reports it as not supported.
        if (!withValues_ || !leaf.writable) {
            request(leaf.key, channels);
            return;
        }
        const Value converted = convert(leaf, value, nodePath);
        for (uint8_t channel : channels) out_.set(channel, leaf.key, converted);
    }

    Value convert(const KeyRow& leaf, const json& value, const std::string& nodePath) const {
        if (value.is_boolean()) return static_cast<int32_t>(value.get<bool>());
        if (value.is_string()) {
            const std::string text = value.get<std::string>();
            const TextList texts = leaf.document.texts;  // every text a write changes is one of a list
            auto it = std::find(texts.begin(), texts.end(), text);
            if (it != texts.end()) return static_cast<int32_t>(it - texts.begin());
            if (note_) note_(fmt::format(msg::notAllowedTextFormat, text, nodePath, quotedList(texts)));
            throw invalidDataType(nodePath);
        }
        if (leaf.valueClass == ValueClass::Float) {
            // Beyond the float range the value would become infinite, which no field holds.
            const double number = value.get<double>();
            if (!(std::abs(number) <= std::numeric_limits<float>::max())) throw invalidDataType(nodePath);
            return static_cast<float>(number);
        }
        // Every integer field of the database is unsigned.
        uint64_t number = 0;
        if (!wholeNumber(value, fieldLimit(leaf), number)) throw invalidDataType(nodePath);
        if (leaf.valueClass == ValueClass::Unsigned) return static_cast<uint32_t>(number);
        return static_cast<int32_t>(number);
    }

    void request(ConfigurationKey key, const Channels& channels) {
        for (uint8_t channel : channels) out_.request(channel, key);
    }

    void requestAll(DocumentRoot root, const Channels& channels, std::string_view path) {
        for (const KeyRow& row : keyTable())
            if (isPathOrAbove(row, root, path)) request(row.key, channels);
    }

    bool withValues_;
    ConfigurationData& out_;
    const RefusalNote& note_;
};

}  // namespace

Error invalidDataType(const std::string& nodePath) {
    return configError(ErrorCode::InvalidArgument, msg::invalidTypeForPath + widen(nodePath));
}

bool parseConfigurationRequest(std::string_view text, bool withValues, ConfigurationData& out,
                               const RefusalNote& note) {
    json root = json::parse(text.begin(), text.end());
    if (root.empty()) throw configError(ErrorCode::ConversionFailed, msg::jsonCannotBeParsed);  // null, {} or []
    // The member read as a string: a root that is no object ([1], 5, "x"), and a "version" that is
    // missing or no string, raise the JSON library's type error.
    const std::string version = root["version"].get<std::string>();
    if (version != documentVersion) {
        if (note) note(fmt::format(msg::wrongVersionFormat, version, documentVersion));
        return false;
    }
    RequestWalker(withValues, out, note).walkRoot(root);
    return true;
}

}  // namespace devlib_instr
