// The add-reference and release slots of every family (context, byte array, device, reader,
// configuration): one function each, since the handle operations do not depend on the family.
#include "api/Slots.hpp"
#include "core/Handle.hpp"

namespace devlib_instr::api {

// Handles reach the host as pointers to their HandleBase part (see toHost).
void* handleAddRef(void* handle) noexcept {
    return addRef(static_cast<HandleBase*>(handle));
}

int32_t handleRelease(void* handle) noexcept {
    return release(static_cast<HandleBase*>(handle));
}

}  // namespace devlib_instr::api
