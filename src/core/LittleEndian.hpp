// Numbers stored least significant byte first, as the detector keeps them in its replies, its
// request payloads and its database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace devlib_instr {

// The unsigned number in the `width` bytes (1 to 4) at `bytes`.
inline uint32_t readLittleEndian(const uint8_t* bytes, size_t width) {
    uint32_t value = 0;
    for (size_t i = width; i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

// Stores the low `width` bytes (1 to 4) of `value` at `bytes`.
inline void writeLittleEndian(uint32_t value, uint8_t* bytes, size_t width) {
    for (size_t i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Appends the low `width` bytes (1 to 4) of `value`.
inline void appendLittleEndian(std::vector<uint8_t>& out, uint32_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace devlib_instr
