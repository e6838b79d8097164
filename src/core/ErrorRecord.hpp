// The host-owned error records (InstrError) and the operations of the error slots.
#pragma once

#include <cstdint>

#include "torvik/instrument_api.h"

namespace devlib_instr {

// All of these never raise. A record's message is a heap copy owned by the record.
InstrError* errorCreate(uint32_t category, uint32_t code, const char16_t* message);
void errorDelete(InstrError* e);
void errorFree(InstrError** pe);
void errorSet(InstrError** out, uint32_t category, uint32_t code, const char16_t* message);
void errorPass(InstrError** out, InstrError* e);
void errorPrependText(InstrError** pe, const char16_t* text);
void errorPassWithText(InstrError** out, InstrError* e, const char16_t* text);

}  // namespace devlib_instr
