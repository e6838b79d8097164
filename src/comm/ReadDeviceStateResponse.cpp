#include "comm/ReadDeviceStateResponse.hpp"

#include "comm/PayloadCodec.hpp"
#include "comm/ReplyErrors.hpp"

namespace devlib_instr {

namespace {

// The single-bit values (1, 2, 4, ... 2^31) set in word.
void fillBits(std::set<uint32_t>& bits, uint32_t word) {
    bits.clear();
    for (uint32_t i = 0; i < 32; ++i)
        if ((word >> i & 1) != 0) bits.insert(uint32_t{1} << i);
}

}  // namespace

void ReadDeviceStateResponse::parsePayload() {
    std::vector<uint8_t> bytes = hexDecode(payload);
    if (bytes.size() < 6) throw replyOutOfRange(msg::decodedDataOutOfRange);
    // A record that ends early raises "Insufficient data." from the reader.
    ByteReader reader(bytes);
    fillBits(flagsA, reader.u32());
    fillBits(flagsB, reader.u32());
    reader.skip(16);
    for (Channel& channel : channels) {
        fillBits(channel.setFlags1, reader.u32());
        fillBits(channel.setFlags2, reader.u32());
    }
    reader.skip(16);
    stateWord = reader.u32();
    reader.skip(8);
    for (Channel& channel : channels) {
        channel.value1 = reader.u16();
        channel.value2 = reader.u16();
    }
    reader.skip(8);
    reader.skip(4);  // read, not used
    deviceState = reader.u8();
    reader.skip(1);  // read, not used
}

}  // namespace devlib_instr
