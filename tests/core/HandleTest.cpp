// Handle lifetime rules the table cannot show: usages held by calls on several threads (and copies
// taken after the host's release) outlive that release, and the object dies exactly once on its
// last usage, whichever thread drops it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "core/Handle.hpp"

namespace devlib_instr {
namespace {

// A handle class that counts its destructions.
class Probe : public ExternalRefCountableT<Probe> {
public:
    explicit Probe(std::atomic<int>& deaths) : deaths_(deaths) {}
    ~Probe() override { deaths_.fetch_add(1); }

private:
    std::atomic<int>& deaths_;
};

// A release beyond the host's references changes nothing: the object stays alive for the owner
// that still holds it (as a device holds its context) and dies once, with that owner's usage.
TEST(HandleOwnership, ReleaseBeyondTheHostsReferencesChangesNothing) {
    std::atomic<int> deaths{0};
    auto* probe = new Probe(deaths);
    addRef(probe);
    HandleGuard<Probe> owner = lockHandle(probe);
    EXPECT_EQ(release(probe), 1);
    EXPECT_EQ(release(probe), 0);
    EXPECT_EQ(deaths.load(), 0);
    EXPECT_TRUE(lockHandle(probe));
    owner.reset();
    EXPECT_EQ(deaths.load(), 1);
}

TEST(HandleConcurrency, ReleaseWhileOtherThreadsHoldUsages) {
    constexpr int rounds = 200;
    constexpr int workers = 4;
    for (int round = 0; round < rounds; ++round) {
        std::atomic<int> deaths{0};
        std::atomic<int> locked{0};
        std::atomic<bool> released{false};
        auto* probe = new Probe(deaths);
        addRef(probe);
        std::vector<std::thread> threads;
        for (int w = 0; w < workers; ++w) {
            threads.emplace_back([&] {
                HandleGuard<Probe> usage = lockHandle(probe);
                EXPECT_TRUE(usage);
                locked.fetch_add(1);
                while (!released.load()) std::this_thread::yield();
                HandleGuard<Probe> more = usage;  // take and drop more usages after the release
                EXPECT_TRUE(more);
                EXPECT_EQ(deaths.load(), 0);
            });
        }
        while (locked.load() < workers) std::this_thread::yield();
        EXPECT_GT(release(probe), 0);
        released.store(true);
        for (auto& t : threads) t.join();
        EXPECT_EQ(deaths.load(), 1);
    }
}

}  // namespace
}  // namespace devlib_instr
