// torvik datalog clear: empties the detector's gas-detection datalog.
#include <cstdio>

#include "Commands.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"

namespace torvik::cli {

int runDatalogClear(const Arguments& args) {
    DeviceSession session(args);
    const InstrumentAPI& api = session.api();
    InstrError* err = nullptr;
    if (!api.deviceClearGdcDatalog(session.device(), &err)) fail(takeError(api, err), "clearing the datalog failed");
    std::fprintf(stderr, "torvik: datalog cleared\n");
    return 0;
}

}  // namespace torvik::cli
