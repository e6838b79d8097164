// torvik ports: the serial ports a detector could be on, one a line: the device path, its stable
// /dev/serial/by-id name when it has one, and why it does not open when it does not.
#include <cstdio>
#include <cstdlib>

#include "Commands.hpp"
#include "SerialPorts.hpp"

namespace torvik::cli {

namespace {

struct PortsOptions {};

// The device directory: /dev, or TORVIK_DEV_DIR (the tests give a directory of their own).
std::filesystem::path deviceDirectory() {
    const char* directory = std::getenv("TORVIK_DEV_DIR");
    return directory != nullptr && *directory != 0 ? directory : "/dev";
}

int runPorts(const PortsOptions&) {
    std::filesystem::path devices = deviceDirectory();
    std::vector<SerialPort> ports = findSerialPorts(devices);
    if (ports.empty()) {
        std::fprintf(stderr, "torvik: no serial ports found (%s/serial/by-id/*, %s/ttyUSB*, %s/ttyACM*, %s/ttyS*)\n",
                     devices.c_str(), devices.c_str(), devices.c_str(), devices.c_str());
    }
    for (const SerialPort& port : ports) {
        std::string line = port.path;
        if (!port.byId.empty()) line += "  " + port.byId;
        if (!port.problem.empty()) line += "  cannot open: " + port.problem;
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

}  // namespace

void addPortsCommand(CLI::App& app, Handler& selected) {
    CLI::App* command =
        addCommand(app, "ports", "list the serial ports a detector could be on", selected, runPorts).first;
    command->footer(
        "Lists /dev/ttyUSB*, /dev/ttyACM*, /dev/serial/by-id/* and the on-board ports /dev/ttyS* that\n"
        "open (the kernel makes a ttyS node for every possible port, most without hardware): the\n"
        "device path, its by-id name (stable across reconnects, usable as --port) and, for a port\n"
        "this user cannot open, why.");
}

}  // namespace torvik::cli
