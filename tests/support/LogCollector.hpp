// Collects the log lines a context delivers, for the tests of every level. Lines arrive as `Text`:
// the library's wide text (the default) through `LogCollector<>::callback`, installed with the
// collector as user data through the C table (contextSetLogCallback) or on a context of the static
// library; UTF-8 through a torvik::Context's log function, `context.setLogCallback(log.function())`.
// The library may log from its worker thread, hence the lock.
#pragma once

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "torvik/torvik.hpp"

namespace torvik_test {

template <class Text = std::u16string>
class LogCollector {
public:
    static void callback(int32_t level, const InstrWChar* text, void* user) {
        static_cast<LogCollector*>(user)->add(level, text != nullptr ? text : u"");
    }

    // The collector must outlive the owners that hold this function.
    torvik::LogFunction function() {
        return [this](torvik::LogLevel level, std::string_view text) { add(static_cast<int32_t>(level), Text(text)); };
    }

    // The lines logged at `level`, in order.
    std::vector<Text> lines(int32_t level) const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<Text> found;
        for (const auto& [lineLevel, line] : lines_)
            if (lineLevel == level) found.push_back(line);
        return found;
    }

    bool contains(int32_t level, const Text& text) const {
        const std::vector<Text> found = lines(level);
        return std::find(found.begin(), found.end(), text) != found.end();
    }

    // Every line with its level, in order.
    std::vector<std::pair<int32_t, Text>> all() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

private:
    void add(int32_t level, Text line) {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.emplace_back(level, std::move(line));
    }

    mutable std::mutex mutex_;
    std::vector<std::pair<int32_t, Text>> lines_;
};

}  // namespace torvik_test
