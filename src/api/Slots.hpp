// Declarations of every slot function, generated from the slot list of the public header. Each
// family defines its slots in its own file (GeneralSlots.cpp, ContextSlots.cpp, ...).
#pragma once

#include "torvik/instrument_api.h"

namespace devlib_instr::api {

#define TORVIK_DECLARE_SLOT_(index, name, result, params) result name params noexcept;
#define TORVIK_IGNORE_SLOT_(...)
INSTR_API_SLOTS(TORVIK_DECLARE_SLOT_, TORVIK_IGNORE_SLOT_, TORVIK_IGNORE_SLOT_, TORVIK_IGNORE_SLOT_)
#undef TORVIK_DECLARE_SLOT_
#undef TORVIK_IGNORE_SLOT_

// The host's reference operations, one function for every family's add-reference and release
// slot (HandleSlots.cpp): they work on any handle.
void* handleAddRef(void* handle) noexcept;
int32_t handleRelease(void* handle) noexcept;

// The not-supported slots of one category: no work, a new code-17 record with an empty message.
template <uint32_t Category>
InstrError* notSupported() noexcept;

}  // namespace devlib_instr::api
