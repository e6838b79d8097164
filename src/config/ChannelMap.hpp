// Which sensor sits on which channel: derived from the device configuration section before any
// channel key is located.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

namespace devlib_instr {

enum class SensorKind : uint8_t { Unknown = 0, EC = 1, CatEx = 2, IR = 3, PID = 4 };

constexpr uint8_t channelCount = 6;
constexpr uint8_t deviceChannel = 255;  // the "channel" of the device keys
constexpr uint8_t noDisplayIndex = 0xFF;

class ChannelMap {
public:
    ChannelMap();

    // Reads the channel bytes of the device configuration image (0xFF where it is too short).
    static ChannelMap build(const std::vector<uint8_t>& deviceConfiguration);

    bool isActive(uint32_t channel) const;
    // Raise "Channel index is out of range" for a channel the map does not hold.
    SensorKind kind(uint32_t channel) const;
    uint8_t channelClass(uint32_t channel) const;
    uint8_t displayIndex(uint32_t channel) const;

private:
    void classify(uint32_t channel, const std::vector<uint8_t>& image);
    void numberDisplayIndices();

    std::bitset<channelCount> active_;
    std::array<SensorKind, channelCount> kinds_{};
    std::array<uint8_t, channelCount> classes_{};
    std::array<uint8_t, channelCount> displayIndices_{};
};

}  // namespace devlib_instr
