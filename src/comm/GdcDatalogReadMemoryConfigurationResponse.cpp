#include "comm/GdcDatalogReadMemoryConfigurationResponse.hpp"

#include "comm/PayloadCodec.hpp"
#include "comm/ReplyErrors.hpp"

namespace devlib_instr {

namespace {

constexpr size_t recordSize = 12;
// From this version on the record starts with its version bytes.
constexpr uint32_t versionedRecord = 3;

}  // namespace

GdcDatalogReadMemoryConfigurationResponse::GdcDatalogReadMemoryConfigurationResponse(uint32_t expectedVersion) {
    configuration.controlVersion = expectedVersion;
}

void GdcDatalogReadMemoryConfigurationResponse::parsePayload() {
    std::vector<uint8_t> bytes = hexDecode(payload);
    ByteReader reader(bytes);
    DatalogMemoryConfiguration& c = configuration;
    if (c.controlVersion < versionedRecord) {
        if (bytes.size() != recordSize) throw replyOutOfRange(msg::controlVersionOutOfRange);
        for (uint32_t* value : {&c.value0, &c.value1, &c.value2, &c.value3, &c.value4, &c.pageSize})
            *value = reader.u16();
        return;
    }
    if (bytes.size() != recordSize) throw replyOutOfRange(msg::decodedDataOutOfRange);
    if (bytes[0] < c.controlVersion) throw replyOutOfRange(msg::unexpectedControlVersion);
    c.controlVersion = reader.u8();
    c.versionByte2 = reader.u8();
    // A versioned record has no third page count: value2 stays 0.
    for (uint32_t* value : {&c.value0, &c.value1, &c.value3, &c.value4, &c.pageSize}) *value = reader.u16();
}

}  // namespace devlib_instr
