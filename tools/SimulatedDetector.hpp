// The built-in simulated detector that the device commands use without --port: the simulator of
// sim/ on a Linux pseudo-terminal. Windows has none (nor the commands built on it, sim and trace):
// there every device command needs --port.
#pragma once

#include <memory>
#include <string>

#include "Commands.hpp"

namespace torvik::cli {

class SimulatedDetector {
public:
    virtual ~SimulatedDetector() = default;
    // The port a device opens to reach it.
    virtual std::string port() const = 0;
};

// False where there is no simulated detector (Windows).
bool hasSimulatedDetector();

// Starts it, saying so on stderr when `instead` (it stands in for a missing --port); where there is
// none, a UsageFailure that asks for --port and names 'torvik ports'.
std::unique_ptr<SimulatedDetector> startSimulatedDetector(bool instead);

// The commands that need the simulator, `torvik sim` and `torvik trace`, where it exists.
void addSimulatorCommands(CLI::App& app, Handler& selected);

}  // namespace torvik::cli
