// Context slots: creation, references, callbacks and the context attribute.
#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"
#include "core/Context.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr::api {

namespace {
Context* context(InstrContext* handle) {
    return fromHost<Context>(handle);
}
}  // namespace

InstrContext* contextCreate(void) noexcept {
    return guarded<InstrContext*>(nullptr, nullptr, [] { return toHost<InstrContext>(new Context); });
}

// The result carries no information; an invalid context is ignored.
int32_t contextSetLogCallback(InstrContext* handle, LogCallback fn, void* user) noexcept {
    ContextGuard guard = lockHandle(context(handle));
    if (guard) guard->setLogCallback(fn, user);
    return 0;
}

int32_t contextSetTextCallback(InstrContext* handle, TextCallback fn, void* user) noexcept {
    ContextGuard guard = lockHandle(context(handle));
    if (guard) guard->setTextCallback(fn, user);
    return 0;
}

// Always 0: the outcome is known only from err.
int32_t contextSetAttribute(InstrContext* handle, uint32_t attribute, const void* value, uint32_t size,
                            InstrError** err) noexcept {
    if (errorPending(err)) return 0;
    guardedVoid(err, [&] {
        if (value == nullptr || size == 0)
            throw Error(ErrorCategory::General, ErrorCode::InvalidArgument, msg::invalidBuffer);
        ContextGuard guard = lockHandleOrThrow(context(handle));
        guard->setAttribute(attribute, value, size);
    });
    return 0;
}

}  // namespace devlib_instr::api
