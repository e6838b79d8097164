// The tool's subcommands. Each add...Command registers one subcommand and its options on the
// command line; when the command line selects it, its handler lands in `selected`.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <utility>

namespace torvik::cli {

// Runs the chosen command once the whole command line has been parsed; returns the exit code.
using Handler = std::function<int()>;

void addInfoCommand(CLI::App& app, Handler& selected);
void addPortsCommand(CLI::App& app, Handler& selected);
void addConfigReadCommand(CLI::App& config, Handler& selected);
void addConfigWriteCommand(CLI::App& config, Handler& selected);
void addDatalogReadCommand(CLI::App& datalog, Handler& selected);
void addDatalogClearCommand(CLI::App& datalog, Handler& selected);
void addSimCommand(CLI::App& app, Handler& selected);
void addTraceCommand(CLI::App& app, Handler& selected);

// Registers `command`, whose options are bound to an Options object that lives as long as the
// handler, and selects `run(options)` when the command line names it.
template <class Options>
std::pair<CLI::App*, std::shared_ptr<Options>> addCommand(CLI::App& parent, const char* name, const char* summary,
                                                          Handler& selected, int (*run)(const Options&)) {
    auto options = std::make_shared<Options>();
    CLI::App* command = parent.add_subcommand(name, summary);
    command->callback([&selected, options, run] { selected = [options, run] { return run(*options); }; });
    return {command, options};
}

}  // namespace torvik::cli
