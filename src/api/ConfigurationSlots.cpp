// Configuration slots, not built yet: each does no work and reports "not supported" (category 0,
// code 17) through err where it has one. The reference slots are the generic forwards.
#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"

namespace devlib_instr::api {

InstrConfiguration* configurationCreate(InstrDevice*) noexcept { return nullptr; }

InstrConfiguration* configurationAddRef(InstrConfiguration* handle) noexcept { return addRefHost(handle); }

int32_t configurationRelease(InstrConfiguration* handle) noexcept { return releaseHost(handle); }

bool configurationRead(InstrConfiguration*, InstrByteArray*, uint32_t, InstrByteArray*, InstrError** err) noexcept {
    return reportNotSupported(err);
}

bool configurationWrite(InstrConfiguration*, InstrByteArray*, InstrError** err) noexcept {
    return reportNotSupported(err);
}

uint32_t configurationGetErrors(InstrConfiguration*, InstrError**, uint32_t) noexcept { return 0; }

}  // namespace devlib_instr::api
