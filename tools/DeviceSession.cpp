#include "DeviceSession.hpp"

#include <algorithm>

#include "ErrorReport.hpp"
#include "Terminal.hpp"

namespace torvik::cli {

namespace {

constexpr char toolName[] = "torvik " TORVIK_TOOL_VERSION;

}  // namespace

std::string libraryVersion() {
    const InstrumentAPI& api = *GetInstrumentAPI();
    return std::to_string(api.versionMajor) + "." + std::to_string(api.versionMinor) + "." +
           std::to_string(api.versionPatch);
}

DeviceSession::DeviceSession(const DeviceOptions& options)
    : log_(options.verbose), port_(choosePort(options)), device_(context_) {
    log_.install(context_);
    if (!options.record.empty()) recorder_ = std::make_unique<RecordingFactory>(links_, options.record, toolName);
    devlib_instr::SetUARTInterfaceFactory(
        context_.get(),
        recorder_ ? static_cast<devlib_instr::AbstractUartInterfaceFactory*>(recorder_.get()) : &links_);
    try {
        device_.open(port_);
    } catch (const Error&) {
        // The library's record says nothing about why; the link knows.
        const std::string& why = links_.openProblem();
        throw ToolFailure("cannot open the serial port " + port_ + ": " +
                          (why.empty() ? "it is not a serial port" : why));
    }
}

DeviceState DeviceSession::state() {
    auto* link = recorder_ ? recorder_->link() : links_.link();
    if (link == nullptr) throw ToolFailure("the serial port " + port_ + " is not open");
    return readDeviceState(*link, port_);
}

namespace {

// A log line that says what a record says: the record's message, or a line around it ("An error
// occurred while writing the database: " and the message).
bool repeats(const std::string& logged, const std::string& record) {
    size_t colon = record.find(": ");
    std::string message = colon == std::string::npos ? record : record.substr(colon + 2);
    return !message.empty() && (logged.find(message) != std::string::npos || message.find(logged) != std::string::npos);
}

}  // namespace

void DeviceSession::fail(const Error& error, const std::string& fallback) {
    std::vector<std::string> records = describeErrors(error.records());
    if (records.empty()) records.push_back(fallback);
    std::vector<std::string> lines = records;
    for (const std::string& logged : log_.takeErrors()) {
        bool repeatsRecord = std::any_of(records.begin(), records.end(),
                                         [&](const std::string& record) { return repeats(logged, record); });
        if (!repeatsRecord && std::find(lines.begin(), lines.end(), logged) == lines.end()) lines.push_back(logged);
    }
    if (links_.heardNothing()) {
        lines.push_back("no reply from the detector on " + port_ +
                        ": check that it is switched on and its cable plugged in, and that this is its port "
                        "('torvik ports' lists them)");
    }
    throw ToolFailure(std::move(lines));
}

DeviceSession::~DeviceSession() = default;

std::string DeviceSession::choosePort(const DeviceOptions& options) {
    if (!options.port.empty()) return options.port;
    if (hasSimulatedDetector() && options.changesDetector && !options.simulate) {
        throw UsageFailure(
            "this command changes the detector: give --port PATH ('torvik ports' lists them), or "
            "--simulate for the built-in simulated detector");
    }
    simulator_ = startSimulatedDetector(!options.simulate);
    return simulator_->port();
}

}  // namespace torvik::cli
