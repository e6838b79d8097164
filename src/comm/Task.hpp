// Work on a thread of its own while the host keeps control: start it once, poll or wait for its
// end, ask it to stop. A subclass supplies Prepare (checks, on the caller's thread) and Run (the
// work, on the worker thread; it polls IsCanceled and records its own errors), and must call
// CancelAndWait() in its own destructor.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "core/Context.hpp"

namespace devlib_instr {

// The virtual operations are declared in the order of the task's interface table, hence the
// alternating access sections.
class Task {
public:
    enum State : int32_t { NotStarted = 0, Running = 1, Finished = 2 };

    // `value` is kept for the subclass; the task itself does not use it.
    Task(ContextGuard context, uint32_t value);
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    // A task still running is cancelled and waited for (with a DEBUG warning: by now the subclass
    // is gone, so it should have done that itself).
    virtual ~Task();

    // Waits until the task has finished; a negative time-out waits for ever. True when finished;
    // false at once for a task that was never started.
    virtual bool Wait(int64_t timeoutMs);
    virtual bool IsFinished();
    // Runs Prepare, then the worker; returns once the worker is running. Only the first call
    // does anything. Exceptions of Prepare pass out and leave the task not started.
    virtual void Start();
    // Only sets the flag that Run polls.
    virtual void Cancel();

protected:
    // Called with the task's mutex held: must not call Wait or anything else that takes it.
    virtual void Prepare() = 0;
    virtual void Run() = 0;

public:
    virtual bool IsCanceled();
    virtual void CancelAndWait();

    State state();

protected:
    virtual void ThreadMain();

    const ContextGuard& context() const { return context_; }
    uint32_t value() const { return value_; }

private:
    void setState(State next);

    ContextGuard context_;
    uint32_t value_;
    State state_ = NotStarted;  // guarded by mutex_
    std::atomic<bool> cancelRequested_{false};
    std::shared_ptr<std::thread> thread_;
    std::mutex mutex_;
    std::condition_variable condition_;
};

}  // namespace devlib_instr
