#include "core/ByteArray.hpp"

#include <cstring>

namespace devlib_instr {

namespace {
const uint8_t* bytesOf(const void* data) { return static_cast<const uint8_t*>(data); }
}  // namespace

ByteArray::ByteArray(const void* data, uint32_t size) {
    if (size > 0) bytes_.assign(bytesOf(data), bytesOf(data) + size);
}

ByteArray::ByteArray(uint32_t capacity) { bytes_.reserve(capacity); }

void ByteArray::append(const void* data, uint32_t size) {
    if (size > 0) bytes_.insert(bytes_.end(), bytesOf(data), bytesOf(data) + size);
}

void ByteArray::prepend(const void* data, uint32_t size) {
    if (size > 0) bytes_.insert(bytes_.begin(), bytesOf(data), bytesOf(data) + size);
}

void ByteArray::resize(uint32_t size) { bytes_.resize(size, 0); }

void ByteArray::assign(const void* data, uint32_t size) {
    resize(size);
    if (size > 0 && data != nullptr) std::memcpy(bytes_.data(), data, size);
}

}  // namespace devlib_instr
