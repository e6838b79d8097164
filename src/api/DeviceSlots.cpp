// Device slots: creation, references, opening and closing the serial link, the GDC datalog clear.
#include <string>
#include <utility>

#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"
#include "core/Context.hpp"
#include "core/MessageCatalogue.hpp"
#include "device/Device.hpp"

namespace devlib_instr::api {

namespace {
Device* device(InstrDevice* handle) {
    return fromHost<Device>(handle);
}
}  // namespace

InstrDevice* deviceCreate(InstrContext* handle) noexcept {
    return createBoundTo<Device, Context, InstrDevice>(handle);
}

bool deviceIsOpen(InstrDevice* handle) noexcept {
    DeviceGuard guard = lockHandle(device(handle));
    return guard && guard->isOpen();
}

// True only for a live device whose port opened; an invalid handle gives false and no record.
bool deviceOpen(InstrDevice* handle, const char* port, InstrError** err) noexcept {
    if (errorPending(err)) return false;
    if (handle == nullptr || port == nullptr || *port == '\0') {
        devlib_instr::errorSet(err, static_cast<uint32_t>(ErrorCategory::General),
                               static_cast<uint32_t>(ErrorCode::InvalidArgument), msg::invalidArgument);
        return false;
    }
    return guarded(err, false, [&] {
        DeviceGuard guard = lockHandle(device(handle));
        if (!guard) return false;
        guard->open(std::string(port));
        return true;
    });
}

void deviceClose(InstrDevice* handle) noexcept {
    guardedVoid(nullptr, [&] {
        DeviceGuard guard = lockHandle(device(handle));
        if (guard) guard->close();
    });
}

// Firmware containers cannot be written to a Torvik: the refusal is logged through the device's
// context (when the device is valid) and returned as the category-2 not-supported record.
InstrError* deviceWriteContainer(void*, InstrDevice* handle) noexcept {
    guardedVoid(nullptr, [&] {
        DeviceGuard guard = lockHandle(device(handle));
        if (guard) guard->context()->log(LogLevel::Error, msg::writingToContainerNotSupported);
    });
    return notSupported<static_cast<uint32_t>(ErrorCategory::InstrDevice)>();
}

// An invalid or dead device is reported as "The API pointer is nullptr" (category 0, code 1).
bool deviceClearGdcDatalog(InstrDevice* handle, InstrError** err) noexcept {
    return guarded(err, false, [&] {
        DeviceGuard guard = lockHandleOrThrow(device(handle));
        guard->clearGdcDatalog();
        return true;
    });
}

}  // namespace devlib_instr::api
