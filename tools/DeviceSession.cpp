#include "DeviceSession.hpp"

#include <cstdio>

#include "ErrorReport.hpp"
#include "sim/Simulator.hpp"

namespace torvik::cli {

DeviceSession::DeviceSession(const DeviceOptions& options) : api_(*GetInstrumentAPI()), log_(options.verbose) {
    port_ = choosePort(options);
    context_ = ApiHandle(api_, api_.contextCreate());
    if (!context_) throw ToolFailure("the library could not create a context");
    log_.install(api_, context_.get());
    device_ = ApiHandle(api_, api_.deviceCreate(context_.get()));
    if (!device_) throw ToolFailure("the library could not create a device");
    InstrError* err = nullptr;
    if (api_.deviceOpen(device_.get(), port_.c_str(), &err)) return;
    // The library's record says little about why; name the port and the usual causes.
    std::vector<std::string> lines = takeError(api_, err);
    lines.push_back("cannot open serial port " + port_ +
                    " (does it exist? is the user in the dialout group? 'torvik ports' lists the ports)");
    throw ToolFailure(std::move(lines));
}

DeviceSession::~DeviceSession() = default;

std::string DeviceSession::choosePort(const DeviceOptions& options) {
    if (!options.port.empty()) return options.port;
    if (!options.simulate) std::fprintf(stderr, "torvik: no --port given, using the built-in simulated detector\n");
    simulator_ = std::make_unique<sim::Simulator>();
    return simulator_->portPath();
}

}  // namespace torvik::cli
