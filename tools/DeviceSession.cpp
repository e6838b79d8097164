#include "DeviceSession.hpp"

#include <cstdio>

#include "ErrorReport.hpp"
#include "sim/Simulator.hpp"

namespace torvik::cli {

namespace {

constexpr char toolName[] = "torvik " TORVIK_TOOL_VERSION;

}  // namespace

DeviceSession::DeviceSession(const DeviceOptions& options) : api_(*GetInstrumentAPI()), log_(options.verbose) {
    port_ = choosePort(options);
    context_ = ApiHandle(api_, api_.contextCreate());
    if (!context_) throw ToolFailure("the library could not create a context");
    log_.install(api_, context_.get());
    if (!options.record.empty()) recorder_ = std::make_unique<RecordingFactory>(links_, options.record, toolName);
    devlib_instr::SetUARTInterfaceFactory(
        context_.get(),
        recorder_ ? static_cast<devlib_instr::AbstractUartInterfaceFactory*>(recorder_.get()) : &links_);
    device_ = ApiHandle(api_, api_.deviceCreate(context_.get()));
    if (!device_) throw ToolFailure("the library could not create a device");
    InstrError* err = nullptr;
    if (api_.deviceOpen(device_.get(), port_.c_str(), &err)) return;
    // The library's record ("Unknown exception") says nothing about why; the link knows.
    api_.errorFree(&err);
    const std::string& why = links_.openProblem();
    throw ToolFailure("cannot open the serial port " + port_ + ": " + (why.empty() ? "it is not a serial port" : why));
}

DeviceState DeviceSession::state() {
    auto* link = recorder_ ? recorder_->link() : links_.link();
    if (link == nullptr) throw ToolFailure("the serial port " + port_ + " is not open");
    return readDeviceState(*link, port_);
}

DeviceSession::~DeviceSession() = default;

std::string DeviceSession::choosePort(const DeviceOptions& options) {
    if (!options.port.empty()) return options.port;
    if (options.changesDetector && !options.simulate) {
        throw UsageFailure(
            "this command changes the detector: give --port PATH ('torvik ports' lists them), or "
            "--simulate for the built-in simulated detector");
    }
    if (!options.simulate) std::fprintf(stderr, "torvik: no --port given, using the built-in simulated detector\n");
    simulator_ = std::make_unique<sim::Simulator>();
    return simulator_->portPath();
}

}  // namespace torvik::cli
