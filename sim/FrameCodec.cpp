#include "sim/FrameCodec.hpp"

namespace torvik::sim {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void appendHexByte(std::string& out, uint8_t value) {
    out.push_back(kDigits[value >> 4]);
    out.push_back(kDigits[value & 0x0F]);
}

}  // namespace

uint8_t frameChecksum(std::string_view body) {
    uint8_t sum = 0;
    for (char c : body) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    return static_cast<uint8_t>(~sum);
}

std::string toHex(const Bytes& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) appendHexByte(out, b);
    return out;
}

std::string toHex(uint32_t value, int byteCount) {
    Bytes bytes;
    putLittleEndian(bytes, value, byteCount);
    return toHex(bytes);
}

std::optional<Bytes> fromHex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    Bytes out;
    out.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = nibble(text[i]);
        int low = nibble(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return out;
}

std::string encodeFrame(std::string_view code, std::string_view payload) {
    std::string frame;
    frame.reserve(code.size() + payload.size() + 3);
    frame.append(code).append(payload);
    appendHexByte(frame, frameChecksum(frame));
    frame.push_back(kFrameEnd);
    return frame;
}

std::optional<std::string_view> checkedBody(std::string_view frameWithoutEnd) {
    if (frameWithoutEnd.size() < 3) return std::nullopt;
    std::string_view body = frameWithoutEnd.substr(0, frameWithoutEnd.size() - 2);
    auto digits = fromHex(frameWithoutEnd.substr(body.size()));
    if (!digits || (*digits)[0] != frameChecksum(body)) return std::nullopt;
    return body;
}

std::string standardErrorReply(uint8_t code) {
    std::string reply = "?aq";
    appendHexByte(reply, code);
    reply.push_back(kFrameEnd);
    return reply;
}

void putLittleEndian(Bytes& out, uint32_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t readBigEndian(const Bytes& bytes, size_t offset, int byteCount) {
    uint32_t value = 0;
    for (int i = 0; i < byteCount; ++i) value = value << 8 | bytes.at(offset + static_cast<size_t>(i));
    return value;
}

}  // namespace torvik::sim
