// A clock whose sleeps take no time: a sleep moves the clock on to its deadline at once. Between
// sleeps a clock of virtual time stands still, so only sleeps and the waits of an in-memory line
// move it and a run goes the same way every time (in-memory tests, fuzz targets); a clock that
// follows real time runs with the steady clock between sleeps, for a line whose silence only ends
// in real time (the simulator on a pty). Read and moved by a worker thread and the host thread at
// once, hence atomic.
#pragma once

#include <atomic>
#include <chrono>

#include "core/Clock.hpp"

namespace torvik_test {

class SkippingClock final : public devlib_instr::AbstractClock {
public:
    enum class Pace { virtualTime, realTime };

    explicit SkippingClock(Pace pace = Pace::virtualTime) : pace_(pace) {}

    TimePoint now() const override { return base() + std::chrono::steady_clock::duration(skipped_.load()); }
    // Two threads sleeping until the same deadline move the clock there once, not twice.
    void sleepUntil(TimePoint deadline) const override {
        auto skipped = skipped_.load();
        for (;;) {
            const auto ahead = (deadline - base()).count() - skipped;
            if (ahead <= 0 || skipped_.compare_exchange_weak(skipped, skipped + ahead)) return;
        }
    }

private:
    // Virtual time starts at the clock's epoch.
    TimePoint base() const { return pace_ == Pace::realTime ? std::chrono::steady_clock::now() : TimePoint{}; }

    Pace pace_;
    mutable std::atomic<std::chrono::steady_clock::duration::rep> skipped_{0};
};

}  // namespace torvik_test
