// Turns Ctrl-C (SIGINT) and SIGTERM into a condition that long-running commands poll, so they can
// stop cleanly (abort the datalog transfer, stop the simulator) instead of dying mid-way.
//
// The signals are blocked rather than handled: construct the watch before any thread starts (the
// simulator's, the datalog reader's), so that every thread inherits the mask and no serial read
// is cut short by a signal handler; the signal stays pending until raised() collects it.
#pragma once

#include <csignal>

namespace torvik::cli {

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

private:
    sigset_t signals_{};
    sigset_t previousMask_{};
    bool raised_ = false;
};

}  // namespace torvik::cli
