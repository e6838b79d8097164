#include "ErrorReport.hpp"
#include "Terminal.hpp"

namespace torvik::cli {

namespace {

// An error record's category as the word a user knows for what failed: argument checks, the line
// and decoding (general); the device; the datalog reader and its archive (datalog); writing the
// configuration database (configuration write); reading and converting it (configuration).
std::string_view categoryWord(Category category) {
    switch (category) {
        case Category::General:
            return "general";
        case Category::Context:
            return "context";
        case Category::Device:
            return "device";
        case Category::FirmwareFlasher:
            return "datalog";
        case Category::Container:
            return "configuration write";
        case Category::ContainerWriter:
            return "configuration";
    }
    return "unknown";
}

}  // namespace

std::string describeError(const ErrorRecord& record) {
    const auto number = static_cast<uint32_t>(record.category);
    return std::string(categoryWord(record.category)) + " (" + std::to_string(number) + ") code " +
           std::to_string(record.code) + ": " + record.message;
}

std::vector<std::string> describeErrors(const std::vector<ErrorRecord>& records) {
    std::vector<std::string> lines;
    for (const ErrorRecord& record : records) lines.push_back(describeError(record));
    return lines;
}

void printFailure(const ToolFailure& failure) {
    for (const std::string& line : failure.lines) printMessage("torvik: error: " + line + "\n");
}

}  // namespace torvik::cli
