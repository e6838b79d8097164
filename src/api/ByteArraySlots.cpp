// Byte-array slots. Slots 20-24 cannot fail on a valid array: a failure inside them (memory
// exhausted while growing) ends the process, as the entries are noexcept. An invalid array, or a
// null data pointer with a non-zero size, leaves everything unchanged.
#include "api/ApiBoundary.hpp"
#include "api/Slots.hpp"
#include "core/ByteArray.hpp"

namespace devlib_instr::api {

namespace {

// The largest capacity the creation entry honours: the size limit of a 32-bit build.
constexpr uint32_t maxCapacity = 0x7FFFFFFF;

HandleGuard<ByteArray> lockArray(InstrByteArray* handle) {
    return lockHandle(fromHost<ByteArray>(handle));
}

bool readable(const void* data, uint32_t size) {
    return data != nullptr || size == 0;
}

}  // namespace

InstrByteArray* byteArrayCreateFromData(const void* data, uint32_t size) noexcept {
    if (!readable(data, size)) return nullptr;
    return guarded<InstrByteArray*>(nullptr, nullptr,
                                    [&] { return toHost<InstrByteArray>(new ByteArray(data, size)); });
}

// A capacity the library cannot reserve (above maxCapacity, or memory exhausted) gives null.
InstrByteArray* byteArrayCreate(uint32_t capacity) noexcept {
    if (capacity > maxCapacity) return nullptr;
    return guarded<InstrByteArray*>(nullptr, nullptr, [&] { return toHost<InstrByteArray>(new ByteArray(capacity)); });
}

// The results of append, prepend and resize carry no information.
int32_t byteArrayAppend(InstrByteArray* handle, const void* data, uint32_t size) noexcept {
    HandleGuard<ByteArray> array = lockArray(handle);
    if (array && readable(data, size)) array->append(data, size);
    return 0;
}

int32_t byteArrayPrepend(InstrByteArray* handle, const void* data, uint32_t size) noexcept {
    HandleGuard<ByteArray> array = lockArray(handle);
    if (array && readable(data, size)) array->prepend(data, size);
    return 0;
}

int32_t byteArrayResize(InstrByteArray* handle, uint32_t size) noexcept {
    HandleGuard<ByteArray> array = lockArray(handle);
    if (array) array->resize(size);
    return 0;
}

uint8_t* byteArrayData(InstrByteArray* handle) noexcept {
    HandleGuard<ByteArray> array = lockArray(handle);
    return array ? array->data() : nullptr;
}

uint32_t byteArraySize(InstrByteArray* handle) noexcept {
    HandleGuard<ByteArray> array = lockArray(handle);
    return array ? array->size() : 0;
}

}  // namespace devlib_instr::api
