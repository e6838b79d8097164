// torvik datalog clear: empties the detector's gas-detection datalog.
#include <cstdio>

#include "Commands.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"

namespace torvik::cli {

namespace {

int runDatalogClear(const DeviceOptions& options) {
    DeviceSession session(options);
    const InstrumentAPI& api = session.api();
    InstrError* err = nullptr;
    if (!api.deviceClearGdcDatalog(session.device(), &err)) fail(takeError(api, err), "clearing the datalog failed");
    std::fprintf(stderr, "torvik: datalog cleared\n");
    return 0;
}

}  // namespace

void addDatalogClearCommand(CLI::App& datalog, Handler& selected) {
    auto [command, options] =
        addCommand(datalog, "clear", "clear the gas-detection datalog on the detector", selected, runDatalogClear);
    addDeviceOptions(*command, *options);
}

}  // namespace torvik::cli
