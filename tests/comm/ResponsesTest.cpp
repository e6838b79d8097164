// The reply decoders' byte layouts, values and failure texts (odd input is left to the fuzzers).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <tuple>

#include "comm/PayloadCodec.hpp"
#include "comm/ReplyErrors.hpp"
#include "comm/Responses.hpp"
#include "core/Error.hpp"
#include "sim/FrameCodec.hpp"
#include "support/Thrown.hpp"

namespace devlib_instr {
namespace {

using Bytes = std::vector<uint8_t>;

// Decodes a well-formed frame carrying `payload`; parse failures pass out.
void receive(FirmwareResponseMessage& response, const std::string& payload) {
    const std::string text = torvik::sim::encodeFrame(response.code, payload);
    std::vector<uint8_t> raw(text.begin(), text.end());
    response.decode(raw);
    EXPECT_TRUE(response.valid);
}

// The message of the reply error (category 0, code 5) that decoding `payload` raises.
std::u16string replyError(FirmwareResponseMessage& response, const std::string& payload) {
    const Error e = torvik_test::thrown<Error>([&] { receive(response, payload); }).value();
    EXPECT_EQ(std::tuple(e.category, e.code), std::tuple(0u, 5u));
    return e.message;
}

const std::u16string outOfRange = u"Decoded data is out of range";

TEST(Responses, FootprintKeyIsLittleEndian) {
    for (const auto& [payload, deviceType] : {std::pair{"1A05FFFF", 10}, std::pair{"051A0000", 0}}) {
        FootprintResponse response;
        receive(response, payload);
        EXPECT_EQ(response.deviceType, deviceType) << payload;
    }
}

TEST(Responses, MemoryRepliesCarryExactlyTheAnnouncedBytes) {
    ReadMemoryResponse response;
    receive(response, hexEncode({0x45, 0x23, 0x01, 0x00, 0x03, 0x00, 0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(response.data, (Bytes{0xAA, 0xBB, 0xCC}));
    const std::string shortOfOne = "000000001000" + std::string(30, '1');  // length says 16, 15 bytes follow
    ReadMemoryResponse truncated;  // a plain standard exception, not a reply error
    EXPECT_STREQ(torvik_test::thrown<UnknownReplyException>([&] { receive(truncated, shortOfOne); }).value().what(),
                 "Unknown exception");
    WriteMemoryResponse written;
    receive(written, "7F");
    EXPECT_EQ(written.status, 0x7F);
    WriteMemoryResponse halfByte;
    EXPECT_THROW(receive(halfByte, "7"), std::runtime_error);  // hex failures stay standard errors
}

// firmware text (6) + unused (1) + part number (7) + serial (8) + clock hex (12) = 34 characters
std::string helloPayload(const std::string& firmware, uint16_t day, uint32_t second) {
    Bytes clock;
    appendLittleEndian(clock, day, 2);
    appendLittleEndian(clock, second, 4);
    return firmware + "_" + "1234567" + "87654321" + hexEncode(clock);
}

TEST(Responses, HelloFields) {
    struct Case {
        std::string firmware, version;
        uint32_t second;
        int hour, minute, sec;
    };
    for (const Case& c : {Case{"V105ab", "1.5", 3661, 1, 1, 1}, Case{"210xyz", "2.10", 90000, 23, 59, 59}}) {
        HelloResponse response;
        receive(response, helloPayload(c.firmware, 36524 + 59, c.second));
        EXPECT_EQ(response.firmwareVersion, c.version);
        EXPECT_EQ(response.partNumber, "1234567");
        EXPECT_EQ(response.serialNumber, "8765-4321");
        const std::tm& t = response.deviceTime;
        EXPECT_EQ((std::vector<int>{t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_isdst}),
                  (std::vector<int>{100, 1, 29, c.hour, c.minute, c.sec, -1}));
    }
    HelloResponse noNumber;  // a firmware text that is no number leaves as a standard error
    EXPECT_THROW(receive(noNumber, helloPayload("Vxx000", 1, 1)), std::invalid_argument);
}

TEST(Responses, MemoryConfigurationLayouts) {
    GdcDatalogReadMemoryConfigurationResponse current(3);
    receive(current, hexEncode({4, 7, 0x10, 0x00, 0x20, 0x00, 0x30, 0x00, 0x40, 0x01, 0x00, 0x01}));
    const DatalogMemoryConfiguration& c = current.configuration;
    EXPECT_EQ((std::vector<uint32_t>{c.controlVersion, c.versionByte2, c.value0, c.value1, c.value2, c.value3, c.value4,
                                     c.pageSize}),
              (std::vector<uint32_t>{4, 7, 0x10, 0x20, 0, 0x30, 0x140, 256}));
    GdcDatalogReadMemoryConfigurationResponse old(2);
    receive(old, hexEncode({1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 0x00, 0x02}));
    const DatalogMemoryConfiguration& o = old.configuration;
    EXPECT_EQ((std::vector<uint32_t>{o.controlVersion, o.value0, o.value1, o.value2, o.value3, o.value4, o.pageSize}),
              (std::vector<uint32_t>{2, 1, 2, 3, 4, 5, 512}));
}

// A reply without pages (no new data) carries only its header (little-endian), whatever the page size.
TEST(Responses, HeaderOnlyRepliesHoldNoPages) {
    for (uint32_t pageSize : {256u, 0u}) {
        GdcDatalogReadFromBeginningResponse headerOnly(DatalogMemoryConfiguration{.pageSize = pageSize});
        receive(headerOnly, "03412");
        EXPECT_EQ(std::tuple(headerOnly.pageCount, headerOnly.pageHeader, headerOnly.pageData),
                  std::tuple(0u, 0x1234u, Bytes{}));
    }
}

// The reply errors (category 0, code 5) of replies that do not fit their layout.
TEST(Responses, ReplyFailures) {
    using Make = std::function<std::unique_ptr<FirmwareResponseMessage>()>;
    const auto pages = [](uint32_t pageSize) -> Make {
        return [=] {
            return std::make_unique<GdcDatalogReadNewResponse>(DatalogMemoryConfiguration{.pageSize = pageSize});
        };
    };
    const auto memoryConfiguration = [](uint32_t version) -> Make {
        return [=] { return std::make_unique<GdcDatalogReadMemoryConfigurationResponse>(version); };
    };
    const std::string hello = helloPayload("V105ab", 36524, 3661);
    const Make makeHello = [] { return std::make_unique<HelloResponse>(); };
    struct Bad {
        Make make;
        std::string payload;
        std::u16string message;
    };
    const Bad cases[] = {
        {[] { return std::make_unique<FootprintResponse>(); }, "150000", outOfRange},
        {[] { return std::make_unique<ReadMemoryResponse>(); }, "0000000000", outOfRange},
        {[] { return std::make_unique<WriteMemoryResponse>(); }, "0000", outOfRange},
        {[] { return std::make_unique<ReadDeviceStateResponse>(); }, "0000000000", outOfRange},
        {makeHello, hello.substr(0, 33), u"Hello message is out of range"},
        {makeHello, hello + "0", u"Hello message is out of range"},
        {makeHello, hello.substr(0, 30) + "G" + hello.substr(31), u"Bad character."},
        {memoryConfiguration(3), "020000000000000000000001", u"Unexpected memory config control version"},
        {memoryConfiguration(3), "030000", outOfRange},
        {memoryConfiguration(2), "030000", u"The control version is out of range"},
        {pages(4), "", u"Unknown payload encoding"},
        {pages(4), "10000", u"Unknown payload encoding"},
        {pages(4), "0123", u"Malformed input."},
        {pages(4), "0XY", u"Bad character."},
        {pages(4), "2G000", u"Bad character."},
        {pages(4), "0", u"Unexpected header size"},
        {pages(0), "0010000", u"Unexpected header size"},
        {pages(256), "0" + hexEncode(Bytes(513)), u"Unexpected header size"},
    };
    for (const Bad& bad : cases) {
        const auto response = bad.make();
        EXPECT_EQ(replyError(*response, bad.payload), bad.message)
            << response->code << " " << bad.payload.substr(0, 12);
    }
}

}  // namespace
}  // namespace devlib_instr
