// torvik datalog clear: empties the detector's gas-detection datalog.
#include <cstdio>

#include "Commands.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"
#include "InterruptWatch.hpp"

namespace torvik::cli {

namespace {

int runDatalogClear(const DeviceOptions& options) {
    InterruptWatch interrupt;  // before the simulator's thread starts
    DeviceSession session(options);
    if (interrupt.raised()) return exitInterrupted;
    const InstrumentAPI& api = session.api();
    bool cleared = false;
    InstrError* err = nullptr;
    interrupt.deferDuring([&] { cleared = api.deviceClearGdcDatalog(session.device(), &err); },
                          "torvik: interrupted: finishing the datalog clear");
    if (!cleared) fail(takeError(api, err), "clearing the datalog failed");
    std::fprintf(stderr, "torvik: datalog cleared\n");
    return interrupt.raised() ? exitInterrupted : 0;
}

}  // namespace

void addDatalogClearCommand(CLI::App& datalog, Handler& selected) {
    auto [command, options] =
        addCommand(datalog, "clear", "clear the gas-detection datalog on the detector", selected, runDatalogClear);
    addDeviceOptions(*command, *options);
}

}  // namespace torvik::cli
