#include "ErrorReport.hpp"

#include <cstdio>

#include "ApiNumbers.hpp"
#include "WideText.hpp"

namespace torvik::cli {

std::string describeError(uint32_t category, uint32_t code, const InstrWChar* message) {
    std::string name(category < errorCategoryWords.size() ? errorCategoryWords[category] : "unknown");
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

void printFailure(const ToolFailure& failure) {
    for (const std::string& line : failure.lines) std::fprintf(stderr, "torvik: error: %s\n", line.c_str());
}

}  // namespace torvik::cli
