// The worker task: start, wait, cancel and destruction while it runs.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "comm/Task.hpp"
#include "support/TestContext.hpp"

namespace devlib_instr {
namespace {

// What a test task's Run does, kept outside the task so that it outlives it.
struct Script {
    std::atomic<bool> block{false};  // Run waits until released (or cancelled)
    std::atomic<bool> fail{false};   // Run throws
    std::atomic<bool> entered{false};
    std::atomic<bool> released{false};
    std::atomic<int> runs{0};

    void awaitEntered() const {
        while (!entered) std::this_thread::yield();
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
        script.entered = true;
        while (script.block && !script.released && !self.Task::IsCanceled()) std::this_thread::yield();
        if (script.fail) throw std::runtime_error("failed");
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

TEST_F(TaskTest, StartClearsACancelAndReturnsOnceTheWorkerRuns) {
    script.block = true;
    ScriptedTask task(context.guard(), script);
    task.Cancel();  // only a flag before the start
    EXPECT_FALSE(task.IsFinished());
    task.Start();
    EXPECT_FALSE(task.IsCanceled());
    EXPECT_EQ(task.state(), Task::Running);
    EXPECT_EQ(context.lines(LogLevel::Debug),
              (std::vector<std::u16string>{u"Start: Waiting for the task to be started.", u"Start: Task started."}));
    EXPECT_FALSE(task.Wait(0));
    EXPECT_FALSE(task.Wait(5));
    task.CancelAndWait();
    EXPECT_TRUE(task.IsFinished());
    EXPECT_TRUE(task.IsCanceled());
    EXPECT_TRUE(task.Wait(0));
}

TEST_F(TaskTest, RunsAtMostOnceAndFinishesWhenRunThrows) {
    script.fail = true;
    ScriptedTask task(context.guard(), script);
    task.Start();
    EXPECT_TRUE(task.Wait(-1));
    task.Start();
    EXPECT_TRUE(task.Wait(-1));
    EXPECT_EQ(task.state(), Task::Finished);
    EXPECT_EQ(script.runs, 1);
}

// Without CancelAndWait in the subclass the base cancels, warns and waits; a task that ran to its
// end (Wait(-1) returns then) does not warn.
TEST_F(TaskTest, DestroyingARunningTaskCancelsAndWaits) {
    script.block = true;
    for (const bool running : {true, false}) {
        {
            ScriptedTask task(context.guard(), script, false);
            task.Start();
            script.awaitEntered();
            if (!running) {
                script.released = true;
                EXPECT_TRUE(task.Wait(-1));
            }
        }
        EXPECT_EQ(context.lines(LogLevel::Debug).back() ==
                      u"Thread not finished! Forgot to call CancelAndWait() in sub-class dtor?",
                  running);
    }
}

}  // namespace
}  // namespace devlib_instr
