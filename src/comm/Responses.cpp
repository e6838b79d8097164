#include "comm/Responses.hpp"

#include "comm/DeviceModels.hpp"
#include "comm/PayloadCodec.hpp"
#include "comm/ReplyErrors.hpp"

namespace devlib_instr {

void FootprintResponse::parsePayload() {
    std::vector<uint8_t> bytes = hexDecode(payload);
    if (bytes.size() != 4) throw replyOutOfRange(msg::decodedDataOutOfRange);
    deviceType = deviceTypeForFootprintKey(ByteReader(bytes).u16());
}

void ReadMemoryResponse::parsePayload() {
    std::vector<uint8_t> bytes = hexDecode(payload);
    if (bytes.size() < 6) throw replyOutOfRange(msg::decodedDataOutOfRange);
    ByteReader reader(bytes);
    reader.skip(4);  // the address, echoed by the device
    uint16_t length = reader.u16();
    if (reader.remaining() != length) throw UnknownReplyException();
    data.assign(reader.position(), reader.position() + length);
}

void WriteMemoryResponse::parsePayload() {
    std::vector<uint8_t> bytes = hexDecode(payload);
    if (bytes.size() != 1) throw replyOutOfRange(msg::decodedDataOutOfRange);
    status = bytes[0];
}

}  // namespace devlib_instr
