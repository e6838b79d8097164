// The values of one configuration operation: per channel (255 = the device) and per key, one slot
// whose type follows the key's value class. A slot can be unset; unset values stay out of the
// response document and out of the fingerprint.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <variant>

namespace devlib_instr {

// 1 ... 30 device keys, 31 ... 85 channel keys.
using ConfigurationKey = uint8_t;
constexpr ConfigurationKey firstKey = 1;
constexpr ConfigurationKey lastKey = 85;
constexpr ConfigurationKey firstChannelKey = 31;

enum class ValueClass : uint8_t { Signed, Unsigned, Float, Text };

// A zero-terminated text of at most 15 bytes; unset when a 0x7F byte comes before any zero byte.
using TextValue = std::array<char, 16>;
using Value = std::variant<int32_t, uint32_t, float, TextValue>;

constexpr int32_t unsetSigned = 0x7FFFFFFF;
constexpr uint32_t unsetUnsigned = 0xFFFFFFFF;

// The unset value of the key's class (the class is a column of the key table).
Value unsetValue(ConfigurationKey key);
bool isSet(const Value& value);

// Texts are cut to 15 bytes so that the terminator always fits.
TextValue makeText(std::string_view text);
std::string textOf(const TextValue& text);

// Keys asked for, per channel, in ascending order.
using ConfigurationRequest = std::map<uint8_t, std::set<ConfigurationKey>>;

class ConfigurationData {
public:
    using Slots = std::map<ConfigurationKey, Value>;
    using Channels = std::map<uint8_t, Slots>;

    // Adds an unset slot unless the key already has one.
    void request(uint8_t channel, ConfigurationKey key);
    void set(uint8_t channel, ConfigurationKey key, const Value& value);
    void invalidate(uint8_t channel, ConfigurationKey key) { set(channel, key, unsetValue(key)); }

    const Value* find(uint8_t channel, ConfigurationKey key) const;
    bool isSet(uint8_t channel, ConfigurationKey key) const;

    ConfigurationRequest keys() const;
    const Channels& channels() const { return channels_; }
    Channels& channels() { return channels_; }

private:
    Channels channels_;
};

}  // namespace devlib_instr
