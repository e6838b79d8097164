#include <pthread.h>

#include <cstdio>
#include <ctime>
#include <thread>

#include "InterruptWatch.hpp"

namespace torvik::cli {

namespace {

constexpr long pollNs = 50'000'000;

// Takes one pending signal of the set, waiting at most `waitNs`.
bool takePending(const sigset_t& signals, long waitNs = 0) {
    timespec wait{0, waitNs};
    return sigtimedwait(&signals, nullptr, &wait) > 0;
}

}  // namespace

InterruptWatch::InterruptWatch() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
}

InterruptWatch::~InterruptWatch() {
    while (takePending(signals_)) {
    }
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

bool InterruptWatch::raised() {
    if (!raised_) raised_ = takePending(signals_);
    return raised_;
}

void InterruptWatch::wait() {
    int signal = 0;
    while (!raised_) raised_ = sigwait(&signals_, &signal) == 0;
}

void InterruptWatch::deferDuring(const std::function<void()>& work, const std::string& notice) {
    std::atomic<bool> done = false;
    // The watcher inherits the blocked mask; it collects a signal while `work` runs on this thread.
    std::thread watcher([&] {
        while (!done) {
            if (!takePending(signals_, pollNs) || raised_.exchange(true)) continue;
            std::fprintf(stderr, "%s\n", notice.c_str());
            std::fflush(stderr);
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
