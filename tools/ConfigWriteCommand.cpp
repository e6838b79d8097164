// torvik config write FILE: writes the document, then reads the same values back so the user
// sees what the device accepted (keys a channel does not support are absent from that report),
// and names in one line the values the detector did not take.
#include <cstdio>

#include "Commands.hpp"
#include "ConfigurationAccess.hpp"
#include "DeviceSession.hpp"
#include "DocumentPaths.hpp"
#include "InterruptWatch.hpp"
#include "Terminal.hpp"
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

// The library's WARN line for each value a write leaves as it is, "The feature N is not yet
// supported" (N the key's number): a written-back document gives one for every read-only value.
bool isUnwrittenKeyLine(const std::string& line) {
    return line.starts_with("The feature ") && line.ends_with(" is not yet supported");
}

// Prints the library's warnings except the line per unwritten key, which the summary replaces;
// true when there was such a line.
bool reportWarnings(const std::vector<std::string>& warnings) {
    bool anyUnwritten = false;
    for (const std::string& warning : warnings) {
        if (isUnwrittenKeyLine(warning)) {
            anyUnwritten = true;
        } else {
            printMessage("torvik: warning: " + warning + "\n");
        }
    }
    return anyUnwritten;
}

// One line for the values the write left as they are: the paths whose value the detector does not
// hold after the write.
void summariseUnwritten(bool anyUnwritten, const std::string& document, const std::string& held) {
    std::vector<std::string> paths =
        valuesNotTaken(Json::parse(document, nullptr, false), Json::parse(held, nullptr, false));
    if (!paths.empty()) {
        std::string list;
        for (const std::string& path : paths) list += (list.empty() ? "" : ", ") + path;
        printMessage("torvik: warning: the detector did not take " + std::to_string(paths.size()) +
                     " value(s) of the document (read-only, or not held by this detector): " + list + "\n");
    } else if (anyUnwritten) {
        printMessage(
            "torvik: the document's read-only values were left as they are (each equals what the detector "
            "holds)\n");
    }
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
        printMessage("torvik: the detector is switched off (state " + std::to_string(found.word) +
                     "); the write leaves it switched off: switch it on at the detector\n");
    }
    if (interrupt.raised()) return exitInterrupted;  // nothing written yet
    ConfigurationAccess configuration(session);
    interrupt.deferDuring([&] { configuration.write(document); }, finishingNotice(found));
    bool anyUnwritten = reportWarnings(session.log().takeWarnings());
    if (interrupt.raised()) {
        printMessage("torvik: the write is complete; the detector is " + session.state().name() + "\n");
        return exitInterrupted;
    }
    std::string held = configuration.read(document);
    summariseUnwritten(anyUnwritten, document, held);
    printJsonText(held, options.compact);
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
        "that report, and one line on stderr names the values the detector did not take (read-only\n"
        "ones, or ones it does not hold). The detector is\n"
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
