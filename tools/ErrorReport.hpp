// How the tool reports failures: the library's error records become lines of the form
// "torvik: error: datalog (3) code 8: Aborted by user" on stderr, exit code 1, followed by what
// the session knows of the cause (DeviceSession::fail).
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "torvik/torvik.hpp"

namespace torvik::cli {

// A device or library failure; `lines` are the texts after "torvik: error: ". Exit code 1, or 130
// when the failure is the interrupt's doing (an aborted datalog read).
class ToolFailure : public std::exception {
public:
    explicit ToolFailure(std::vector<std::string> lines) : lines(std::move(lines)) {}
    explicit ToolFailure(std::string line) : lines{std::move(line)} {}
    const char* what() const noexcept override { return lines.empty() ? "failure" : lines.front().c_str(); }
    std::vector<std::string> lines;
    int exitCode = 1;
};

// A command line that is complete for the parser but not for the command (a detector-changing
// command without --port); main reports it like a parse error, exit code 2.
class UsageFailure : public std::exception {
public:
    explicit UsageFailure(std::string text) : text(std::move(text)) {}
    const char* what() const noexcept override { return text.c_str(); }
    std::string text;
};

// "<category word> (<category>) code <code>: <message>", e.g. "configuration (5) code 6: ...".
std::string describeError(const ErrorRecord& record);

// One line per record, in order.
std::vector<std::string> describeErrors(const std::vector<ErrorRecord>& records);

void printFailure(const ToolFailure& failure);

}  // namespace torvik::cli
