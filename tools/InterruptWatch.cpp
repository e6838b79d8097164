#include "InterruptWatch.hpp"

#include <pthread.h>

#include <ctime>

namespace torvik::cli {

namespace {
bool takePending(const sigset_t& signals) {
    timespec noWait{};
    return sigtimedwait(&signals, nullptr, &noWait) > 0;
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

}  // namespace torvik::cli
