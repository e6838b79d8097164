// The worker task: start, wait, cancel and destruction while it runs.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>

#include "comm/Task.hpp"
#include "support/TestContext.hpp"

namespace devlib_instr {
namespace {

// What a test task's Run does, kept outside the task so that it outlives it.
struct Script {
    bool waitForRelease = false;  // Run blocks until released (or cancelled)
    bool throwFromRun = false;

    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool released = false;
    std::atomic<int> runs{0};

    void release() {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
    }
    void awaitEntered() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return entered; });
    }
};

class ScriptedTask : public Task {
public:
    ScriptedTask(ContextGuard context, Script& script, bool cancelInDestructor = true)
        : Task(std::move(context), 3), script_(script), cancelInDestructor_(cancelInDestructor) {}
    ~ScriptedTask() override {
        if (cancelInDestructor_) CancelAndWait();
    }

protected:
    void Prepare() override {}
    void Run() override {
        Script& script = script_;  // the task may be half destroyed while Run waits below
        Task& self = *this;
        ++script.runs;
        std::unique_lock<std::mutex> lock(script.mutex);
        script.entered = true;
        script.changed.notify_all();
        while (script.waitForRelease && !script.released && !self.Task::IsCanceled())
            script.changed.wait_for(lock, std::chrono::milliseconds(1));
        if (script.throwFromRun) throw std::runtime_error("failed");
    }

private:
    Script& script_;
    bool cancelInDestructor_;
};

class TaskTest : public testing::Test {
protected:
    torvik_test::TestContext context;
    Script script;
};

TEST_F(TaskTest, StartReturnsOnceTheWorkerRuns) {
    script.waitForRelease = true;
    ScriptedTask task(context.guard(), script);
    EXPECT_FALSE(task.IsFinished());
    task.Start();
    EXPECT_EQ(task.state(), Task::Running);
    EXPECT_EQ(context.lines(LogLevel::Debug),
              (std::vector<std::u16string>{u"Start: Waiting for the task to be started.", u"Start: Task started."}));
    EXPECT_FALSE(task.Wait(0));
    EXPECT_FALSE(task.Wait(5));
    script.release();
    EXPECT_TRUE(task.Wait(-1));
    EXPECT_TRUE(task.Wait(0));
    EXPECT_TRUE(task.IsFinished());
}

TEST_F(TaskTest, RunsAtMostOnceAndFinishesWhenRunThrows) {
    script.throwFromRun = true;
    ScriptedTask task(context.guard(), script);
    task.Start();
    EXPECT_TRUE(task.Wait(-1));
    task.Start();
    EXPECT_TRUE(task.Wait(-1));
    EXPECT_EQ(task.state(), Task::Finished);
    EXPECT_EQ(script.runs, 1);
}

TEST_F(TaskTest, CancelIsAFlagThatStartClears) {
    script.waitForRelease = true;
    ScriptedTask task(context.guard(), script);
    task.Cancel();
    EXPECT_TRUE(task.IsCanceled());
    task.Start();
    EXPECT_FALSE(task.IsCanceled());
    task.CancelAndWait();
    EXPECT_TRUE(task.IsFinished());
    EXPECT_TRUE(task.IsCanceled());
}

// Without CancelAndWait in the subclass the base cancels, warns and waits; a finished task does not warn.
TEST_F(TaskTest, DestroyingARunningTaskCancelsAndWaits) {
    script.waitForRelease = true;
    for (const bool running : {true, false}) {
        {
            ScriptedTask task(context.guard(), script, false);
            task.Start();
            script.awaitEntered();
            if (!running) {
                script.release();
                task.Wait(-1);
            }
        }
        EXPECT_EQ(context.lines(LogLevel::Debug).back() ==
                      u"Thread not finished! Forgot to call CancelAndWait() in sub-class dtor?",
                  running);
    }
}

}  // namespace
}  // namespace devlib_instr
