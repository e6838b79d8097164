// GDC datalog reader slots: creation, references, settings, the run and its outcome.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

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
    quietly([&] { reader(handle)->setDevice(lockHandle(fromHost<Device>(deviceHandle))); });
}

void gdcDatalogReaderSetSectionSelected(InstrGdcDatalogReader* handle, uint32_t option, uint32_t selected) noexcept {
    quietly([&] { reader(handle)->setSectionSelected(static_cast<int32_t>(option), selected != 0); });
}

// A null path counts as none (the start then reports it).
void gdcDatalogReaderSetOutputPath(InstrGdcDatalogReader* handle, const InstrWChar* path) noexcept {
    quietly(
        [&] { reader(handle)->setOutputPath(path != nullptr ? std::u16string(hostText(path)) : std::u16string()); });
}

bool gdcDatalogReaderStart(InstrGdcDatalogReader* handle, InstrError** err) noexcept {
    if (errorPending(err)) return false;
    return guarded(err, false, [&] {
        reader(handle)->start();
        return true;
    });
}

bool gdcDatalogReaderIsFinished(InstrGdcDatalogReader* handle) noexcept {
    return guarded(nullptr, false, [&] { return reader(handle)->isFinished(); });
}

bool gdcDatalogReaderWait(InstrGdcDatalogReader* handle, int32_t timeoutMs) noexcept {
    return guarded(nullptr, false, [&] { return reader(handle)->wait(timeoutMs); });
}

bool gdcDatalogReaderAbort(InstrGdcDatalogReader* handle, InstrError** err) noexcept {
    if (errorPending(err)) return false;
    return guarded(err, false, [&] {
        reader(handle)->abort();
        return true;
    });
}

void gdcDatalogReaderGetProgress(InstrGdcDatalogReader* handle, double* progress) noexcept {
    quietly([&] {
        const double value = reader(handle)->progress();
        if (progress != nullptr) *progress = value;
    });
}

bool gdcDatalogReaderSucceeded(InstrGdcDatalogReader* handle) noexcept {
    return guarded(nullptr, false, [&] { return reader(handle)->succeeded(); });
}

// Writes records for the first min(count, capacity) errors and returns the full count.
uint32_t gdcDatalogReaderGetErrors(InstrGdcDatalogReader* handle, InstrError** list, uint32_t capacity) noexcept {
    return guarded(nullptr, 0u, [&] {
        const std::vector<Error> errors = reader(handle)->errors();
        if (list != nullptr && capacity != 0) {
            const size_t count = std::min<size_t>(errors.size(), capacity);
            for (size_t i = 0; i < count; ++i)
                list[i] = devlib_instr::errorCreate(errors[i].category, errors[i].code, errors[i].message.c_str());
        }
        return static_cast<uint32_t>(errors.size());
    });
}

void gdcDatalogReaderSetTexts(InstrGdcDatalogReader* handle, const InstrWChar* first,
                              const InstrWChar* second) noexcept {
    if (first == nullptr || second == nullptr) return;
    quietly([&] { reader(handle)->setTexts(hostText(first), hostText(second)); });
}

}  // namespace devlib_instr::api
