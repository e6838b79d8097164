#include "core/Clock.hpp"

#include <thread>

namespace devlib_instr {

namespace {

class SteadyClock final : public AbstractClock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    void sleepUntil(TimePoint deadline) const override { std::this_thread::sleep_until(deadline); }
};

}  // namespace

const AbstractClock& steadyClock() {
    static const SteadyClock clock;
    return clock;
}

}  // namespace devlib_instr
