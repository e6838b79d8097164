// Configuration slots: a configuration on a device reads and writes the detector's configuration
// as a JSON document carried in byte arrays.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"
#include "config/Configuration.hpp"
#include "core/ByteArray.hpp"
#include "device/Device.hpp"

namespace devlib_instr::api {

namespace {

ConfigurationGuard configuration(InstrConfiguration* handle) {
    return lockHandleOrThrow(fromHost<Configuration>(handle));
}

// A missing byte array is the caller's error: "The API pointer is nullptr" through err.
HandleGuard<ByteArray> byteArray(InstrByteArray* handle) {
    return lockHandleOrThrow(fromHost<ByteArray>(handle));
}

std::string_view textOf(const ByteArray& array) {
    const std::vector<uint8_t>& bytes = array.bytes();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

InstrConfiguration* configurationCreate(InstrDevice* handle) noexcept {
    return createBoundTo<Configuration, Device, InstrConfiguration>(handle);
}

// Option 1 asks for the fingerprint; any other value for the document.
bool configurationRead(InstrConfiguration* handle, InstrByteArray* request, uint32_t option, InstrByteArray* result,
                       InstrError** err) noexcept {
    return guarded(err, false, [&] {
        ConfigurationGuard guard = configuration(handle);
        HandleGuard<ByteArray> requestArray = byteArray(request);
        HandleGuard<ByteArray> resultArray = byteArray(result);
        std::string text;
        if (!guard->d->read(textOf(*requestArray), option, text)) return false;
        resultArray->assign(text.data(), static_cast<uint32_t>(text.size()));
        return true;
    });
}

bool configurationWrite(InstrConfiguration* handle, InstrByteArray* document, InstrError** err) noexcept {
    return guarded(err, false, [&] {
        ConfigurationGuard guard = configuration(handle);
        HandleGuard<ByteArray> documentArray = byteArray(document);
        return guard->d->write(textOf(*documentArray));
    });
}

uint32_t configurationGetErrors(InstrConfiguration* handle, InstrError** list, uint32_t capacity) noexcept {
    return guarded(nullptr, 0u, [&] { return copyErrors(configuration(handle)->d->errors(), list, capacity); });
}

}  // namespace devlib_instr::api
