#include "ErrorReport.hpp"
#include "SimulatedDetector.hpp"

namespace torvik::cli {

bool hasSimulatedDetector() {
    return false;
}

std::unique_ptr<SimulatedDetector> startSimulatedDetector(bool) {
    throw UsageFailure(
        "a serial port is needed: give --port COM3 (or \\\\.\\COM10; 'torvik ports' lists them); the built-in "
        "simulated detector runs on Linux only");
}

void addSimulatorCommands(CLI::App&, Handler&) {}

}  // namespace torvik::cli
