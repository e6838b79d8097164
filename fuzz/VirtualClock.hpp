// A clock that only moves when the library sleeps or the fake line waits out a read: a silent
// line, a retry pause or a state poll costs no real time, yet every deadline the library takes
// still passes. Shared by the worker thread of a datalog run and the host thread, hence atomic.
#pragma once

#include <atomic>
#include <chrono>

#include "core/Clock.hpp"

namespace torvik_fuzz {

class VirtualClock final : public devlib_instr::AbstractClock {
public:
    TimePoint now() const override { return TimePoint(std::chrono::steady_clock::duration(elapsed_.load())); }
    void sleepUntil(TimePoint deadline) const override {
        auto target = deadline.time_since_epoch().count();
        auto current = elapsed_.load();
        while (current < target && !elapsed_.compare_exchange_weak(current, target)) {
        }
    }
    // What a read that times out after `timeoutMs` costs the line.
    void advance(uint32_t timeoutMs) const { sleepFor(std::chrono::milliseconds(timeoutMs)); }

private:
    mutable std::atomic<std::chrono::steady_clock::duration::rep> elapsed_{0};
};

}  // namespace torvik_fuzz
