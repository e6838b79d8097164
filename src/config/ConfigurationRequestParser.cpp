#include "config/ConfigurationRequestParser.hpp"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "config/ChannelMap.hpp"
#include "config/ConfigError.hpp"
#include "config/DatabaseLayout.hpp"
#include "config/DocumentPaths.hpp"
#include "config/KeyTable.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {

using json = nlohmann::json;
using Members = std::vector<std::string>;

Error invalidKey(const std::string& path) {
    return configError(ErrorCode::InvalidArgument, msg::invalidKeyForPath + widen(path));
}

Error invalidType(const std::string& path) {
    return configError(ErrorCode::InvalidArgument, msg::invalidTypeForPath + widen(path));
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
uint64_t fieldLimit(ConfigurationKey key) {
    const Field* field = fieldOf(key);
    const uint32_t width = field != nullptr ? valueKindWidth(field->kind) : 0;
    if (width == 1 || width == 2) return (uint64_t{1} << (8 * width)) - 1;
    return valueClassOf(key) == ValueClass::Unsigned ? unsetUnsigned - 1 : unsetSigned - 1;
}

class RequestWalker {
public:
    RequestWalker(bool withValues, ConfigurationData& out) : withValues_(withValues), out_(out) {}

    void walkRoot(const json& root) {
        for (const auto& [name, value] : root.items()) {
            if (name == "version" || name == "$schema") continue;
            if (name == "device") {
                walkNode(value, DocumentRoot::Device, {deviceChannel}, name, {});
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
    void walkNumbered(const json& node, DocumentRoot root, const std::string& path) {
        const uint8_t count = root == DocumentRoot::Sensors ? sensorSlotCount : channelCount;
        if (node.is_null()) {
            if (withValues_) return;
            for (uint8_t number = 0; number < count; ++number) requestAll(root, channelsOf(root, number), {});
            return;
        }
        if (!node.is_object()) throw invalidType(path);
        const uint32_t limit = root == DocumentRoot::Sensors ? sensorSlotCount - 1 : deviceChannel - 1;
        for (const auto& [name, value] : node.items()) {
            const std::string memberPath = path + "." + name;
            uint8_t number = 0;
            if (!parseNumber(name, limit, number)) throw invalidKey(memberPath);
            walkNode(value, root, channelsOf(root, number), memberPath, {});
        }
    }

    void walkNode(const json& node, DocumentRoot root, const Channels& channels, const std::string& path,
                  const Members& members) {
        if (node.is_null()) {
            if (!withValues_) requestAll(root, channels, members);
            return;
        }
        if (!node.is_object()) throw invalidType(path);
        for (const auto& [name, value] : node.items()) {
            Members below = members;
            below.push_back(name);
            const std::string memberPath = path + "." + name;
            if (const DocumentPath* leaf = findPath(root, below)) {
                walkLeaf(*leaf, value, channels, memberPath);
            } else if (!pathsBelow(root, below).empty()) {
                walkNode(value, root, channels, memberPath, below);
            } else {
                throw invalidKey(memberPath);
            }
        }
    }

    void walkLeaf(const DocumentPath& leaf, const json& value, const Channels& channels, const std::string& path) {
        if (value.is_null()) {
            if (!withValues_) request(leaf.key, channels);
            return;
        }
        if (!hasType(value, leaf.type)) throw invalidType(path);
        if (!withValues_) {
            request(leaf.key, channels);
            return;
        }
        const Value converted = convert(leaf, value, path);
        for (uint8_t channel : channels) out_.set(channel, leaf.key, converted);
    }

    static Value convert(const DocumentPath& leaf, const json& value, const std::string& path) {
        if (value.is_boolean()) return static_cast<int32_t>(value.get<bool>());
        if (value.is_string()) {
            const std::string text = value.get<std::string>();
            if (leaf.texts.empty()) return makeText(text);
            auto it = std::find(leaf.texts.begin(), leaf.texts.end(), text);
            if (it == leaf.texts.end()) throw invalidType(path);
            return static_cast<int32_t>(it - leaf.texts.begin());
        }
        const ValueClass valueClass = valueClassOf(leaf.key);
        if (valueClass == ValueClass::Float) return value.get<float>();
        if (!value.is_number_integer()) throw invalidType(path);
        // Every integer field of the database is unsigned.
        const bool isUnsigned = valueClass == ValueClass::Unsigned || fieldOf(leaf.key) != nullptr;
        const bool inRange = value.is_number_unsigned() ? value.get<uint64_t>() <= fieldLimit(leaf.key)
                                                        : !isUnsigned && value.get<int64_t>() > -int64_t{unsetSigned};
        if (!inRange) throw invalidType(path);
        if (valueClass == ValueClass::Unsigned) return value.get<uint32_t>();
        return value.get<int32_t>();
    }

    void request(ConfigurationKey key, const Channels& channels) {
        for (uint8_t channel : channels) out_.request(channel, key);
    }

    void requestAll(DocumentRoot root, const Channels& channels, const Members& prefix) {
        for (const DocumentPath* path : pathsBelow(root, prefix)) request(path->key, channels);
    }

    bool withValues_;
    ConfigurationData& out_;
};

}  // namespace

bool parseConfigurationRequest(std::string_view text, bool withValues, ConfigurationData& out) {
    const json root = json::parse(text.begin(), text.end());
    if (!root.is_object() || root.empty()) throw configError(ErrorCode::ConversionFailed, msg::jsonCannotBeParsed);
    auto version = root.find("version");
    if (version == root.end() || version->get<std::string>() != documentVersion) return false;
    RequestWalker(withValues, out).walkRoot(root);
    return true;
}

}  // namespace devlib_instr
