// Declarations of every slot function, generated from the slot list of the public header. Each
// family defines its slots in its own file (GeneralSlots.cpp, ContextSlots.cpp, ...).
#pragma once

#include "torvik/instrument_api.h"

namespace devlib_instr::api {

#define TORVIK_DECLARE_SLOT_(index, name, result, params) result name params noexcept;
#define TORVIK_IGNORE_SLOT_(...)
INSTR_API_SLOTS(TORVIK_DECLARE_SLOT_, TORVIK_IGNORE_SLOT_, TORVIK_IGNORE_SLOT_)
#undef TORVIK_DECLARE_SLOT_
#undef TORVIK_IGNORE_SLOT_

// The not-supported slots of one category: no work, a new code-17 record with an empty message.
template <uint32_t Category>
InstrError* notSupported() noexcept;

}  // namespace devlib_instr::api
