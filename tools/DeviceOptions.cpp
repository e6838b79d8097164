#include "DeviceOptions.hpp"

namespace torvik::cli {

void addDeviceOptions(CLI::App& command, DeviceOptions& options) {
    const CLI::Validator devicePath([](const std::string& path) { return path.empty() ? "needs a device path" : ""; },
                                    "", "device path");
    CLI::Option* port = command.add_option("--port", options.port, "the detector's serial port (see 'torvik ports')")
                            ->type_name("PATH")
                            ->check(devicePath);
    command
        .add_flag("--simulate", options.simulate, "use the built-in simulated detector (the default without --port)")
        ->excludes(port);
    command.add_flag("-v,--verbose", options.verbose, "show the library's log lines on stderr");
}

}  // namespace torvik::cli
