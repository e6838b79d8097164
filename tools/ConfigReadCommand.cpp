// torvik config read: the configuration document (all of it, or the values a request names) or
// its fingerprint on stdout.
#include <cstdio>

#include "Commands.hpp"
#include "ConfigurationAccess.hpp"
#include "DeviceSession.hpp"
#include "TextFile.hpp"

namespace torvik::cli {

namespace {

struct ConfigReadOptions {
    DeviceOptions device;
    std::string request;  // a file; empty: the whole document
    bool fingerprint = false;
    bool compact = false;
};

int runConfigRead(const ConfigReadOptions& options) {
    std::string request =
        options.request.empty() ? std::string(wholeConfigurationRequest) : readTextFile(options.request);
    DeviceSession session(options.device);
    ConfigurationAccess configuration(session);
    if (options.fingerprint) {
        std::printf("%s\n", std::to_string(configuration.fingerprint(request)).c_str());
    } else {
        printJsonText(configuration.read(request), options.compact);
    }
    return 0;
}

}  // namespace

void addConfigReadCommand(CLI::App& config, Handler& selected) {
    auto [command, options] = addCommand(config, "read", "print the configuration document (JSON) or its fingerprint",
                                         selected, runConfigRead);
    addDeviceOptions(*command, options->device);
    command->add_option("--request", options->request, "read only the values named in this request document")
        ->type_name("FILE");
    command->add_flag("--fingerprint", options->fingerprint,
                      "print the 64-bit fingerprint of the values instead of the document");
    command->add_flag("--compact", options->compact, "print the document on one line");
}

}  // namespace torvik::cli
