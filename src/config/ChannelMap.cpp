#include "config/ChannelMap.hpp"

#include "config/ConfigError.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

namespace {

// Offsets inside the device configuration section.
constexpr uint32_t activeFlagOffset = 3;          // + channel: 1 when the channel is in use
constexpr uint32_t classFlagOffset = 9;           // + channel: bit 0x01 gives class 1
constexpr uint32_t channel3Offsets[] = {15, 16};  // both 1: channel 3 carries no EC sensor
constexpr uint32_t sensorBitsOffset = 17;         // sensor bits of channels 4 and 5
constexpr uint8_t catExBit = 0x01;
constexpr uint8_t irChannel4Bit = 0x02;
constexpr uint8_t irChannel5Bit = 0x04;
constexpr uint8_t catExClass = 6;

uint8_t byteAt(const std::vector<uint8_t>& image, uint32_t offset) {
    return offset < image.size() ? image[offset] : 0xFF;
}

void checkChannel(uint32_t channel, const char16_t* message) {
    if (channel >= channelCount) throw configFailure(message);
}

}  // namespace

ChannelMap::ChannelMap() {
    displayIndices_.fill(noDisplayIndex);
}

ChannelMap ChannelMap::build(const std::vector<uint8_t>& deviceConfiguration) {
    ChannelMap map;
    for (uint32_t channel = 0; channel < channelCount; ++channel) {
        if (byteAt(deviceConfiguration, activeFlagOffset + channel) != 1) continue;
        map.active_.set(channel);
        map.classify(channel, deviceConfiguration);
    }
    map.numberDisplayIndices();
    return map;
}

void ChannelMap::classify(uint32_t channel, const std::vector<uint8_t>& image) {
    checkChannel(channel, msg::channelNumberOutOfRange);
    const uint8_t sensorBits = byteAt(image, sensorBitsOffset);
    SensorKind kind = SensorKind::EC;
    if (channel == 3 && byteAt(image, channel3Offsets[0]) == 1 && byteAt(image, channel3Offsets[1]) == 1) return;
    if (channel == 4) {
        if (sensorBits & catExBit) {
            kinds_[channel] = SensorKind::CatEx;
            classes_[channel] = catExClass;
            return;
        }
        if ((sensorBits & (irChannel4Bit | irChannel5Bit)) == 0) return;
        kind = SensorKind::IR;
    }
    if (channel == 5) {
        if ((sensorBits & irChannel5Bit) == 0) return;
        kind = SensorKind::IR;
    }
    kinds_[channel] = kind;
    classes_[channel] = (byteAt(image, classFlagOffset + channel) & 0x01) ? 1 : 0;
}

// Sensors with their own slot (IR, CatEx) first, then every other active channel.
void ChannelMap::numberDisplayIndices() {
    uint8_t next = 0;
    for (const bool firstPass : {true, false}) {
        for (uint32_t channel = 0; channel < channelCount; ++channel) {
            if (!active_.test(channel)) continue;
            const bool ownSlot = kinds_[channel] == SensorKind::IR || kinds_[channel] == SensorKind::CatEx;
            if (ownSlot == firstPass) displayIndices_[channel] = next++;
        }
    }
}

bool ChannelMap::isActive(uint32_t channel) const {
    return channel < channelCount && active_.test(channel);
}

SensorKind ChannelMap::kind(uint32_t channel) const {
    checkChannel(channel, msg::channelIndexOutOfRange);
    return kinds_[channel];
}

uint8_t ChannelMap::channelClass(uint32_t channel) const {
    checkChannel(channel, msg::channelIndexOutOfRange);
    return classes_[channel];
}

uint8_t ChannelMap::displayIndex(uint32_t channel) const {
    return channel < channelCount ? displayIndices_[channel] : noDisplayIndex;
}

}  // namespace devlib_instr
