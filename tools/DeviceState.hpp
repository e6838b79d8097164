// The detector's operating state, which the C table does not offer: one "AI" request (read device
// state) on the tool's own open link, between the library's calls. The reply's record holds the
// state word at bytes 56 to 59 (little-endian) and the maintenance flag in bit 0 of its first word.
#pragma once

#include <cstdint>
#include <string>

#include "torvik/uart_interface.hpp"

namespace torvik::cli {

struct DeviceState {
    int32_t word = 0;  // 9 on, 1 switched off, 5 switched off and kept off by the detector
    bool maintenance = false;

    bool switchedOff() const { return word == 1 || word == 5; }
    // "on", "switched off", or "state N" for a value the tool does not know.
    std::string name() const;
};

// Asks the detector for its state (a few attempts); a ToolFailure naming `port` when no valid
// reply comes.
DeviceState readDeviceState(devlib_instr::AbstractUartInterface& link, const std::string& port);

}  // namespace torvik::cli
