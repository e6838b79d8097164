#include "HelpFormatter.hpp"

#include <functional>

namespace torvik::cli {

namespace {

// Calls `visit` for every command below `app` that has no subcommands of its own.
void forEachCommand(const CLI::App& app, const std::function<void(const CLI::App&)>& visit) {
    for (const CLI::App* sub : app.get_subcommands({})) {
        if (sub->get_subcommands({}).empty()) {
            visit(*sub);
        } else {
            forEachCommand(*sub, visit);
        }
    }
}

// Every non-empty line two spaces to the right.
std::string indented(const std::string& text) {
    std::istringstream lines(text);
    std::string result;
    for (std::string line; std::getline(lines, line);) result += line.empty() ? "\n" : "  " + line + "\n";
    return result;
}

}  // namespace

HelpFormatter::HelpFormatter() {
    label("Usage", "usage");
    column_width(24);
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const {
    std::string help = make_usage(app, name) + "\n" + make_description(app) + make_positionals(app) +
                       make_groups(app, mode) + make_subcommands(app, mode);
    std::string footer = make_footer(app);
    return footer.empty() ? help : help + "\n" + footer;
}

std::string HelpFormatter::make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const {
    std::string list;
    forEachCommand(*app, [&](const CLI::App& command) {
        std::string path = commandPath(command);
        if (mode == CLI::AppFormatMode::All) {  // one section per command (in the man page too)
            std::string name = app->get_name() + " " + path;
            list += "\n" + name + ":\n" + indented(make_help(&command, name, CLI::AppFormatMode::Normal));
            return;
        }
        std::ostringstream line;
        CLI::detail::format_help(line, path, command.get_description(), get_column_width());
        list += line.str();
    });
    if (list.empty()) return list;
    return mode == CLI::AppFormatMode::All ? list : "\nCommands:\n" + list;
}

std::string HelpFormatter::make_option_opts(const CLI::Option* option) const {
    return option->get_type_size() == 0 ? std::string() : " " + get_label(option->get_type_name());
}

std::string commandPath(const CLI::App& command) {
    std::string path = command.get_name();
    for (const CLI::App* parent = command.get_parent(); parent != nullptr && parent->get_parent() != nullptr;
         parent = parent->get_parent()) {
        path = parent->get_name() + " " + path;
    }
    return path;
}

}  // namespace torvik::cli
