// Turns Ctrl-C (SIGINT) and SIGTERM into a condition that long-running commands poll, so they can
// stop cleanly (abort the datalog transfer, stop the simulator) instead of dying mid-way, and
// defers them while a sequence runs that must not stop half-way (a configuration write leaves the
// detector switched off until its end).
//
// The signals are blocked rather than handled: construct the watch before any thread starts (the
// simulator's, the datalog reader's), so that every thread inherits the mask and no serial read
// is cut short by a signal handler; the signal stays pending until raised() collects it.
#pragma once

#include <atomic>
#include <csignal>
#include <functional>
#include <string>

namespace torvik::cli {

// The exit code of a command stopped by Ctrl-C or SIGTERM (128 + SIGINT, as shells report it).
inline constexpr int exitInterrupted = 130;

class InterruptWatch {
public:
    InterruptWatch();   // blocks SIGINT and SIGTERM in the calling thread
    ~InterruptWatch();  // drops pending ones and restores the previous mask
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // True once SIGINT or SIGTERM has arrived (does not wait).
    bool raised();
    // Blocks until SIGINT or SIGTERM arrives (returns at once if one already has).
    void wait();
    // Runs `work` to its end whatever arrives meanwhile; the first signal prints `notice` on stderr
    // at once (what is being finished) and is remembered for raised().
    void deferDuring(const std::function<void()>& work, const std::string& notice);

private:
    sigset_t signals_{};
    sigset_t previousMask_{};
    std::atomic<bool> raised_ = false;
};

}  // namespace torvik::cli
