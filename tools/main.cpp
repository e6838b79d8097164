// torvik: read and write a Torvik detector's configuration and read its datalog from a terminal.
// A host of the library like any other: everything goes through the C table of libtorvik.so.
// Exit codes: 0 success, 1 device or library failure, 2 usage error, 130 interrupted.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.hpp"
#include "Commands.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"
#include "HelpFormatter.hpp"
#include "SimulatedDetector.hpp"
#include "Terminal.hpp"

using namespace torvik::cli;

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// The tool's version, then the library's from the API table's header words.
std::string versionText() {
    return "torvik " TORVIK_TOOL_VERSION "\nlibtorvik " + libraryVersion() + " (API table layout " +
           std::to_string(GetInstrumentAPI()->layoutVersion) + ")";
}

void describeCommandLine(CLI::App& app, const std::shared_ptr<HelpFormatter>& formatter) {
    app.formatter(formatter);
    app.set_help_flag("-h,--help", "show this help");
    app.set_version_flag("--version", versionText, "show the tool's and the library's version");
    app.option_defaults()->disable_flag_override();  // --compact=yes is a usage error, not "true"
    app.require_subcommand(1);
    app.footer(
        "Exit codes: 0 success, 1 the device or the library failed (each error record is printed on\n"
        "stderr as 'torvik: error: WHAT (n) code c: message', WHAT being general, device, datalog,\n"
        "configuration or configuration write, followed by the cause where it is known: why a port\n"
        "does not open, a detector that does not answer, an archive the system refused to store, the\n"
        "values a request may hold), 2 usage error, 130 interrupted (Ctrl-C or SIGTERM; a configuration\n"
        "write, a datalog clear, and a datalog read that is marking its data as read are completed first).");
}

void addCommands(CLI::App& app, Handler& selected) {
    addInfoCommand(app, selected);
    addPortsCommand(app, selected);
    CLI::App* config = app.add_subcommand("config", "read or write the configuration")->require_subcommand(1);
    addConfigReadCommand(*config, selected);
    addConfigWriteCommand(*config, selected);
    CLI::App* datalog = app.add_subcommand("datalog", "read or clear the datalog")->require_subcommand(1);
    addDatalogReadCommand(*datalog, selected);
    addDatalogClearCommand(*datalog, selected);
    addSimulatorCommands(app, selected);
    // After the commands, so that it stays an option of the overview only.
    app.set_help_all_flag("--help-all", "show the help of every command (the manual)");
}

// The error, then the usage line of the command the words got as far as.
int usageError(const CLI::App& app, const HelpFormatter& formatter, const CLI::ParseError& error) {
    const CLI::App* command = &app;
    while (!command->get_subcommands().empty()) command = command->get_subcommands().front();
    std::string name = command == &app ? app.get_name() : app.get_name() + " " + commandPath(*command);
    std::vector<std::string> rest = command->remaining();
    bool unknownCommand = !command->get_subcommands({}).empty() && !rest.empty();
    std::string message = unknownCommand ? "unknown command '" + rest.front() + "'" : error.what();
    printMessage("torvik: " + message + "\n" + formatter.make_usage(command, name) + "Run '" + name +
                 " --help' for more.\n");
    return exitUsage;
}

// Started as torvik-sim (the installed alias), the program is `torvik sim`: one simulator program
// with one set of options.
std::vector<std::string> commandWords(int argc, char** argv) {
    std::vector<std::string> words = commandLineWords(argc, argv);
    const std::string program = words.empty() ? std::string() : words.front();
    if (program.substr(program.find_last_of('/') + 1) == "torvik-sim") words.insert(words.begin() + 1, "sim");
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(std::string("Reads and writes a Torvik detector's configuration and reads its datalog.\n") +
                     (hasSimulatedDetector()
                          ? "Without --port PATH every device command talks to the built-in simulated detector."
                          : "Every device command needs --port PORT (COM3; 'torvik ports' lists them)."),
                 "torvik");
    auto formatter = std::make_shared<HelpFormatter>();
    describeCommandLine(app, formatter);
    Handler selected;
    addCommands(app, selected);
    std::vector<std::string> words = commandWords(argc, argv);
    std::vector<char*> arguments;
    for (std::string& word : words) arguments.push_back(word.data());
    try {
        app.parse(static_cast<int>(arguments.size()), arguments.data());
    } catch (const CLI::Success& done) {  // --help, --help-all, --version
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        return usageError(app, *formatter, error);
    }
    try {
        return selected();
    } catch (const UsageFailure& failure) {
        printMessage(std::string("torvik: ") + failure.what() + "\n");
        return exitUsage;
    } catch (const ToolFailure& failure) {
        printFailure(failure);
        return failure.exitCode;
    } catch (const torvik::Error& error) {  // a library call no command expected to fail
        printFailure(ToolFailure(error.records().empty() ? std::vector<std::string>{error.what()}
                                                         : describeErrors(error.records())));
    } catch (const std::exception& e) {
        printMessage(std::string("torvik: error: ") + e.what() + "\n");
    }
    return exitFailure;
}
