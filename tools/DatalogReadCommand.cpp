// torvik datalog read -o FILE.zip: the detector's gas-detection datalog into a ZIP archive.
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Commands.hpp"
#include "DatalogTransfer.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"
#include "FilePath.hpp"
#include "Terminal.hpp"

namespace torvik::cli {

namespace {

struct DatalogReadOptions {
    DeviceOptions device;
    std::string output;
    bool all = false;
    std::vector<std::string> skip;
};

const std::map<std::string, DatalogOption> skipOptions{{"measurement", DatalogOption::SkipMeasurement},
                                                       {"event", DatalogOption::SkipEvent},
                                                       {"debug", DatalogOption::SkipDebug}};

int runDatalogRead(const DatalogReadOptions& options) {
    std::error_code notThere;
    if (std::filesystem::is_directory(filePath(options.output), notThere)) {
        throw UsageFailure("-o " + options.output + " is a directory: name the archive to create in it, e.g. -o " +
                           utf8Name(filePath(options.output) / "datalog.zip"));
    }
    DatalogTransfer transfer{{}, options.output, !options.device.verbose};
    if (options.all) transfer.options.push_back(DatalogOption::ReadAll);
    for (const std::string& section : options.skip) transfer.options.push_back(skipOptions.at(section));

    InterruptWatch interrupt;  // before the simulator's and the reader's threads start
    DeviceSession session(options.device);
    uint32_t pages = transferDatalog(session, transfer, interrupt);
    bool readsData = std::set<std::string>(options.skip.begin(), options.skip.end()).size() < skipOptions.size();
    if (readsData && pages == 0) {
        printMessage(std::string("torvik: no new data: ") +
                     (options.all ? "the detector's datalog is empty" : "nothing was recorded since the last read") +
                     "\n");
    }
    printMessage("torvik: datalog written to " + options.output + "\n");
    return interrupt.raised() ? exitInterrupted : 0;
}

}  // namespace

void addDatalogReadCommand(CLI::App& datalog, Handler& selected) {
    auto [command, options] =
        addCommand(datalog, "read", "read the gas-detection datalog into a ZIP archive", selected, runDatalogRead);
    command->footer(
        "A progress line is drawn on stderr when it is a terminal: the section being read, its pages\n"
        "and their rate, or 'waiting for the detector'. Ctrl-C or SIGTERM aborts the transfer, leaves\n"
        "no archive and exits with 130. Once the archive is complete the detector's new data is marked\n"
        "as read: Ctrl-C then says so and that step is finished first (stopped, the detector would\n"
        "give the same data again), then the tool exits with 130. The session section is always read;\n"
        "'no new data' is said when no other section had any.");
    addDeviceOptions(*command, options->device);
    command->add_option("-o,--output", options->output, "the archive to create (required; it must not exist yet)")
        ->type_name("FILE.zip")
        ->required();
    command->add_flag("--all", options->all, "read all data from the beginning, not only the new data");
    command->add_option("--skip", options->skip, "comma-separated sections to leave out")
        ->type_name("LIST")
        ->delimiter(',')
        ->check(CLI::IsMember(skipOptions));
}

}  // namespace torvik::cli
