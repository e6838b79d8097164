// The serial ports a detector could be on, each with, when it does not open, the reason why. On
// Linux: the USB-serial adapters' ttyUSB* and ttyACM* devices, the on-board ttyS* ports that open,
// and whatever /dev/serial/by-id names, with that stable name. On Windows: the COM ports the
// system reports.
#pragma once

#include <string>
#include <vector>

namespace torvik::cli {

struct SerialPort {
    std::string path;     // what --port takes: /dev/ttyUSB0, COM3
    std::string byId;     // e.g. /dev/serial/by-id/usb-FTDI_..., empty when there is none
    std::string problem;  // why it does not open; empty when it does
};

struct PortSearch {
    std::vector<SerialPort> ports;  // sorted by path; each opened and closed again
    std::string searched;           // where the search looked, for "no serial ports found (...)"
};

PortSearch findSerialPorts();

// What `torvik ports` lists, for its help.
const char* portsListed();

// Why a port does not open, from the system's error number, in words a user knows (the dialout
// group for "permission denied" on Linux, another program for a busy port).
std::string openProblemText(int error);

}  // namespace torvik::cli
