// GDC datalog reader slots: creation, references, settings, the run and its outcome.
#include <string>
#include <utility>

#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"
#include "core/Context.hpp"
#include "device/Device.hpp"
#include "device/GdcDatalogReader.hpp"

namespace devlib_instr::api {

namespace {

GdcDatalogReaderGuard reader(InstrGdcDatalogReader* handle) {
    return lockHandleOrThrow(fromHost<GdcDatalogReader>(handle));
}

// Entries without an error parameter: failures (an invalid reader among them) are swallowed.
template <class Work>
void quietly(Work&& work) {
    guardedVoid(nullptr, std::forward<Work>(work));
}

}  // namespace

InstrGdcDatalogReader* gdcDatalogReaderCreate(InstrContext* handle) noexcept {
    return createBoundTo<GdcDatalogReader, Context, InstrGdcDatalogReader>(handle);
}

// An invalid device leaves the reader without one.
void gdcDatalogReaderSetDevice(InstrGdcDatalogReader* handle, InstrDevice* deviceHandle) noexcept {
    quietly([&] { reader(handle)->d->setDevice(lockHandle(fromHost<Device>(deviceHandle))); });
}

// Options: 0 skip measurement data, 1 skip event data, 2 skip debug data, 3 read everything from
// the beginning instead of only the new part; other numbers have no effect.
void gdcDatalogReaderSetSectionSelected(InstrGdcDatalogReader* handle, uint32_t option, uint32_t selected) noexcept {
    quietly([&] { reader(handle)->d->setSectionSelected(static_cast<int32_t>(option), selected != 0); });
}

// A null path counts as none (the start then reports it).
void gdcDatalogReaderSetOutputPath(InstrGdcDatalogReader* handle, const InstrWChar* path) noexcept {
    quietly(
        [&] { reader(handle)->d->setOutputPath(path != nullptr ? std::u16string(hostText(path)) : std::u16string()); });
}

bool gdcDatalogReaderStart(InstrGdcDatalogReader* handle, InstrError** err) noexcept {
    if (errorPending(err)) return false;
    return guarded(err, false, [&] {
        reader(handle)->d->Start();
        return true;
    });
}

bool gdcDatalogReaderIsFinished(InstrGdcDatalogReader* handle) noexcept {
    return guarded(nullptr, false, [&] { return reader(handle)->d->IsFinished(); });
}

bool gdcDatalogReaderWait(InstrGdcDatalogReader* handle, int32_t timeoutMs) noexcept {
    return guarded(nullptr, false, [&] { return reader(handle)->d->Wait(timeoutMs); });
}

bool gdcDatalogReaderAbort(InstrGdcDatalogReader* handle, InstrError** err) noexcept {
    if (errorPending(err)) return false;
    return guarded(err, false, [&] {
        reader(handle)->d->Cancel();
        return true;
    });
}

void gdcDatalogReaderGetProgress(InstrGdcDatalogReader* handle, double* progress) noexcept {
    quietly([&] {
        const double value = reader(handle)->d->progress();
        if (progress != nullptr) *progress = value;
    });
}

bool gdcDatalogReaderSucceeded(InstrGdcDatalogReader* handle) noexcept {
    return guarded(nullptr, false, [&] { return reader(handle)->d->succeeded(); });
}

uint32_t gdcDatalogReaderGetErrors(InstrGdcDatalogReader* handle, InstrError** list, uint32_t capacity) noexcept {
    return guarded(nullptr, 0u, [&] { return copyErrors(reader(handle)->d->errors(), list, capacity); });
}

void gdcDatalogReaderSetTexts(InstrGdcDatalogReader* handle, const InstrWChar* first,
                              const InstrWChar* second) noexcept {
    if (first == nullptr || second == nullptr) return;
    quietly([&] { reader(handle)->d->setTexts(hostText(first), hostText(second)); });
}

}  // namespace devlib_instr::api
