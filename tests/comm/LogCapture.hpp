// Collects a context's log lines for the tests; the context's pauses take no time.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/Context.hpp"
#include "support/SkippingClock.hpp"

namespace devlib_instr::testing_support {

struct LogLine {
    int32_t level;
    std::u16string text;
    bool operator==(const LogLine&) const = default;
};

class LogCapture {
public:
    LogCapture() : context_(lockHandle(new Context)) {
        context_->setLogCallback(&LogCapture::collect, this);
        context_->setClock(clock_);
    }

    const ContextGuard& guard() const { return context_; }
    const Context& context() const { return *context_; }

    std::vector<LogLine> lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    std::vector<std::u16string> textsAt(LogLevel level) const {
        std::vector<std::u16string> texts;
        for (const LogLine& line : lines())
            if (line.level == static_cast<int32_t>(level)) texts.push_back(line.text);
        return texts;
    }

private:
    static void collect(int32_t level, const InstrWChar* text, void* user) {
        auto* self = static_cast<LogCapture*>(user);
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->lines_.push_back({level, reinterpret_cast<const char16_t*>(text)});
    }

    torvik_test::SkippingClock clock_;
    ContextGuard context_;
    mutable std::mutex mutex_;
    std::vector<LogLine> lines_;
};

}  // namespace devlib_instr::testing_support
