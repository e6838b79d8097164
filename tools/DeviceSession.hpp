// What every device command starts with: the API table, a context whose log goes to the tool's
// sink and whose serial links are the tool's own (SerialLink.hpp), and a device opened on --port,
// or on the built-in simulated detector when no port is given.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DeviceOptions.hpp"
#include "DeviceState.hpp"
#include "LogSink.hpp"
#include "RecordingLink.hpp"
#include "SerialLink.hpp"
#include "SimulatedDetector.hpp"
#include "torvik/torvik.hpp"

namespace torvik::cli {

// The library's version ("2.9.0"), from the API table's header words.
std::string libraryVersion();

class DeviceSession {
public:
    // Opens the device; a ToolFailure with the library's error when the port does not open.
    explicit DeviceSession(const DeviceOptions& options);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    Device& device() { return device_; }
    const std::string& port() const { return port_; }
    LogSink& log() { return log_; }
    // The detector's operating state, asked on the open port (the C table does not offer it).
    DeviceState state();
    // Throws the ToolFailure of a failed library call: its records (`fallback` when there are
    // none), then what the session knows of the cause: the library's ERROR lines that add to the
    // records, and a detector that never answered.
    [[noreturn]] void fail(const Error& error, const std::string& fallback);

private:
    // The port to open: --port, or the port of a simulated detector started here.
    std::string choosePort(const DeviceOptions& options);

    LogSink log_;
    // Declared before the port (choosePort starts it) and the library's objects, so that it
    // outlives the device's open port.
    std::unique_ptr<SimulatedDetector> simulator_;
    std::string port_;
    LinkFactory links_;                           // outlives the context it is installed on
    std::unique_ptr<RecordingFactory> recorder_;  // wraps links_ with --record
    Context context_;
    Device device_;
};

}  // namespace torvik::cli
