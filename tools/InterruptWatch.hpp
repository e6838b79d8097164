// Turns Ctrl-C and SIGTERM (on Windows: Ctrl-C, Ctrl-Break and closing the console) into a
// condition that long-running commands poll, so they can stop cleanly (abort the datalog transfer,
// stop the simulator) instead of dying mid-way, and defers them while a sequence runs that must
// not stop half-way (a configuration write leaves the detector switched off until its end).
//
// On Linux the signals are blocked rather than handled: construct the watch before any thread
// starts (the simulator's, the datalog reader's), so that every thread inherits the mask and no
// serial read is cut short by a signal handler; the signal stays pending until raised() collects
// it. On Windows the console's control handler, which runs on a thread of its own, notes it.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace torvik::cli {

// The exit code of a command stopped by Ctrl-C or SIGTERM (128 + SIGINT, as shells report it).
inline constexpr int exitInterrupted = 130;

class InterruptWatch {
public:
    InterruptWatch();   // from now on an interrupt is noted instead of ending the program
    ~InterruptWatch();  // drops pending ones and restores what was there before
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // True once an interrupt has arrived (does not wait).
    bool raised();
    // Blocks until an interrupt arrives (returns at once if one already has).
    void wait();
    // Runs `work` to its end whatever arrives meanwhile; the first interrupt prints `notice` on
    // stderr at once (what is being finished) and is remembered for raised().
    void deferDuring(const std::function<void()>& work, const std::string& notice);

    struct State;  // the platform's, defined by the platform's file

private:
    std::unique_ptr<State> state_;
};

}  // namespace torvik::cli
