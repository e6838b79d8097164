// Device slots, not built yet: each does no work and reports "not supported" (category 0,
// code 17) through err where it has one. deviceAddRef/deviceRelease are the generic forwards.
#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"

namespace devlib_instr::api {

InstrDevice* deviceCreate(InstrContext*) noexcept { return nullptr; }

InstrDevice* deviceAddRef(InstrDevice* handle) noexcept { return addRefHost(handle); }

int32_t deviceRelease(InstrDevice* handle) noexcept { return releaseHost(handle); }

bool deviceIsOpen(InstrDevice*) noexcept { return false; }

bool deviceOpen(InstrDevice*, const char*, InstrError** err) noexcept {
    if (errorPending(err)) return false;
    return reportNotSupported(err);
}

void deviceClose(InstrDevice*) noexcept {}

InstrError* deviceWriteContainer(void*, InstrDevice*) noexcept { return notSupported<2>(); }

bool deviceClearGdcDatalog(InstrDevice*, InstrError** err) noexcept { return reportNotSupported(err); }

}  // namespace devlib_instr::api
