// Error-record slots: thin forwards to the record operations, which never raise.
#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"
#include "core/ErrorRecord.hpp"

namespace devlib_instr::api {

InstrError* errorCreate(uint32_t category, uint32_t code, const InstrWChar* message) noexcept {
    return devlib_instr::errorCreate(category, code, hostText(message));
}

void errorDelete(InstrError* e) noexcept {
    devlib_instr::errorDelete(e);
}

void errorFree(InstrError** pe) noexcept {
    devlib_instr::errorFree(pe);
}

void errorSet(InstrError** out, uint32_t category, uint32_t code, const InstrWChar* message) noexcept {
    devlib_instr::errorSet(out, category, code, hostText(message));
}

void errorPass(InstrError** out, InstrError* e) noexcept {
    devlib_instr::errorPass(out, e);
}

void errorPrependText(InstrError** pe, const InstrWChar* text) noexcept {
    devlib_instr::errorPrependText(pe, hostText(text));
}

void errorPassWithText(InstrError** out, InstrError* e, const InstrWChar* text) noexcept {
    devlib_instr::errorPassWithText(out, e, hostText(text));
}

// The same operation as errorFree.
void errorDeleteAndClear(InstrError** pe) noexcept {
    devlib_instr::errorFree(pe);
}

}  // namespace devlib_instr::api
