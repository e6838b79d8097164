#include "comm/FirmwareMessage.hpp"

#include <algorithm>
#include <charconv>
#include <utility>

#include "comm/PayloadCodec.hpp"

namespace devlib_instr {

FirmwareMessage::FirmwareMessage(std::u16string description, std::string code)
    : code(std::move(code)), description(std::move(description)) {}

uint8_t FirmwareMessage::checksum(const uint8_t* data, size_t size) {
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum = static_cast<uint8_t>(sum + data[i]);
    return static_cast<uint8_t>(~sum);
}

FirmwareCmdMessage::FirmwareCmdMessage(std::u16string description, std::string code)
    : FirmwareMessage(std::move(description), std::move(code)) {}

void FirmwareCmdMessage::encode() {
    frame.assign(code.begin(), code.end());
    frame.insert(frame.end(), payload.begin(), payload.end());
    std::string digits;
    uint8_t sum = checksum(frame.data(), frame.size());
    hexEncode(&sum, 1, digits);
    frame.insert(frame.end(), digits.begin(), digits.end());
    frame.push_back(terminator);
}

FirmwareResponseMessage::FirmwareResponseMessage(std::u16string description, std::string code, uint32_t expectedLength)
    : FirmwareMessage(std::move(description), std::move(code)), expectedLength(expectedLength) {
    frame.reserve(expectedLength);
}

bool FirmwareResponseMessage::isResponseTo(const std::vector<uint8_t>& head) const {
    return !head.empty() && head.size() >= code.size() && std::equal(code.begin(), code.end(), head.begin());
}

namespace {

// The checksum digits as a hexadecimal number; text that does not parse reads as 0.
uint32_t readChecksumDigits(const uint8_t* digits, size_t count) {
    const char* first = reinterpret_cast<const char*>(digits);
    uint32_t value = 0;
    auto [end, error] = std::from_chars(first, first + count, value, 16);
    return error == std::errc() ? value : 0;
}

}  // namespace

void FirmwareResponseMessage::decode(std::vector<uint8_t>& raw) {
    valid = false;
    if (raw.empty() || raw.size() < checksumLength + 1 + code.size()) return;
    if (!std::equal(code.begin(), code.end(), raw.begin())) return;
    if (raw.back() != terminator) return;
    raw.pop_back();

    size_t checked = raw.size() - checksumLength;
    uint32_t received = readChecksumDigits(raw.data() + checked, checksumLength);
    if (checksum(raw.data(), checked) != (received & 0xFF)) return;

    payload.assign(raw.begin() + static_cast<std::ptrdiff_t>(code.size()),
                   raw.begin() + static_cast<std::ptrdiff_t>(checked));
    valid = true;
    frame = raw;
    parsePayload();
}

void FirmwareResponseMessage::parsePayload() {}

}  // namespace devlib_instr
