// How the tool reports failures: the library's error records become lines of the form
// "torvik: error: datalog (3) code 8: Aborted by user" on stderr, exit code 1, followed by what
// the session knows of the cause (DeviceSession::fail).
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "torvik/instrument_api.h"

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

// "<category name> (<category>) code <code>: <message>".
std::string describeError(uint32_t category, uint32_t code, const InstrWChar* message);

// Describes the record in *err (if any) and frees it.
std::vector<std::string> takeError(const InstrumentAPI& api, InstrError*& err);

// Reads an error list through a slot of the form (list, capacity) -> count and frees the records.
std::vector<std::string> takeErrorList(const InstrumentAPI& api,
                                       const std::function<uint32_t(InstrError**, uint32_t)>& getErrors);

void printFailure(const ToolFailure& failure);

}  // namespace torvik::cli
