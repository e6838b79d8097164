#include <pthread.h>

#include <atomic>
#include <csignal>
#include <ctime>
#include <thread>

#include "InterruptWatch.hpp"
#include "Terminal.hpp"

namespace torvik::cli {

namespace {

constexpr long pollNs = 50'000'000;

// Takes one pending signal of the set, waiting at most `waitNs`.
bool takePending(const sigset_t& signals, long waitNs = 0) {
    timespec wait{0, waitNs};
    return sigtimedwait(&signals, nullptr, &wait) > 0;
}

}  // namespace

struct InterruptWatch::State {
    sigset_t signals{};
    sigset_t previousMask{};
    std::atomic<bool> raised = false;
};

InterruptWatch::InterruptWatch() : state_(std::make_unique<State>()) {
    sigemptyset(&state_->signals);
    sigaddset(&state_->signals, SIGINT);
    sigaddset(&state_->signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &state_->signals, &state_->previousMask);
}

InterruptWatch::~InterruptWatch() {
    while (takePending(state_->signals)) {
    }
    pthread_sigmask(SIG_SETMASK, &state_->previousMask, nullptr);
}

bool InterruptWatch::raised() {
    if (!state_->raised) state_->raised = takePending(state_->signals);
    return state_->raised;
}

void InterruptWatch::wait() {
    int signal = 0;
    while (!state_->raised) state_->raised = sigwait(&state_->signals, &signal) == 0;
}

void InterruptWatch::deferDuring(const std::function<void()>& work, const std::string& notice) {
    State& state = *state_;
    std::atomic<bool> done = false;
    // The watcher inherits the blocked mask; it collects a signal while `work` runs on this thread.
    std::thread watcher([&] {
        while (!done) {
            if (!takePending(state.signals, pollNs) || state.raised.exchange(true)) continue;
            printMessage(notice + "\n");
        }
    });
    try {
        work();
    } catch (...) {
        done = true;
        watcher.join();
        throw;
    }
    done = true;
    watcher.join();
}

}  // namespace torvik::cli
