#include "config/ConfigurationData.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "config/KeyTable.hpp"

namespace devlib_instr {

Value unsetValue(ConfigurationKey key) {
    switch (valueClassOf(key)) {
        case ValueClass::Unsigned:
            return unsetUnsigned;
        case ValueClass::Float:
            return std::numeric_limits<float>::quiet_NaN();
        case ValueClass::Text: {
            TextValue unset;
            unset.fill(0x7F);  // no terminator before a 0x7F byte
            return unset;
        }
        case ValueClass::Signed:
            break;
    }
    return unsetSigned;
}

bool isSet(const Value& value) {
    struct Visitor {
        bool operator()(int32_t v) const { return v != unsetSigned; }
        bool operator()(uint32_t v) const { return v != unsetUnsigned; }
        bool operator()(float v) const { return std::isfinite(v); }
        // Set when a terminator comes before any 0x7F byte.
        bool operator()(const TextValue& t) const {
            for (char c : t) {
                if (c == 0) return true;
                if (c == 0x7F) return false;
            }
            return false;
        }
    };
    return std::visit(Visitor{}, value);
}

TextValue makeText(std::string_view text) {
    TextValue value{};
    std::memcpy(value.data(), text.data(), std::min(text.size(), value.size() - 1));
    return value;
}

std::string textOf(const TextValue& text) {
    return std::string(text.data(), strnlen(text.data(), text.size()));
}

void ConfigurationData::request(uint8_t channel, ConfigurationKey key) {
    channels_[channel].try_emplace(key, unsetValue(key));
}

void ConfigurationData::set(uint8_t channel, ConfigurationKey key, const Value& value) {
    channels_[channel].insert_or_assign(key, value);
}

const Value* ConfigurationData::find(uint8_t channel, ConfigurationKey key) const {
    auto channelIt = channels_.find(channel);
    if (channelIt == channels_.end()) return nullptr;
    auto it = channelIt->second.find(key);
    return it != channelIt->second.end() ? &it->second : nullptr;
}

bool ConfigurationData::isSet(uint8_t channel, ConfigurationKey key) const {
    const Value* value = find(channel, key);
    return value != nullptr && devlib_instr::isSet(*value);
}

ConfigurationRequest ConfigurationData::keys() const {
    ConfigurationRequest request;
    for (const auto& [channel, slots] : channels_)
        for (const auto& [key, value] : slots) request[channel].insert(key);
    return request;
}

}  // namespace devlib_instr
