#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "FakeUart.hpp"
#include "comm/DeviceTypeTable.hpp"
#include "comm/PayloadCodec.hpp"
#include "comm/Responses.hpp"
#include "core/Error.hpp"

namespace devlib_instr {
namespace {

using testing_support::frameOf;

// Decodes a well-formed frame carrying `payload`; parse failures pass out.
void receive(FirmwareResponseMessage& response, const std::string& payload) {
    std::string text = frameOf(response.code, payload);
    std::vector<uint8_t> raw(text.begin(), text.end());
    response.decode(raw);
    EXPECT_TRUE(response.valid);
}

void expectReplyError(const std::function<void()>& parse, const std::u16string& message) {
    try {
        parse();
        ADD_FAILURE() << "no exception";
    } catch (const Error& e) {
        EXPECT_EQ(e.category, 0u);
        EXPECT_EQ(e.code, 5u);
        EXPECT_EQ(e.message, message);
    }
}

std::string hexOf(const std::vector<uint8_t>& bytes) {
    return hexEncode(bytes);
}

// ---- Simple replies -----------------------------------------------------------------------

TEST(Responses, AcknowledgementsIgnoreTheirPayload) {
    ConnectResponse response;
    receive(response, "FFzz");
    EXPECT_EQ(response.payload, "FFzz");
}

// A known model whose byte-swapped key is unknown, so that the byte order shows.
uint16_t knownKeyWithUnknownSwap() {
    for (uint32_t key = 0; key <= 0xFFFF; ++key) {
        auto swapped = static_cast<uint16_t>(key >> 8 | (key & 0xFF) << 8);
        if (deviceTypeForFootprintKey(static_cast<uint16_t>(key)) != 0 && deviceTypeForFootprintKey(swapped) == 0)
            return static_cast<uint16_t>(key);
    }
    return 0;
}

TEST(Responses, FootprintKeyIsLittleEndian) {
    uint16_t key = knownKeyWithUnknownSwap();
    ASSERT_NE(key, 0) << "the device-type table knows no model";
    std::vector<uint8_t> low{static_cast<uint8_t>(key & 0xFF), static_cast<uint8_t>(key >> 8), 0xFF, 0xFF};
    FootprintResponse known;
    receive(known, hexOf(low));
    EXPECT_EQ(known.deviceType, deviceTypeForFootprintKey(key));
    FootprintResponse swapped;
    receive(swapped, hexOf({low[1], low[0], 0, 0}));
    EXPECT_EQ(swapped.deviceType, 0);
    for (const char* wrong : {"150000", "1500000000", ""}) {
        FootprintResponse response;
        expectReplyError([&] { receive(response, wrong); }, u"Decoded data is out of range");
    }
}

TEST(Responses, ReadMemoryCarriesExactlyTheAnnouncedBytes) {
    std::vector<uint8_t> bytes{0x45, 0x23, 0x01, 0x00, 0x03, 0x00, 0xAA, 0xBB, 0xCC};
    ReadMemoryResponse response;
    receive(response, hexOf(bytes));
    EXPECT_EQ(response.data, (std::vector<uint8_t>{0xAA, 0xBB, 0xCC}));

    std::vector<uint8_t> shortOfOne{0, 0, 0, 0, 0x10, 0x00};
    shortOfOne.resize(6 + 15, 0x11);  // length says 16, 15 bytes follow
    ReadMemoryResponse truncated;
    try {
        receive(truncated, hexOf(shortOfOne));
        FAIL() << "no exception";
    } catch (const Error&) {
        FAIL() << "a plain standard exception is expected";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Unknown exception");
    }
    ReadMemoryResponse tiny;
    expectReplyError([&] { receive(tiny, "0000000000"); }, u"Decoded data is out of range");
}

TEST(Responses, WriteMemoryStatusIsOneByte) {
    WriteMemoryResponse response;
    receive(response, "7F");
    EXPECT_EQ(response.status, 0x7F);
    WriteMemoryResponse twoBytes;
    expectReplyError([&] { receive(twoBytes, "0000"); }, u"Decoded data is out of range");
}

TEST(Responses, HexFailuresOfSimpleRepliesStayStandardErrors) {
    WriteMemoryResponse response;
    EXPECT_THROW(receive(response, "7"), std::runtime_error);
}

// ---- Hello --------------------------------------------------------------------------------

// firmware text (6) + unused (1) + part number (7) + serial (8) + clock hex (12) = 34 characters
std::string helloPayload(const std::string& firmware, uint16_t day, uint32_t second) {
    std::vector<uint8_t> clock;
    appendLittleEndian(clock, day, 2);
    appendLittleEndian(clock, second, 4);
    return firmware + "_" + "1234567" + "87654321" + hexOf(clock);
}

struct HelloCase {
    const char* name;
    std::string firmware;
    uint16_t day;
    uint32_t second;
    std::string version;
    int year, month, mday, hour, minute, sec;
};

class HelloReply : public testing::TestWithParam<HelloCase> {};

TEST_P(HelloReply, Parses) {
    const HelloCase& c = GetParam();
    HelloResponse response;
    receive(response, helloPayload(c.firmware, c.day, c.second));
    EXPECT_EQ(response.firmwareVersion, c.version);
    EXPECT_EQ(response.partNumber, "1234567");
    EXPECT_EQ(response.serialNumber, "8765-4321");
    const std::tm& t = response.deviceTime;
    EXPECT_EQ(t.tm_year + 1900, c.year);
    EXPECT_EQ(t.tm_mon + 1, c.month);
    EXPECT_EQ(t.tm_mday, c.mday);
    EXPECT_EQ(t.tm_hour, c.hour);
    EXPECT_EQ(t.tm_min, c.minute);
    EXPECT_EQ(t.tm_sec, c.sec);
    EXPECT_EQ(t.tm_isdst, -1);
}

INSTANTIATE_TEST_SUITE_P(Cases, HelloReply,
                         testing::Values(HelloCase{"VPrefixed", "V105ab", 36524, 3661, "1.5", 2000, 1, 1, 1, 1, 1},
                                         HelloCase{"Plain", "210xyz", 36524, 3661, "2.10", 2000, 1, 1, 1, 1, 1},
                                         HelloCase{"SecondsClamped", "300000", 36524, 90000, "3.0", 2000, 1, 1, 23, 59,
                                                   59},
                                         HelloCase{"DayZero", "V00000", 0, 0, "0.0", 1900, 1, 1, 0, 0, 0},
                                         HelloCase{"LeapDay", "199---", 36524 + 59, 0, "1.99", 2000, 2, 29, 0, 0, 0},
                                         HelloCase{"LastDay", "V1234-", 65535, 86399, "1.23", 2079, 6, 6, 23, 59, 59}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Responses, HelloLengthAndClockFailures) {
    std::string good = helloPayload("V105ab", 36524, 3661);
    for (const std::string& wrong : {good.substr(0, 33), good + "0"}) {
        HelloResponse response;
        expectReplyError([&] { receive(response, wrong); }, u"Hello message is out of range");
    }
    std::string badClock = good;
    badClock[30] = 'G';
    HelloResponse response;
    expectReplyError([&] { receive(response, badClock); }, u"Bad character.");
}

TEST(Responses, HelloFirmwareThatIsNoNumberLeavesAsStandardError) {
    HelloResponse response;
    EXPECT_THROW(receive(response, helloPayload("Vxx000", 1, 1)), std::invalid_argument);
}

// ---- Device state -------------------------------------------------------------------------

std::vector<uint8_t> stateRecord() {
    std::vector<uint8_t> record(90, 0);
    auto put = [&](size_t at, uint32_t value, size_t size) {
        for (size_t i = 0; i < size; ++i) record[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    put(0, 0x80000005, 4);
    put(4, 0x00000100, 4);
    put(8, 0xFFFFFFFF, 4);  // not used
    put(24, 0x2, 4);
    put(28, 0x0, 4);
    put(32, 0x1, 4);
    put(36, 0x40000000, 4);
    put(56, 0x01020309, 4);
    put(68, 0x1234, 2);
    put(70, 0x0001, 2);
    put(72, 0xFFFF, 2);
    put(74, 0x8000, 2);
    put(88, 0x5A, 1);
    return record;
}

TEST(Responses, DeviceStateRecordOffsets) {
    ReadDeviceStateResponse response;
    response.flagsB = {8};  // stale content is cleared
    receive(response, hexOf(stateRecord()));
    EXPECT_EQ(response.flagsA, (std::set<uint32_t>{1, 4, 0x80000000}));
    EXPECT_EQ(response.flagsB, (std::set<uint32_t>{0x100}));
    EXPECT_EQ(response.channels[0].setFlags1, (std::set<uint32_t>{2}));
    EXPECT_TRUE(response.channels[0].setFlags2.empty());
    EXPECT_EQ(response.channels[1].setFlags1, (std::set<uint32_t>{1}));
    EXPECT_EQ(response.channels[1].setFlags2, (std::set<uint32_t>{0x40000000}));
    EXPECT_EQ(response.stateWord, 0x01020309u);
    EXPECT_EQ(response.channels[0].value1, 0x1234u);
    EXPECT_EQ(response.channels[0].value2, 1u);
    EXPECT_EQ(response.channels[1].value1, 0xFFFFu);
    EXPECT_EQ(response.channels[1].value2, 0x8000u);
    EXPECT_EQ(response.deviceState, 0x5A);
}

TEST(Responses, DeviceStateShortRecords) {
    ReadDeviceStateResponse tiny;
    expectReplyError([&] { receive(tiny, "0000000000"); }, u"Decoded data is out of range");
    std::vector<uint8_t> record = stateRecord();
    record.resize(89);  // the last byte is missing
    ReadDeviceStateResponse truncated;
    try {
        receive(truncated, hexOf(record));
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Insufficient data.");
    }
}

// ---- Datalog memory configuration ---------------------------------------------------------

TEST(Responses, MemoryConfigurationVersion3) {
    std::vector<uint8_t> record{3, 7, 0x10, 0x00, 0x20, 0x00, 0x30, 0x00, 0x40, 0x01, 0x00, 0x01};
    GdcDatalogReadMemoryConfigurationResponse response(3);
    EXPECT_EQ(response.configuration.controlVersion, 3u);
    receive(response, hexOf(record));
    const DatalogMemoryConfiguration& c = response.configuration;
    EXPECT_EQ(c.controlVersion, 3u);
    EXPECT_EQ(c.versionByte2, 7u);
    EXPECT_EQ(c.value0, 0x10u);
    EXPECT_EQ(c.value1, 0x20u);
    EXPECT_EQ(c.value2, 0u);
    EXPECT_EQ(c.value3, 0x30u);
    EXPECT_EQ(c.value4, 0x140u);
    EXPECT_EQ(c.pageSize, 256u);

    record[0] = 4;  // newer than required: accepted
    GdcDatalogReadMemoryConfigurationResponse newer(3);
    receive(newer, hexOf(record));
    EXPECT_EQ(newer.configuration.controlVersion, 4u);
}

TEST(Responses, MemoryConfigurationOldRecord) {
    std::vector<uint8_t> record{1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 0x00, 0x02};
    GdcDatalogReadMemoryConfigurationResponse response(2);
    receive(response, hexOf(record));
    const DatalogMemoryConfiguration& c = response.configuration;
    EXPECT_EQ(c.value0, 1u);
    EXPECT_EQ(c.value1, 2u);
    EXPECT_EQ(c.value2, 3u);
    EXPECT_EQ(c.value3, 4u);
    EXPECT_EQ(c.value4, 5u);
    EXPECT_EQ(c.pageSize, 512u);
    EXPECT_EQ(c.controlVersion, 2u);
}

TEST(Responses, MemoryConfigurationFailures) {
    std::vector<uint8_t> version2{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    GdcDatalogReadMemoryConfigurationResponse tooOld(3);
    expectReplyError([&] { receive(tooOld, hexOf(version2)); }, u"Unexpected memory config control version");
    GdcDatalogReadMemoryConfigurationResponse shortNew(3);
    expectReplyError([&] { receive(shortNew, hexOf({3, 0, 0})); }, u"Decoded data is out of range");
    GdcDatalogReadMemoryConfigurationResponse shortOld(2);
    expectReplyError([&] { receive(shortOld, hexOf({3, 0, 0})); }, u"The control version is out of range");
}

// ---- Datalog pages ------------------------------------------------------------------------

DatalogMemoryConfiguration pagesOf(uint32_t pageSize) {
    DatalogMemoryConfiguration c;
    c.pageSize = pageSize;
    return c;
}

TEST(Responses, HexPagesAreCountedByPageSize) {
    std::vector<uint8_t> bytes(514);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    bytes[0] = 0x34;
    bytes[1] = 0x12;
    GdcDatalogReadNewResponse response(pagesOf(256));
    receive(response, "0" + hexOf(bytes));
    EXPECT_EQ(response.pageCount, 2u);
    EXPECT_EQ(response.pageHeader, 0x1234u);
    EXPECT_EQ(response.pageData, std::vector<uint8_t>(bytes.begin() + 2, bytes.end()));

    bytes.pop_back();
    GdcDatalogReadNewResponse uneven(pagesOf(256));
    expectReplyError([&] { receive(uneven, "0" + hexOf(bytes)); }, u"Unexpected header size");
}

TEST(Responses, HeaderOnlyReplyHasNoPages) {
    for (uint32_t pageSize : {256u, 0u}) {
        GdcDatalogReadFromBeginningResponse response(pagesOf(pageSize));
        receive(response, "00100");
        EXPECT_EQ(response.pageCount, 0u);
        EXPECT_EQ(response.pageHeader, 1u);
        EXPECT_TRUE(response.pageData.empty());
    }
    GdcDatalogReadFromBeginningResponse zeroPageSize(pagesOf(0));
    expectReplyError([&] { receive(zeroPageSize, "0010000"); }, u"Unexpected header size");
}

std::string substituted(std::initializer_list<uint8_t> raw) {
    return std::string(raw.begin(), raw.end());
}

TEST(Responses, SubstitutionEncodedPages) {
    // Header 0x01, 0x02: 0x01 stands for 0x00 and 0x02 for 0x0D, everything else passes.
    GdcDatalogReadNewResponse response(pagesOf(4));
    receive(response, "2" + std::string("0500") + substituted({0x01, 0x02, 0x41, 0x01, 0x02, 0xFF}));
    EXPECT_EQ(response.pageHeader, 5u);
    EXPECT_EQ(response.pageData, (std::vector<uint8_t>{0x41, 0x00, 0x0D, 0xFF}));
    EXPECT_EQ(response.pageCount, 1u);

    // Equal header bytes: that byte stands for 0x0D.
    GdcDatalogReadNewResponse equalKeys(pagesOf(2));
    receive(equalKeys, "20000" + substituted({0x07, 0x07, 0x07, 0x08}));
    EXPECT_EQ(equalKeys.pageData, (std::vector<uint8_t>{0x0D, 0x08}));
}

TEST(Responses, SubstitutionBlocksHold253Bytes) {
    std::vector<uint8_t> raw{0x01, 0x02};
    raw.insert(raw.end(), 253, 0x01);     // first block: 253 zeros
    raw.insert(raw.end(), {0x03, 0x04});  // second block header
    raw.insert(raw.end(), {0x01, 0x03});  // 0x01 passes, 0x03 becomes 0x00
    std::vector<uint8_t> out(raw);
    out.resize(decodeSubstitution(out.data(), out.size()));
    std::vector<uint8_t> expected(253, 0x00);
    expected.insert(expected.end(), {0x01, 0x00});
    EXPECT_EQ(out, expected);
}

TEST(Responses, LongSubstitutionPayloadIsDecodedWhole) {
    // Five blocks of 1020 data bytes in all (a payload of 1035 characters): 255 pages of 4 bytes,
    // each block ending in its key for 0x00.
    std::string raw;
    std::vector<uint8_t> expected;
    for (size_t left = 1020; left > 0;) {
        const size_t n = std::min<size_t>(left, 253);
        raw.append("\x01\x02").append(n - 1, 'x').append("\x01");
        expected.insert(expected.end(), n - 1, 'x');
        expected.push_back(0x00);
        left -= n;
    }
    GdcDatalogReadNewResponse response(pagesOf(4));
    receive(response, "20900" + raw);
    EXPECT_EQ(response.pageHeader, 9u);
    EXPECT_EQ(response.pageCount, 255u);
    EXPECT_EQ(response.pageData, expected);
}

TEST(Responses, PageReplyEncodingFailures) {
    struct Bad {
        std::string payload;
        std::u16string message;
    };
    for (const Bad& bad : {Bad{"", u"Unknown payload encoding"},
                           Bad{"1"
                               "0000",
                               u"Unknown payload encoding"},
                           Bad{"0123", u"Malformed input."}, Bad{"0XY", u"Bad character."},
                           Bad{"2G000", u"Bad character."}, Bad{"0", u"Unexpected header size"}}) {
        GdcDatalogReadNewResponse response(pagesOf(4));
        expectReplyError([&] { receive(response, bad.payload); }, bad.message);
    }
}

}  // namespace
}  // namespace devlib_instr
