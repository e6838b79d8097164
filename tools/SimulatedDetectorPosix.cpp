#include "SimulatedDetector.hpp"
#include "Terminal.hpp"
#include "sim/Simulator.hpp"

namespace torvik::cli {

namespace {

class PseudoTerminalDetector final : public SimulatedDetector {
public:
    std::string port() const override { return simulator_.portPath(); }

private:
    sim::Simulator simulator_;
};

}  // namespace

bool hasSimulatedDetector() {
    return true;
}

std::unique_ptr<SimulatedDetector> startSimulatedDetector(bool instead) {
    if (instead) printMessage("torvik: no --port given, using the built-in simulated detector\n");
    return std::make_unique<PseudoTerminalDetector>();
}

void addSimulatorCommands(CLI::App& app, Handler& selected) {
    addSimCommand(app, selected);
    addTraceCommand(app, selected);
}

}  // namespace torvik::cli
