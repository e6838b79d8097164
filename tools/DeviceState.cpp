#include "DeviceState.hpp"

#include <array>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "ErrorReport.hpp"

namespace torvik::cli {

namespace {

constexpr uint32_t replyTimeoutMs = 500;
constexpr int attempts = 3;
constexpr size_t stateWordOffset = 56;

// The one's complement of the 8-bit sum of code and payload, as two upper-case hex digits.
std::string checksumDigits(std::string_view body) {
    unsigned sum = 0;
    for (char c : body) sum += static_cast<unsigned char>(c);
    std::array<char, 3> digits{};
    std::snprintf(digits.data(), digits.size(), "%02X", ~sum & 0xFFu);
    return digits.data();
}

// One frame up to its CR (without it); none when the line stays silent.
std::optional<std::string> readFrame(devlib_instr::AbstractUartInterface& link) {
    std::string frame;
    uint8_t byte = 0;
    while (link.read(&byte, 1, replyTimeoutMs) == 1) {
        if (byte == devlib_instr::line::frameEnd) return frame;
        frame += static_cast<char>(byte);
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> hexBytes(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        if (std::sscanf(std::string(text.substr(i, 2)).c_str(), "%2x", &value) != 1) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

uint32_t littleEndianWord(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// The state of an "ai" reply frame (without CR); none when it is not one or does not check.
std::optional<DeviceState> parseReply(std::string_view frame) {
    if (frame.size() < 4 || !frame.starts_with("ai")) return std::nullopt;
    std::string_view body = frame.substr(0, frame.size() - 2);
    if (frame.substr(frame.size() - 2) != checksumDigits(body)) return std::nullopt;
    auto record = hexBytes(body.substr(2));
    if (!record || record->size() < stateWordOffset + 4) return std::nullopt;
    return DeviceState{static_cast<int32_t>(littleEndianWord(*record, stateWordOffset)),
                       (littleEndianWord(*record, 0) & 1u) != 0};
}

std::optional<DeviceState> exchange(devlib_instr::AbstractUartInterface& link) {
    const std::string request = "AI" + checksumDigits("AI");
    link.discardInput(0);
    std::string frame = request + static_cast<char>(devlib_instr::line::frameEnd);
    link.write(reinterpret_cast<const uint8_t*>(frame.data()), static_cast<uint32_t>(frame.size()));
    std::optional<std::string> reply = readFrame(link);
    if (reply == request) reply = readFrame(link);  // a half-duplex line echoes the request
    return reply ? parseReply(*reply) : std::nullopt;
}

}  // namespace

std::string DeviceState::name() const {
    if (word == 9) return "on";
    if (switchedOff()) return "switched off";
    return "state " + std::to_string(word);
}

DeviceState readDeviceState(devlib_instr::AbstractUartInterface& link, const std::string& port) {
    const uint32_t restingRate = link.baudRate;
    link.baudRate = devlib_instr::line::exchangeBaudRate;  // the detector answers frames at the exchange rate only
    link.setBaudRate(devlib_instr::line::exchangeBaudRate);
    std::optional<DeviceState> state;
    try {
        for (int attempt = 0; attempt < attempts && !state; ++attempt) state = exchange(link);
        link.baudRate = restingRate;
        link.setBaudRate(restingRate);
    } catch (const devlib_instr::CommInterface::CommError&) {
        throw ToolFailure("the serial port " + port + " went away while reading the device state");
    }
    if (!state) throw ToolFailure("no valid reply from the detector on " + port + " to the device state request");
    return *state;
}

}  // namespace torvik::cli
