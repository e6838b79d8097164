// Text primitives shared by the messages: hexadecimal payload text and little-endian numbers in
// decoded replies. Failures are std::runtime_error with fixed texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/LittleEndian.hpp"

namespace devlib_instr {

// Appends two upper-case hexadecimal digits per byte, high nibble first.
void hexEncode(const uint8_t* data, size_t size, std::string& out);
std::string hexEncode(const std::vector<uint8_t>& bytes);

// Appends one byte per digit pair (0-9, A-F, a-f). Odd length: "Malformed input."; any other
// character: "Bad character.".
void hexDecode(std::string_view text, std::vector<uint8_t>& out);
std::vector<uint8_t> hexDecode(std::string_view text);

// The first byte; "Insufficient data." when there is none.
uint8_t takeFirstByte(const std::vector<uint8_t>& bytes);

// Reads little-endian numbers from a byte range, front to back; every read past the end raises
// "Insufficient data." and leaves the position where it was.
class ByteReader {
public:
    ByteReader(const uint8_t* begin, const uint8_t* end) : position_(begin), end_(end) {}
    explicit ByteReader(const std::vector<uint8_t>& bytes) : ByteReader(bytes.data(), bytes.data() + bytes.size()) {}

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    void skip(size_t count);

    size_t remaining() const { return static_cast<size_t>(end_ - position_); }
    const uint8_t* position() const { return position_; }

private:
    const uint8_t* need(size_t count);

    const uint8_t* position_;
    const uint8_t* end_;
};

// Lays a number out most significant byte first for request payloads (appendLittleEndian, the
// other order, is in core/LittleEndian.hpp).
void appendBigEndian(std::vector<uint8_t>& out, uint32_t value, size_t bytes);

}  // namespace devlib_instr
