// torvik datalog read -o FILE.zip: the detector's gas-detection datalog into a ZIP archive.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Commands.hpp"
#include "DatalogTransfer.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"

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
    if (std::filesystem::is_directory(options.output, notThere)) {
        throw UsageFailure("-o " + options.output + " is a directory: name the archive to create in it, e.g. -o " +
                           (std::filesystem::path(options.output) / "datalog.zip").string());
    }
    DatalogTransfer transfer{{}, options.output, !options.device.verbose};
    if (options.all) transfer.options.push_back(DatalogOption::ReadAll);
    for (const std::string& section : options.skip) transfer.options.push_back(skipOptions.at(section));

    InterruptWatch interrupt;  // before the simulator's and the reader's threads start
    DeviceSession session(options.device);
    transferDatalog(session, transfer, interrupt);
    std::fprintf(stderr, "torvik: datalog written to %s\n", options.output.c_str());
    return 0;
}

}  // namespace

void addDatalogReadCommand(CLI::App& datalog, Handler& selected) {
    auto [command, options] =
        addCommand(datalog, "read", "read the gas-detection datalog into a ZIP archive", selected, runDatalogRead);
    command->footer(
        "A progress bar is drawn on stderr when it is a terminal; Ctrl-C aborts the transfer and\n"
        "removes the unfinished archive. The session section is always read.");
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
