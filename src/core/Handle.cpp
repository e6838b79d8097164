#include "core/Handle.hpp"

namespace devlib_instr {

HandleBase::HandleBase() : marker(handleMarker), externalCount(0), block(new ControlBlock), self(this) {}

HandleBase::~HandleBase() {
    marker = 0;
    handle_detail::dropRecord(block);
}

namespace handle_detail {

bool takeUsage(ControlBlock* block) {
    std::lock_guard lock(block->mutex);
    if (block->usage == -1 || block->usage + 1 == -1) return false;
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

HandleBase* addRef(HandleBase* handle) {
    if (handle == nullptr || handle->marker != handleMarker) return handle;
    ++handle->externalCount;
    handle_detail::takeUsage(handle->block);
    return handle;
}

int32_t release(HandleBase* handle) {
    if (handle == nullptr || handle->marker != handleMarker) return 0;
    if (handle->externalCount < 1) return 0;
    --handle->externalCount;
    int32_t left = handle_detail::dropUsage(handle->block);
    if (left == 0) delete handle;
    return left;
}

}  // namespace devlib_instr
