// Collects the log lines a context delivers to its callback, for the tests of every level: install
// `LogCollector::callback` with the collector as user data, through the C table
// (contextSetLogCallback) or on a Context. The library may log from its worker thread, hence the
// lock.
#pragma once

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "torvik/instrument_api.h"

namespace torvik_test {

class LogCollector {
public:
    static void callback(int32_t level, const InstrWChar* text, void* user) {
        auto* self = static_cast<LogCollector*>(user);
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->lines_.emplace_back(level, text != nullptr ? reinterpret_cast<const char16_t*>(text) : u"");
    }

    // The lines logged at `level`, in order.
    std::vector<std::u16string> lines(int32_t level) const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::u16string> found;
        for (const auto& [lineLevel, line] : lines_)
            if (lineLevel == level) found.push_back(line);
        return found;
    }

    bool contains(int32_t level, const std::u16string& text) const {
        const std::vector<std::u16string> found = lines(level);
        return std::find(found.begin(), found.end(), text) != found.end();
    }

    // Every line with its level, in order.
    std::vector<std::pair<int32_t, std::u16string>> all() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<int32_t, std::u16string>> lines_;
};

}  // namespace torvik_test
