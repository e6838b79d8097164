#include "comm/Task.hpp"

#include <chrono>
#include <utility>

#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

Task::Task(ContextGuard context, uint32_t value) : context_(std::move(context)), value_(value) {}

Task::~Task() {
    State current = state();
    if (current != Finished) {
        if (current == Running) context_->log(LogLevel::Debug, msg::taskNotFinished);
        // The base versions: the subclass part is already gone.
        Task::Cancel();
        Task::Wait(-1);
    }
    if (thread_ && thread_->joinable()) thread_->join();
}

Task::State Task::state() {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

bool Task::IsFinished() {
    return state() == Finished;
}

bool Task::IsCanceled() {
    return cancelRequested_;
}

void Task::Cancel() {
    cancelRequested_ = true;
}

void Task::CancelAndWait() {
    Cancel();
    Wait(-1);
}

void Task::Start() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (state_ != NotStarted) return;
    cancelRequested_ = false;
    Prepare();
    thread_ = std::make_shared<std::thread>([this] { ThreadMain(); });
    context_->log(LogLevel::Debug, msg::taskWaitingForStart);
    condition_.wait(lock, [this] { return state_ != NotStarted; });
    context_->log(LogLevel::Debug, msg::taskStarted);
}

bool Task::Wait(int64_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (state_ == NotStarted) return false;
    auto finished = [this] { return state_ == Finished; };
    if (timeoutMs < 0) {
        condition_.wait(lock, finished);
    } else {
        condition_.wait_until(lock, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs), finished);
    }
    return state_ == Finished;
}

void Task::setState(State next) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = next;
    }
    condition_.notify_all();
}

void Task::ThreadMain() {
    setState(Running);
    try {
        Run();
    } catch (...) {
        // The subclass records its own errors; nothing may leave the worker thread.
    }
    setState(Finished);
}

}  // namespace devlib_instr
