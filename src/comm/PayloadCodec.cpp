#include "comm/PayloadCodec.hpp"

#include <stdexcept>

#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

int nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    throw std::runtime_error(msg::badCharacter);
}

}  // namespace

void hexEncode(const uint8_t* data, size_t size, std::string& out) {
    out.reserve(out.size() + 2 * size);
    for (size_t i = 0; i < size; ++i) {
        out.push_back(hexDigits[data[i] >> 4]);
        out.push_back(hexDigits[data[i] & 0x0F]);
    }
}

std::string hexEncode(const std::vector<uint8_t>& bytes) {
    std::string out;
    hexEncode(bytes.data(), bytes.size(), out);
    return out;
}

void hexDecode(std::string_view text, std::vector<uint8_t>& out) {
    if (text.size() % 2 != 0) throw std::runtime_error(msg::malformedInput);
    out.reserve(out.size() + text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2)
        out.push_back(static_cast<uint8_t>(nibble(text[i]) << 4 | nibble(text[i + 1])));
}

std::vector<uint8_t> hexDecode(std::string_view text) {
    std::vector<uint8_t> out;
    hexDecode(text, out);
    return out;
}

uint8_t takeFirstByte(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) throw std::runtime_error(msg::insufficientData);
    return bytes.front();
}

const uint8_t* ByteReader::need(size_t count) {
    if (remaining() < count) throw std::runtime_error(msg::insufficientData);
    const uint8_t* at = position_;
    position_ += count;
    return at;
}

uint8_t ByteReader::u8() {
    return *need(1);
}

uint16_t ByteReader::u16() {
    return static_cast<uint16_t>(readLittleEndian(need(2), 2));
}

uint32_t ByteReader::u32() {
    return readLittleEndian(need(4), 4);
}

void ByteReader::skip(size_t count) {
    need(count);
}

void appendBigEndian(std::vector<uint8_t>& out, uint32_t value, size_t bytes) {
    for (size_t i = bytes; i-- > 0;) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace devlib_instr
