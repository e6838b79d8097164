#include "config/DocumentShape.hpp"

#include <array>

#include "config/ChannelMap.hpp"

namespace devlib_instr {

uint8_t sensorSlotOf(uint8_t channel) {
    constexpr std::array<uint8_t, channelCount> slots{1, 2, 3, 3, 0, 0};
    return channel < slots.size() ? slots[channel] : 0xFF;
}

std::vector<uint8_t> channelsOfSensorSlot(uint8_t slot) {
    std::vector<uint8_t> channels;
    for (uint8_t channel = 0; channel < channelCount; ++channel)
        if (sensorSlotOf(channel) == slot) channels.push_back(channel);
    return channels;
}

}  // namespace devlib_instr
