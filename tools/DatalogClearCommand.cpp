// torvik datalog clear: empties the detector's gas-detection datalog.
#include <cstdio>
#include <iostream>
#include <string>

#include "Commands.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"
#include "InterruptWatch.hpp"
#include "Terminal.hpp"

namespace torvik::cli {

namespace {

struct DatalogClearOptions {
    DeviceOptions device;
    bool yes = false;
};

// The datalog is a safety record: a terminal user confirms, anyone else says --yes.
void confirmClear(const DatalogClearOptions& options) {
    if (options.yes) return;
    if (!isInteractive()) throw UsageFailure("datalog clear erases the detector's datalog: confirm it with --yes");
    std::string where = options.device.port.empty() ? "the simulated detector" : options.device.port;
    printMessage("Erase the gas-detection datalog on " + where + "? It cannot be read afterwards. [y/N] ");
    std::string answer;
    std::getline(std::cin, answer);
    if (answer != "y" && answer != "yes") throw ToolFailure("the datalog was not cleared");
}

int runDatalogClear(const DatalogClearOptions& options) {
    confirmClear(options);
    InterruptWatch interrupt;  // before the simulator's thread starts
    DeviceSession session(options.device);
    if (interrupt.raised()) return exitInterrupted;
    try {
        interrupt.deferDuring([&] { session.device().clearDatalog(); },
                              "torvik: interrupted: finishing the datalog clear");
    } catch (const Error& error) {
        session.fail(error, "clearing the datalog failed");
    }
    printMessage("torvik: datalog cleared\n");
    return interrupt.raised() ? exitInterrupted : 0;
}

}  // namespace

void addDatalogClearCommand(CLI::App& datalog, Handler& selected) {
    auto [command, options] =
        addCommand(datalog, "clear", "clear the gas-detection datalog on the detector", selected, runDatalogClear);
    addChangingDeviceOptions(*command, options->device);
    command->add_flag("-y,--yes", options->yes, "clear without asking (needed when not on a terminal)");
    command->footer(
        "The datalog is the detector's record of gas exposure: on a terminal the command asks before\n"
        "erasing it; elsewhere it needs --yes.");
}

}  // namespace torvik::cli
