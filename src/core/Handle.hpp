// Handles: objects the host holds by raw pointer, kept alive by usage counts.
//
// Every handle object carries a marker (0xDEADBEEF while alive), the host's external count and a
// ControlBlock with two counts under a mutex: `usage` (API calls in progress, internal owners and
// the host's references; -1 once the object is dead) and `records` (holders of a pointer to the
// block; the block is freed when it reaches 0). The object is destroyed by whoever drops its last
// usage, so a host may release a handle while another thread is still inside a call on it.
#pragma once

#include <cstdint>
#include <mutex>
#include <utility>

#include "core/Error.hpp"

namespace devlib_instr {

constexpr uint32_t handleMarker = 0xDEADBEEF;

struct ControlBlock {
    int32_t usage = 0;
    int32_t records = 1;
    std::mutex mutex;
};

// Non-template part of every handle class. Handle pointers handed to the host point at this base.
class HandleBase {
public:
    HandleBase();
    HandleBase(const HandleBase&) = delete;
    HandleBase& operator=(const HandleBase&) = delete;
    virtual ~HandleBase();

    uint32_t marker;
    int32_t externalCount;
    ControlBlock* block;
    HandleBase* self;
};

// Base of every handle class T (CRTP keeps the host's view typed).
template <class T>
class ExternalRefCountableT : public HandleBase {};

namespace handle_detail {
// Takes one usage on the block; false when the object is dead (or the count would overflow).
bool takeUsage(ControlBlock* block);
// Drops one usage and one record; frees the block when no record remains. Returns the usage
// left (0: the caller must destroy the object).
int32_t dropUsage(ControlBlock* block);
// Drops one record (no usage); frees the block when no record remains.
void dropRecord(ControlBlock* block);
}  // namespace handle_detail

// A usage of a handle object: what an API call or an internal owner holds. Empty when the handle
// was invalid or dead.
template <class T>
class HandleGuard {
public:
    HandleGuard() = default;
    HandleGuard(ControlBlock* block, T* object) : block_(block), object_(object) {}
    HandleGuard(const HandleGuard& other) { copyFrom(other); }
    HandleGuard(HandleGuard&& other) noexcept
        : block_(std::exchange(other.block_, nullptr)), object_(std::exchange(other.object_, nullptr)) {}
    HandleGuard& operator=(HandleGuard other) noexcept {
        std::swap(block_, other.block_);
        std::swap(object_, other.object_);
        return *this;
    }
    ~HandleGuard() { reset(); }

    void reset() {
        ControlBlock* block = std::exchange(block_, nullptr);
        T* object = std::exchange(object_, nullptr);
        if (block == nullptr) return;
        if (handle_detail::dropUsage(block) == 0 && object != nullptr) delete object;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    void copyFrom(const HandleGuard& other) {
        if (other.block_ == nullptr || !handle_detail::takeUsage(other.block_)) return;
        block_ = other.block_;
        object_ = other.object_;
    }

    ControlBlock* block_ = nullptr;
    T* object_ = nullptr;
};

// True when h points at a live handle object. The host may pass any pointer, so the marker is
// read without the sanitizer's dynamic-type check (which would itself flag a foreign pointer).
#if defined(__GNUC__) || defined(__clang__)
#define TORVIK_NO_SANITIZE_VPTR __attribute__((no_sanitize("vptr")))
#else
#define TORVIK_NO_SANITIZE_VPTR
#endif
TORVIK_NO_SANITIZE_VPTR inline bool isMarkedHandle(const HandleBase* h) {
    return h != nullptr && h->marker == handleMarker;
}

// Resolves a handle for use: an empty guard for null, unmarked or dead handles, and for a live
// handle of another family (a device passed where a context is expected), which would otherwise
// be used as the wrong class. An empty guard holds no block, so no block is allocated for it.
template <class T>
HandleGuard<T> lockHandle(T* handle) {
    auto* base = reinterpret_cast<HandleBase*>(handle);
    if (!isMarkedHandle(base)) return {};
    T* object = dynamic_cast<T*>(base->self);
    ControlBlock* block = base->block;
    if (object == nullptr || block == nullptr || !handle_detail::takeUsage(block)) return {};
    return HandleGuard<T>(block, object);
}

// As lockHandle, but an empty result raises Error(0, 1, "The API pointer is nullptr").
template <class T>
HandleGuard<T> lockHandleOrThrow(T* handle);

// The host's reference operations; they work on any handle class. Neither touches a handle that
// does not carry the marker. release returns the usages left; the object is destroyed by whoever
// drops the last usage (here when no call is in progress, else at the end of the last call).
HandleBase* addRef(HandleBase* handle);
int32_t release(HandleBase* handle);

}  // namespace devlib_instr

#include "core/MessageCatalogue.hpp"

namespace devlib_instr {
template <class T>
HandleGuard<T> lockHandleOrThrow(T* handle) {
    HandleGuard<T> guard = lockHandle(handle);
    if (!guard) throw Error(ErrorCategory::General, ErrorCode::InvalidArgument, msg::apiPointerIsNull);
    return guard;
}
}  // namespace devlib_instr
