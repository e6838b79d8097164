// GDC datalog reader slots, not built yet: each does no work and reports "not supported"
// (category 0, code 17) through err where it has one. The reference slots are the generic forwards.
#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"

namespace devlib_instr::api {

InstrGdcDatalogReader* gdcDatalogReaderCreate(InstrContext*) noexcept { return nullptr; }

InstrGdcDatalogReader* gdcDatalogReaderAddRef(InstrGdcDatalogReader* handle) noexcept { return addRefHost(handle); }

int32_t gdcDatalogReaderRelease(InstrGdcDatalogReader* handle) noexcept { return releaseHost(handle); }

void gdcDatalogReaderSetDevice(InstrGdcDatalogReader*, InstrDevice*) noexcept {}

void gdcDatalogReaderSetSectionSelected(InstrGdcDatalogReader*, uint32_t, uint32_t) noexcept {}

void gdcDatalogReaderSetOutputPath(InstrGdcDatalogReader*, const InstrWChar*) noexcept {}

bool gdcDatalogReaderStart(InstrGdcDatalogReader*, InstrError** err) noexcept {
    if (errorPending(err)) return false;
    return reportNotSupported(err);
}

bool gdcDatalogReaderIsFinished(InstrGdcDatalogReader*) noexcept { return false; }

bool gdcDatalogReaderWait(InstrGdcDatalogReader*, int32_t) noexcept { return false; }

bool gdcDatalogReaderAbort(InstrGdcDatalogReader*, InstrError** err) noexcept {
    if (errorPending(err)) return false;
    return reportNotSupported(err);
}

void gdcDatalogReaderGetProgress(InstrGdcDatalogReader*, double*) noexcept {}

bool gdcDatalogReaderSucceeded(InstrGdcDatalogReader*) noexcept { return false; }

uint32_t gdcDatalogReaderGetErrors(InstrGdcDatalogReader*, InstrError**, uint32_t) noexcept { return 0; }

void gdcDatalogReaderSetTexts(InstrGdcDatalogReader*, const InstrWChar*, const InstrWChar*) noexcept {}

}  // namespace devlib_instr::api
