// The entry conventions every slot shares, written once: the boundary that turns failures into
// error records, the "error already pending" test, and handle resolution.
#pragma once

#include <utility>
#include <vector>

#include "core/Error.hpp"
#include "core/ErrorRecord.hpp"
#include "core/Handle.hpp"
#include "torvik/instrument_api.h"

namespace devlib_instr::api {

// The library's class behind a host handle type.
template <class T, class Host>
T* fromHost(Host* handle) {
    return reinterpret_cast<T*>(handle);
}
template <class Host, class T>
Host* toHost(T* object) {
    return reinterpret_cast<Host*>(static_cast<HandleBase*>(object));
}

inline const char16_t* hostText(const InstrWChar* text) {
    return reinterpret_cast<const char16_t*>(text);
}

// True when the caller still holds an unhandled error record; such entries then do nothing.
inline bool errorPending(InstrError** err) {
    return err != nullptr && *err != nullptr;
}

// Inside a catch block: stores the record of the exception in flight in *err (when err is
// non-null). Error → its own category, code and message; another standard exception → category 0,
// code 20 and its what() text; anything else → category 0, code 20, "An internal error occurred.".
void reportCaughtException(InstrError** err) noexcept;

// Runs `work` inside the boundary: a failure is reported through err (see reportCaughtException)
// and `failed` is returned.
template <class Result, class Work>
Result guarded(InstrError** err, Result failed, Work&& work) noexcept {
    try {
        return std::forward<Work>(work)();
    } catch (...) {
        reportCaughtException(err);
    }
    return failed;
}

// The same for entries that return nothing.
template <class Work>
void guardedVoid(InstrError** err, Work&& work) noexcept {
    guarded(err, 0, [&] {
        std::forward<Work>(work)();
        return 0;
    });
}

// The error-list slots (72, 107): records for the first min(count, capacity) errors go into
// list (when it is non-null), and the full count is returned.
uint32_t copyErrors(const std::vector<Error>& errors, InstrError** list, uint32_t capacity);

// The creation entries of objects bound to a parent (a device to its context, a reader to its
// context, a configuration to its device): the new object keeps a usage of the parent. Null for an
// invalid or dead parent, or when memory runs out.
template <class Object, class Parent, class HostObject, class HostParent>
HostObject* createBoundTo(HostParent* parent) noexcept {
    return guarded<HostObject*>(nullptr, nullptr, [&]() -> HostObject* {
        HandleGuard<Parent> guard = lockHandle(fromHost<Parent>(parent));
        if (!guard) return nullptr;
        return toHost<HostObject>(new Object(std::move(guard)));
    });
}

}  // namespace devlib_instr::api
