// Handle lifetime rules: external references, usages held by calls and internal owners, and the
// object dying exactly once on its last usage, whichever thread drops it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <limits>
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

class Other : public ExternalRefCountableT<Other> {};

TEST(Handle, FirstReleaseDestroysAndFreshHandleIgnoresRelease) {
    std::atomic<int> deaths{0};
    auto* fresh = new Probe(deaths);
    EXPECT_EQ(release(fresh), 0);  // external count 0: nothing happens
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(addRef(fresh), fresh);
    EXPECT_EQ(release(fresh), 0);
    EXPECT_EQ(deaths, 1);
}

TEST(Handle, TwoReferencesNeedTwoReleases) {
    std::atomic<int> deaths{0};
    auto* probe = new Probe(deaths);
    addRef(probe);
    addRef(probe);
    EXPECT_EQ(release(probe), 1);
    EXPECT_TRUE(lockHandle(probe));
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(release(probe), 0);
    EXPECT_EQ(deaths, 1);
}

TEST(Handle, InvalidHandlesAreIgnored) {
    uint32_t garbage[16] = {};
    auto* foreign = reinterpret_cast<Probe*>(garbage);
    EXPECT_EQ(addRef(nullptr), nullptr);
    EXPECT_EQ(release(nullptr), 0);
    EXPECT_EQ(addRef(foreign), foreign);
    EXPECT_EQ(release(foreign), 0);
    EXPECT_FALSE(lockHandle<Probe>(nullptr));
    EXPECT_FALSE(lockHandle(foreign));
    EXPECT_THROW(lockHandleOrThrow(foreign), Error);
}

TEST(Handle, HandleOfAnotherFamilyDoesNotResolve) {
    auto* other = new Other;
    addRef(other);
    EXPECT_FALSE(lockHandle(reinterpret_cast<Probe*>(static_cast<HandleBase*>(other))));
    try {
        lockHandleOrThrow(reinterpret_cast<Probe*>(static_cast<HandleBase*>(other)));
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.category, 0u);
        EXPECT_EQ(e.code, 1u);
        EXPECT_EQ(e.message, u"The API pointer is nullptr");
    }
    EXPECT_TRUE(lockHandle(other));
    EXPECT_EQ(release(other), 0);
}

TEST(Handle, CallInProgressOutlivesTheHostsRelease) {
    std::atomic<int> deaths{0};
    auto* probe = new Probe(deaths);
    addRef(probe);
    HandleGuard<Probe> call = lockHandle(probe);
    HandleGuard<Probe> copy = call;  // a copy is one more usage
    EXPECT_EQ(release(probe), 2);
    call.reset();
    EXPECT_EQ(deaths, 0);
    copy.reset();
    EXPECT_EQ(deaths, 1);
}

TEST(Handle, UnreferencedObjectDiesWithItsOnlyUsage) {
    std::atomic<int> deaths{0};
    auto* probe = new Probe(deaths);
    lockHandle(probe).reset();  // a call before the host's first addRef
    EXPECT_EQ(deaths, 1);
}

TEST(HandleBlock, DeadOrSaturatedBlockGivesNoUsage) {
    auto* block = new ControlBlock;
    block->records = 2;  // keeps the block through the drops below
    block->usage = std::numeric_limits<int32_t>::max();
    EXPECT_FALSE(handle_detail::takeUsage(block));
    block->usage = 1;
    EXPECT_EQ(handle_detail::dropUsage(block), 0);
    EXPECT_EQ(block->usage, -1);
    EXPECT_FALSE(handle_detail::takeUsage(block));
    handle_detail::dropRecord(block);  // last record: frees the block (checked by the leak checker)
}

// Several threads hold usages while the host releases on another; whichever thread drops the
// last usage destroys the object, exactly once.
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
