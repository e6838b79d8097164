// torvik config write FILE: writes the document, then reads the same values back so the user
// sees what the device accepted (keys a channel does not support are absent from that report).
#include <cstdio>

#include "Commands.hpp"
#include "ConfigurationAccess.hpp"
#include "DeviceSession.hpp"
#include "TextFile.hpp"

namespace torvik::cli {

namespace {

struct ConfigWriteOptions {
    DeviceOptions device;
    std::string file;  // "-": standard input
    bool compact = false;
};

int runConfigWrite(const ConfigWriteOptions& options) {
    std::string document = readTextFile(options.file);
    DeviceSession session(options.device);
    ConfigurationAccess configuration(session);
    configuration.write(document);
    for (const std::string& warning : session.log().takeWarnings()) {
        std::fprintf(stderr, "torvik: warning: %s\n", warning.c_str());
    }
    printJsonText(configuration.read(document, false), options.compact);
    return 0;
}

}  // namespace

void addConfigWriteCommand(CLI::App& config, Handler& selected) {
    auto [command, options] =
        addCommand(config, "write", "write a configuration document, then print what the device now holds", selected,
                   runConfigWrite);
    command->footer(
        "Writes the values of the JSON document FILE (- reads standard input), then reads the same\n"
        "values back and prints them: keys the device does not support on a channel are missing from\n"
        "that report, and the library's warnings about skipped keys are shown on stderr.");
    command->add_option("FILE", options->file, "the configuration document")->required();
    addDeviceOptions(*command, options->device);
    command->add_flag("--compact", options->compact, "print the document on one line");
}

}  // namespace torvik::cli
