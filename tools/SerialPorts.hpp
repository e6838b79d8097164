// The serial ports a detector could be on: the USB-serial adapters' ttyUSB* and ttyACM* devices,
// the on-board ttyS* ports that open, and whatever /dev/serial/by-id names, each with its stable by-id name when it has
// one and, when it does not open, the reason why.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace torvik::cli {

struct SerialPort {
    std::string path;     // e.g. /dev/ttyUSB0
    std::string byId;     // e.g. /dev/serial/by-id/usb-FTDI_..., empty when there is none
    std::string problem;  // why it does not open; empty when it does
};

// Why a port does not open, from the system's error number, in words a user knows (the dialout
// group for "permission denied").
std::string openProblemText(int error);

// The ports below `devices` (normally /dev), sorted by path. Each is opened and closed again to
// learn whether this user may use it.
std::vector<SerialPort> findSerialPorts(const std::filesystem::path& devices);

}  // namespace torvik::cli
