// A clock whose sleeps take no time: sleeping moves it ahead by the time slept instead. Between
// sleeps it runs with the real clock, so a reply deadline still passes when a device is silent.
#pragma once

#include <atomic>
#include <chrono>

#include "core/Clock.hpp"

namespace torvik_test {

class SkippingClock final : public devlib_instr::AbstractClock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now() + skipped(); }
    void sleepUntil(TimePoint deadline) const override {
        const auto ahead = deadline - now();
        if (ahead.count() > 0) skipped_ += ahead.count();
    }

    // How far the clock is ahead of the real one.
    std::chrono::steady_clock::duration skipped() const { return std::chrono::steady_clock::duration(skipped_.load()); }

private:
    mutable std::atomic<std::chrono::steady_clock::duration::rep> skipped_{0};
};

}  // namespace torvik_test
