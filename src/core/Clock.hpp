// The time the library asks for its waits: a steady "now" and sleeping until a deadline. Every
// pause and reply deadline of an exchange goes through the context's clock, so a test can run
// them on a clock of its own; the serial link's own poll() deadlines stay the operating system's.
#pragma once

#include <chrono>

namespace devlib_instr {

class AbstractClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~AbstractClock() = default;
    virtual TimePoint now() const = 0;
    // Returns once `deadline` has passed, sleeping again for the rest after an early wake-up.
    virtual void sleepUntil(TimePoint deadline) const = 0;

    void sleepFor(std::chrono::milliseconds duration) const { sleepUntil(now() + duration); }
};

// The process-wide clock of the operating system (std::chrono::steady_clock).
const AbstractClock& steadyClock();

}  // namespace devlib_instr
