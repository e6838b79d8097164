// The options every device command takes: which port (or the simulated detector) and how much of
// the library's log to show.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace torvik::cli {

struct DeviceOptions {
    std::string port;  // empty: the built-in simulated detector
    bool simulate = false;
    bool verbose = false;
    std::string record;  // a wire trace to write (RecordingLink.hpp); empty: none
    // A command that changes the detector never falls back to the simulated detector silently:
    // it needs --port or an explicit --simulate.
    bool changesDetector = false;
};

// Adds --port PATH, --simulate (excludes --port), --record FILE and -v/--verbose to `command`.
void addDeviceOptions(CLI::App& command, DeviceOptions& options);

// For commands that change the detector: --port or --simulate is required (the help says so).
void addChangingDeviceOptions(CLI::App& command, DeviceOptions& options);

}  // namespace torvik::cli
