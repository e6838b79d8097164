// The growable byte buffer through which the host passes and receives payloads (JSON documents).
#pragma once

#include <cstdint>
#include <vector>

#include "core/Handle.hpp"

namespace devlib_instr {

class ByteArray : public ExternalRefCountableT<ByteArray> {
public:
    ByteArray() = default;
    ByteArray(const void* data, uint32_t size);
    explicit ByteArray(uint32_t capacity);

    void append(const void* data, uint32_t size);
    void prepend(const void* data, uint32_t size);
    void resize(uint32_t size);
    // Resizes to size and copies size bytes from data over the content (when data is non-null).
    void assign(const void* data, uint32_t size);

    // Null while the array has never held memory (no capacity reserved, nothing stored).
    uint8_t* data() { return bytes_.capacity() == 0 ? nullptr : bytes_.data(); }
    uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace devlib_instr
