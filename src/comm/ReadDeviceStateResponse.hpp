// The device-state reply: the device's operating state word and its flag words.
#pragma once

#include <array>
#include <cstdint>
#include <set>

#include "comm/CommandCatalogue.hpp"

namespace devlib_instr {

class ReadDeviceStateResponse : public CatalogueResponse<Command::ReadDeviceState> {
public:
    struct Channel {
        std::set<uint32_t> setFlags1;  // the single-bit values set in the channel's first flag word
        std::set<uint32_t> setFlags2;
        uint64_t value1 = 0;
        uint64_t value2 = 0;
    };

    void parsePayload() override;

    uint8_t deviceState = 0;
    uint32_t stateWord = 0;  // the operating state the device polls for
    std::set<uint32_t> flagsA;
    std::set<uint32_t> flagsB;
    std::array<Channel, 2> channels{};
};

}  // namespace devlib_instr
