// Command-line parsing for the torvik tool: long options (--name VALUE or --name=VALUE), short
// aliases (-o VALUE), flags and positional arguments, checked against a per-command option table.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace torvik::cli {

// A wrong command line: the tool prints the message and the command's usage, and exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionSpec {
    std::string_view name;  // without the leading "--"
    bool takesValue = false;
    char shortName = 0;  // 0: no short alias
};

class Arguments {
public:
    bool has(std::string_view name) const { return values_.contains(std::string(name)); }
    std::optional<std::string> value(std::string_view name) const;
    // The option's value as a non-negative number; a UsageError when it is none.
    std::optional<uint32_t> number(std::string_view name) const;
    const std::vector<std::string>& positional() const { return positional_; }

    void set(std::string_view name, std::string value) { values_[std::string(name)] = std::move(value); }
    void addPositional(std::string value) { positional_.push_back(std::move(value)); }

private:
    std::map<std::string, std::string, std::less<>> values_;
    std::vector<std::string> positional_;
};

// Parses `args` against `options`; a later occurrence of an option replaces an earlier one, and
// "--" ends the options.
Arguments parseArguments(std::span<char* const> args, std::span<const OptionSpec> options);

}  // namespace torvik::cli
