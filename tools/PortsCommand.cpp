// torvik ports: the serial ports a detector could be on, one a line: the port, its stable name
// when it has one, and why it does not open when it does not.
#include <cstdio>

#include "Commands.hpp"
#include "SerialPorts.hpp"
#include "Terminal.hpp"

namespace torvik::cli {

namespace {

struct PortsOptions {};

int runPorts(const PortsOptions&) {
    const PortSearch search = findSerialPorts();
    if (search.ports.empty()) printMessage("torvik: no serial ports found (" + search.searched + ")\n");
    for (const SerialPort& port : search.ports) {
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
    command->footer(portsListed());
}

}  // namespace torvik::cli
