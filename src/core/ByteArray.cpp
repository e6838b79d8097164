#include "core/ByteArray.hpp"

#include <cstring>

namespace devlib_instr {

namespace {
const uint8_t* bytesOf(const void* data) {
    return static_cast<const uint8_t*>(data);
}
}  // namespace

ByteArray::ByteArray(const void* data, uint32_t size) {
    if (size > 0) bytes_.assign(bytesOf(data), bytesOf(data) + size);
}

ByteArray::ByteArray(uint32_t capacity) {
    bytes_.reserve(capacity);
}

// The incoming bytes are copied first: the host may pass a pointer into this very array
// (appending an array to itself), which an in-place insert would read after moving it.
void ByteArray::append(const void* data, uint32_t size) {
    if (size == 0) return;
    std::vector<uint8_t> incoming(bytesOf(data), bytesOf(data) + size);
    bytes_.insert(bytes_.end(), incoming.begin(), incoming.end());
}

void ByteArray::prepend(const void* data, uint32_t size) {
    if (size == 0) return;
    std::vector<uint8_t> incoming(bytesOf(data), bytesOf(data) + size);
    bytes_.insert(bytes_.begin(), incoming.begin(), incoming.end());
}

void ByteArray::resize(uint32_t size) {
    bytes_.resize(size, 0);
}

void ByteArray::assign(const void* data, uint32_t size) {
    resize(size);
    if (size > 0 && data != nullptr) std::memcpy(bytes_.data(), data, size);
}

}  // namespace devlib_instr
