// torvik: read and write a Torvik detector's configuration and read its datalog from a terminal.
// Exit codes: 0 success, 1 device or library failure, 2 usage error.
#include <cctype>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Arguments.hpp"
#include "Commands.hpp"
#include "ErrorReport.hpp"
#include "torvik/instrument_api.h"

using namespace torvik::cli;

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// The command whose words start `args` (the longest such name); `consumed` is its word count.
const Command* findCommand(std::span<char* const> args, size_t& consumed) {
    const Command* best = nullptr;
    for (const Command& command : commands()) {
        std::string_view rest = command.name;
        size_t words = 0;
        bool matches = true;
        while (matches && !rest.empty()) {
            size_t space = rest.find(' ');
            std::string_view word = rest.substr(0, space);
            rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
            matches = words < args.size() && word == args[words];
            ++words;
        }
        if (matches && (best == nullptr || words > consumed)) {
            best = &command;
            consumed = words;
        }
    }
    return best;
}

void printUsageLine(const Command& command, FILE* out) {
    std::string line = "usage: torvik " + std::string(command.name);
    if (command.usesDevice) line += " [--port PATH | --simulate] [--verbose]";
    if (!command.synopsis.empty()) line += " " + std::string(command.synopsis);
    std::fprintf(out, "%s\n", line.c_str());
}

void printCommandHelp(const Command& command) {
    printUsageLine(command, stdout);
    std::string summary(command.summary);
    if (!summary.empty()) summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    std::printf("\n%s.\n\n%.*s", summary.c_str(), static_cast<int>(command.details.size()), command.details.data());
    if (command.usesDevice) std::printf("%.*s", static_cast<int>(deviceOptionsHelp.size()), deviceOptionsHelp.data());
}

void printOverview(FILE* out) {
    std::fprintf(out,
                 "usage: torvik COMMAND [options]\n\n"
                 "Reads and writes a Torvik detector's configuration and reads its datalog.\n"
                 "Without --port PATH every command talks to the built-in simulated detector.\n\n"
                 "Commands:\n");
    for (const Command& command : commands()) {
        std::fprintf(out, "  %-14.*s %.*s\n", static_cast<int>(command.name.size()), command.name.data(),
                     static_cast<int>(command.summary.size()), command.summary.data());
    }
    std::fprintf(out, "\nRun 'torvik COMMAND --help' for the options of one command.\n");
}

int runCommand(const Command& command, std::span<char* const> args) {
    std::vector<OptionSpec> options = command.options;
    if (command.usesDevice) options.insert(options.end(), deviceOptions().begin(), deviceOptions().end());
    try {
        Arguments parsed = parseArguments(args, options);
        if (parsed.has("help")) {
            printCommandHelp(command);
            return 0;
        }
        if (parsed.positional().size() != command.positionals) {
            throw UsageError(parsed.positional().size() > command.positionals
                                 ? "unexpected argument '" + parsed.positional()[command.positionals] + "'"
                                 : std::string("missing argument"));
        }
        return command.run(parsed);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "torvik: %s\n", e.what());
        printUsageLine(command, stderr);
        return exitUsage;
    } catch (const ToolFailure& failure) {
        printFailure(failure);
        return exitFailure;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "torvik: error: %s\n", e.what());
        return exitFailure;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::span<char* const> args(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0));
    if (args.empty()) {
        printOverview(stderr);
        return exitUsage;
    }
    std::string_view first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        printOverview(stdout);
        return 0;
    }
    if (first == "--version") {
        const InstrumentAPI* api = GetInstrumentAPI();
        std::printf("torvik %u.%u.%u\n", api->versionMajor, api->versionMinor, api->versionPatch);
        return 0;
    }
    size_t consumed = 0;
    const Command* command = findCommand(args, consumed);
    if (command == nullptr) {
        std::fprintf(stderr, "torvik: unknown command '%s'\n\n", args[0]);
        printOverview(stderr);
        return exitUsage;
    }
    return runCommand(*command, args.subspan(consumed));
}
