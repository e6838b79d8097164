#include "ErrorReport.hpp"

#include <array>
#include <cstdio>
#include <string_view>

#include "WideText.hpp"

namespace torvik::cli {

namespace {
// The error categories by number, as the library's records carry them.
constexpr std::array<std::string_view, 6> categoryNames{
    "General", "InstrContext", "InstrDevice", "InstrFirmwareFlasher", "InstrContainer", "InstrContainerWriter"};
}  // namespace

std::string describeError(uint32_t category, uint32_t code, const InstrWChar* message) {
    std::string name(category < categoryNames.size() ? categoryNames[category] : "Unknown");
    return name + " (" + std::to_string(category) + ") code " + std::to_string(code) + ": " + toUtf8(message);
}

std::vector<std::string> takeError(const InstrumentAPI& api, InstrError*& err) {
    if (err == nullptr) return {};
    std::vector<std::string> lines{describeError(err->category, err->code, err->message)};
    api.errorFree(&err);
    return lines;
}

std::vector<std::string> takeErrorList(const InstrumentAPI& api,
                                       const std::function<uint32_t(InstrError**, uint32_t)>& getErrors) {
    std::vector<InstrError*> records(getErrors(nullptr, 0), nullptr);
    if (records.empty()) return {};
    uint32_t written = std::min<uint32_t>(getErrors(records.data(), static_cast<uint32_t>(records.size())),
                                          static_cast<uint32_t>(records.size()));
    std::vector<std::string> lines;
    for (uint32_t i = 0; i < written; ++i) {
        std::vector<std::string> one = takeError(api, records[i]);
        lines.insert(lines.end(), one.begin(), one.end());
    }
    return lines;
}

void fail(std::vector<std::string> lines, const std::string& fallback) {
    if (lines.empty()) lines.push_back(fallback);
    throw ToolFailure(std::move(lines));
}

void printFailure(const ToolFailure& failure) {
    for (const std::string& line : failure.lines) std::fprintf(stderr, "torvik: error: %s\n", line.c_str());
}

}  // namespace torvik::cli
