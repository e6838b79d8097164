#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "InterruptWatch.hpp"
#include "Terminal.hpp"

namespace torvik::cli {

// The console runs its control handler on a thread of its own: the handler notes the interrupt in
// the watch that is active (one at a time) and wakes wait().
struct InterruptWatch::State {
    std::atomic<bool> raised = false;
    HANDLE arrived = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::string* deferNotice = nullptr;  // set while deferDuring runs
};

namespace {

std::mutex activeMutex;  // guards `active` and what the handler does with it
InterruptWatch::State* active = nullptr;

// Ctrl-C, Ctrl-Break and closing the console are interrupts; TRUE keeps the process running, so
// that the command stops cleanly.
BOOL WINAPI onControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    std::lock_guard lock(activeMutex);
    if (active == nullptr) return FALSE;
    if (!active->raised.exchange(true) && active->deferNotice != nullptr) printMessage(*active->deferNotice + "\n");
    SetEvent(active->arrived);
    return TRUE;
}

void setDeferNotice(InterruptWatch::State& state, const std::string* notice) {
    std::lock_guard lock(activeMutex);
    state.deferNotice = notice;
}

}  // namespace

InterruptWatch::InterruptWatch() : state_(std::make_unique<State>()) {
    {
        std::lock_guard lock(activeMutex);
        active = state_.get();
    }
    SetConsoleCtrlHandler(onControl, TRUE);
}

InterruptWatch::~InterruptWatch() {
    SetConsoleCtrlHandler(onControl, FALSE);
    {
        std::lock_guard lock(activeMutex);
        active = nullptr;
    }
    CloseHandle(state_->arrived);
}

bool InterruptWatch::raised() {
    return state_->raised;
}

void InterruptWatch::wait() {
    WaitForSingleObject(state_->arrived, INFINITE);
}

void InterruptWatch::deferDuring(const std::function<void()>& work, const std::string& notice) {
    setDeferNotice(*state_, &notice);
    try {
        work();
    } catch (...) {
        setDeferNotice(*state_, nullptr);
        throw;
    }
    setDeferNotice(*state_, nullptr);
}

}  // namespace torvik::cli
