#include "DeviceOptions.hpp"

#include "SimulatedDetector.hpp"

namespace torvik::cli {

void addDeviceOptions(CLI::App& command, DeviceOptions& options) {
    const CLI::Validator devicePath([](const std::string& path) { return path.empty() ? "needs a device path" : ""; },
                                    "", "device path");
    CLI::Option* port = command.add_option("--port", options.port, "the detector's serial port (see 'torvik ports')")
                            ->type_name("PATH")
                            ->check(devicePath);
    if (hasSimulatedDetector()) {
        command
            .add_flag("--simulate", options.simulate,
                      "use the built-in simulated detector (the default without --port)")
            ->excludes(port);
    }
    command.add_option("--record", options.record, "write what goes over the serial line to a wire trace")
        ->type_name("FILE");
    command.add_flag("-v,--verbose", options.verbose, "show the library's log lines on stderr");
}

void addChangingDeviceOptions(CLI::App& command, DeviceOptions& options) {
    addDeviceOptions(command, options);
    options.changesDetector = true;
    if (!hasSimulatedDetector()) return;
    command.get_option("--port")->description("the detector's serial port (required, or --simulate)");
    command.get_option("--simulate")->description("use the built-in simulated detector (never the default here)");
}

}  // namespace torvik::cli
