#include "core/Handle.hpp"

#include <limits>

namespace devlib_instr {

HandleBase::HandleBase() : marker(handleMarker), externalCount(0), block(new ControlBlock), self(this) {}

HandleBase::~HandleBase() {
    marker = 0;
    handle_detail::dropRecord(block);
}

namespace handle_detail {

bool takeUsage(ControlBlock* block) {
    std::lock_guard lock(block->mutex);
    if (block->usage == -1 || block->usage == std::numeric_limits<int32_t>::max()) return false;
    ++block->usage;
    ++block->records;
    return true;
}

int32_t dropUsage(ControlBlock* block) {
    int32_t usage;
    int32_t records;
    {
        std::lock_guard lock(block->mutex);
        usage = --block->usage;
        records = --block->records;
        if (usage == 0) block->usage = -1;
    }
    if (records == 0) delete block;
    return usage;
}

void dropRecord(ControlBlock* block) {
    int32_t records;
    {
        std::lock_guard lock(block->mutex);
        records = --block->records;
    }
    if (records == 0) delete block;
}

}  // namespace handle_detail

// The external count only counts references that hold a usage, so a release can never drop a
// usage that was not taken.
HandleBase* addRef(HandleBase* handle) {
    if (!isMarkedHandle(handle)) return handle;
    if (handle_detail::takeUsage(handle->block)) ++handle->externalCount;
    return handle;
}

// The handle's fields are left in place while its usage is dropped: a call still running on
// another thread keeps its own usage (and record) on the block, so it can neither see the block
// vanish nor destroy the object twice; only the thread whose drop reaches 0 destroys it.
int32_t release(HandleBase* handle) {
    if (!isMarkedHandle(handle)) return 0;
    if (handle->externalCount < 1) return 0;
    --handle->externalCount;
    int32_t left = handle_detail::dropUsage(handle->block);
    if (left == 0) delete handle;
    return left;
}

}  // namespace devlib_instr
