// The tool's help layout: the usage line first ("usage: torvik config read [OPTIONS]"), then what
// the command does, its options and any notes; the overview lists every command by its full name
// ("config read"), and --help-all adds each command's own help (the man page is made from that).
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace torvik::cli {

class HelpFormatter : public CLI::Formatter {
public:
    HelpFormatter();
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
    std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override;
    // Only the value's name ("--port PATH"); exclusions and requirements are said in the texts.
    std::string make_option_opts(const CLI::Option* option) const override;
};

// The command's words after the program name, e.g. "config read".
std::string commandPath(const CLI::App& command);

}  // namespace torvik::cli
