#include "comm/HelloResponse.hpp"

#include <stdexcept>

#include "comm/PayloadCodec.hpp"
#include "comm/ReplyErrors.hpp"
#include "core/ByteDecoding.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {

constexpr size_t helloPayloadLength = 34;

// The decimal value as std::stoi reads it. Text that is not a number leaves as std::invalid_argument
// with one text on every platform (libstdc++ would say only "stoi"); one or two digits are never
// out of range.
int decimalOf(const std::string& digits) {
    try {
        return std::stoi(digits);
    } catch (const std::invalid_argument&) {
        throw std::invalid_argument(msg::invalidStoiArgument);
    }
}

// "V105..." and "105..." both read as 1.5: one digit of major, two of minor, after an optional V.
std::string firmwareVersionOf(const std::string& text) {
    size_t at = text[0] == 'V' ? 1 : 0;
    int major = decimalOf(text.substr(at, 1));
    int minor = decimalOf(text.substr(at + 1, 2));
    return std::to_string(major) + "." + std::to_string(minor);
}

}  // namespace

void HelloResponse::parsePayload() {
    if (payload.size() != helloPayloadLength) throw replyOutOfRange(msg::helloOutOfRange);
    partNumber = payload.substr(7, 7);
    firmwareVersion = firmwareVersionOf(payload.substr(0, 6));
    serialNumber = payload.substr(14, 4) + "-" + payload.substr(18, 4);

    std::vector<uint8_t> clock;
    try {
        clock = hexDecode(std::string_view(payload).substr(22, 12));
    } catch (const std::runtime_error& e) {
        throw replyOutOfRange(widen(e.what()));
    }
    ByteReader reader(clock);
    uint16_t day = reader.u16();
    uint32_t second = reader.u32();
    dayNumberToCalendar(day, second, &deviceTime);
}

}  // namespace devlib_instr
