// What every device command starts with: the API table, a context whose log goes to the tool's
// sink and whose serial links are the tool's own (SerialLink.hpp), and a device opened on --port,
// or on the built-in simulated detector when no port is given.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ApiHandle.hpp"
#include "DeviceOptions.hpp"
#include "DeviceState.hpp"
#include "LogSink.hpp"
#include "RecordingLink.hpp"
#include "SerialLink.hpp"
#include "torvik/instrument_api.h"

namespace torvik::sim {
class Simulator;
}

namespace torvik::cli {

class DeviceSession {
public:
    // Opens the device; a ToolFailure with the library's error when the port does not open.
    explicit DeviceSession(const DeviceOptions& options);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    const InstrumentAPI& api() const { return api_; }
    InstrContext* context() const { return context_.get(); }
    InstrDevice* device() const { return device_.get(); }
    const std::string& port() const { return port_; }
    LogSink& log() { return log_; }
    // The detector's operating state, asked on the open port (the C table does not offer it).
    DeviceState state();
    // Throws the ToolFailure of a failed library call: its records (`fallback` when there are
    // none), then what the session knows of the cause: the library's ERROR lines that add to the
    // records, and a detector that never answered.
    [[noreturn]] void fail(std::vector<std::string> records, const std::string& fallback);

private:
    // The port to open: --port, or the path of a simulator started here.
    std::string choosePort(const DeviceOptions& options);

    const InstrumentAPI& api_;
    LogSink log_;
    std::string port_;
    // Declared before the handles so that it outlives the device's open port.
    std::unique_ptr<sim::Simulator> simulator_;
    LinkFactory links_;                           // outlives the context it is installed on
    std::unique_ptr<RecordingFactory> recorder_;  // wraps links_ with --record
    ApiHandle<InstrContext> context_;
    ApiHandle<InstrDevice> device_;
};

}  // namespace torvik::cli
