// Fuzzes the decoding of every structured device reply. Input: byte 0 picks the response, byte 1
// the datalog page size and expected control version, the rest is the payload. The payload is
// framed with a correct checksum (so parsing runs) and is also offered as a raw frame. Decoding
// may reject the input with the library's exceptions; anything else is a finding.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "comm/FirmwareMessage.hpp"
#include "comm/Responses.hpp"

namespace {

using namespace devlib_instr;

std::unique_ptr<FirmwareResponseMessage> makeResponse(uint8_t kind, uint8_t shape) {
    DatalogMemoryConfiguration configuration;
    configuration.pageSize = shape & 0x0F ? 1u << (shape & 0x0F) >> 1 : 0;  // 0, 1, 2, 4 ... 16384
    uint32_t expectedVersion = shape >> 6;                                  // 0..3
    const std::vector<std::function<std::unique_ptr<FirmwareResponseMessage>()>> makers{
        [] { return std::make_unique<HelloResponse>(); },
        [] { return std::make_unique<ReadDeviceStateResponse>(); },
        [] { return std::make_unique<FootprintResponse>(); },
        [] { return std::make_unique<ReadMemoryResponse>(); },
        [] { return std::make_unique<WriteMemoryResponse>(); },
        [&] { return std::make_unique<GdcDatalogReadMemoryConfigurationResponse>(expectedVersion); },
        [&] { return std::make_unique<GdcDatalogReadFromBeginningResponse>(configuration); },
        [&] { return std::make_unique<GdcDatalogReadNewResponse>(configuration); },
        [] { return std::make_unique<ConnectResponse>(); },
    };
    return makers[kind % makers.size()]();
}

void decodeQuietly(FirmwareResponseMessage& response, std::vector<uint8_t> raw) {
    try {
        response.decode(raw);
    } catch (const std::exception&) {
        // A rejected reply: what the handler passes on to its caller.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    std::vector<uint8_t> payload(data + 2, data + size);

    std::unique_ptr<FirmwareResponseMessage> framed = makeResponse(data[0], data[1]);
    std::vector<uint8_t> frame(framed->code.begin(), framed->code.end());
    frame.insert(frame.end(), payload.begin(), payload.end());
    static constexpr char digits[] = "0123456789ABCDEF";
    uint8_t sum = FirmwareMessage::checksum(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(digits[sum >> 4]));
    frame.push_back(static_cast<uint8_t>(digits[sum & 0x0F]));
    frame.push_back(0x0D);
    decodeQuietly(*framed, frame);

    std::unique_ptr<FirmwareResponseMessage> raw = makeResponse(data[0], data[1]);
    decodeQuietly(*raw, payload);
    return 0;
}
