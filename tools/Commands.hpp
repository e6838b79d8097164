// The tool's subcommands: one table row each (name, usage, options, handler), one file per handler.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "Arguments.hpp"

namespace torvik::cli {

struct Command {
    std::string_view name;      // the command words, e.g. "config read"
    std::string_view synopsis;  // what follows the name and the port options in the usage line
    std::string_view summary;   // one line for the overview
    std::string_view details;   // the option descriptions of --help
    std::vector<OptionSpec> options;
    bool usesDevice;     // takes --port / --simulate
    size_t positionals;  // the exact number of positional arguments
    int (*run)(const Arguments& args);
};

const std::vector<Command>& commands();

// The options every device command accepts, and their --help text.
std::span<const OptionSpec> deviceOptions();
extern const std::string_view deviceOptionsHelp;

int runInfo(const Arguments& args);
int runConfigRead(const Arguments& args);
int runConfigWrite(const Arguments& args);
int runDatalogRead(const Arguments& args);
int runDatalogClear(const Arguments& args);
int runSim(const Arguments& args);

}  // namespace torvik::cli
