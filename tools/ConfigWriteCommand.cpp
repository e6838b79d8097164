// torvik config write FILE: writes the document, then reads the same values back so the user
// sees what the device accepted (keys a channel does not support are absent from that report).
#include <cstdio>

#include "Commands.hpp"
#include "ConfigurationAccess.hpp"
#include "DeviceSession.hpp"
#include "InterruptWatch.hpp"
#include "TextFile.hpp"
#include "WritePlan.hpp"

namespace torvik::cli {

namespace {

struct ConfigWriteOptions {
    DeviceOptions device;
    std::string file;  // "-": standard input
    bool compact = false;
    bool dryRun = false;
};

// What the tool finishes when Ctrl-C comes during the write: the library switches the detector on
// again at the end unless it was found switched off.
std::string finishingNotice(const DeviceState& found) {
    return found.switchedOff() ? "torvik: interrupted: finishing the write (the detector stays switched off, as found)"
                               : "torvik: interrupted: finishing the write and switching the detector on";
}

int runConfigWrite(const ConfigWriteOptions& options) {
    std::string document = readTextFile(options.file);
    InterruptWatch interrupt;  // before the simulator's thread starts
    DeviceSession session(options.device);
    if (options.dryRun) {
        ConfigurationAccess configuration(session);
        std::fputs(describe(planWrite(session, configuration, document)).c_str(), stdout);
        return 0;
    }
    DeviceState found = session.state();
    if (found.switchedOff()) {
        std::fprintf(stderr,
                     "torvik: the detector is switched off (state %d); the write leaves it switched off: switch it "
                     "on at the detector\n",
                     found.word);
    }
    if (interrupt.raised()) return exitInterrupted;  // nothing written yet
    ConfigurationAccess configuration(session);
    interrupt.deferDuring([&] { configuration.write(document); }, finishingNotice(found));
    for (const std::string& warning : session.log().takeWarnings()) {
        std::fprintf(stderr, "torvik: warning: %s\n", warning.c_str());
    }
    if (interrupt.raised()) {
        std::fprintf(stderr, "torvik: the write is complete; the detector is %s\n", session.state().name().c_str());
        return exitInterrupted;
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
        "that report, and the library's warnings about skipped keys are shown on stderr. The detector is\n"
        "switched off while its database is written; Ctrl-C or SIGTERM meanwhile finishes the write\n"
        "and switches it on again, then exits with 130.");
    command->add_option("FILE", options->file, "the configuration document")->required();
    addChangingDeviceOptions(*command, options->device);
    command->add_flag("--compact", options->compact, "print the document on one line");
    command->add_flag("--dry-run", options->dryRun,
                      "change nothing: print, per JSON path, the value the detector holds and the value the "
                      "document would write, and the database sections a write would rewrite");
}

}  // namespace torvik::cli
