// The detector's frame primitives: checksum, hexadecimal text and the standard error reply.
// A frame is code + payload + two upper-case checksum digits + CR; the checksum is the one's
// complement of the 8-bit sum of code and payload.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvik::sim {

using Bytes = std::vector<uint8_t>;

constexpr char kFrameEnd = '\r';

uint8_t frameChecksum(std::string_view body);

// Upper-case hexadecimal text of the bytes, high nibble first.
std::string toHex(const Bytes& bytes);
std::string toHex(uint32_t value, int byteCount);  // little-endian byte order, as in replies

// Bytes of a hexadecimal text; none when the length is odd or a character is no hex digit.
std::optional<Bytes> fromHex(std::string_view text);

// code + payload + checksum digits + CR.
std::string encodeFrame(std::string_view code, std::string_view payload);

// The body (code + payload) of a received frame without its CR when its checksum digits match;
// none otherwise (too short, non-hex digits or a wrong sum).
std::optional<std::string_view> checkedBody(std::string_view frameWithoutEnd);

// "?aq" + the code as two hex digits + CR.
std::string standardErrorReply(uint8_t code);

// Little-endian number helpers for building records.
void putLittleEndian(Bytes& out, uint32_t value, int byteCount);
uint32_t readBigEndian(const Bytes& bytes, size_t offset, int byteCount);

}  // namespace torvik::sim
