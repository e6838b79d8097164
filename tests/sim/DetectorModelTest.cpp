// The detector model answering frames: identity, state switching, datalog read-out, database
// transfers and the standard error replies.
#include <gtest/gtest.h>

#include "sim/DetectorModel.hpp"
#include "sim/SubstitutionCodec.hpp"

namespace torvik::sim {
namespace {

// The payload of a reply after checking its code, checksum and CR.
std::string payloadOf(const std::string& reply, std::string_view code) {
    EXPECT_GE(reply.size(), code.size() + 3);
    EXPECT_EQ(reply.back(), '\r');
    EXPECT_EQ(reply.substr(0, code.size()), code);
    auto body = checkedBody(std::string_view(reply).substr(0, reply.size() - 1));
    EXPECT_TRUE(body) << reply;
    return body ? std::string(body->substr(code.size())) : std::string();
}

std::string ask(DetectorModel& model, std::string_view code, std::string_view payload = {}) {
    std::string frame = encodeFrame(code, payload);
    return model.answer(std::string_view(frame).substr(0, frame.size() - 1)).reply;
}

int32_t stateOf(DetectorModel& model) {
    Bytes record = fromHex(payloadOf(ask(model, "AI"), "ai")).value();
    EXPECT_GE(record.size(), 90u);
    return static_cast<int32_t>(record[56] | record[57] << 8 | record[58] << 16 | uint32_t{record[59]} << 24);
}

struct Pages {
    uint16_t header = 0;
    Bytes data;
};

// Decodes a "dm"/"dn" payload as the host does.
Pages decodePages(const std::string& payload) {
    Pages pages;
    Bytes bytes;
    if (payload[0] == '0') {
        bytes = fromHex(payload.substr(1)).value();
    } else {
        EXPECT_EQ(payload[0], '2');
        EXPECT_LT(payload.size(), 1024u);
        bytes = fromHex(payload.substr(1, 4)).value();
        Bytes raw = substitutionDecode(payload.substr(5));
        bytes.insert(bytes.end(), raw.begin(), raw.end());
    }
    pages.header = static_cast<uint16_t>(bytes.at(0) | bytes.at(1) << 8);
    pages.data.assign(bytes.begin() + 2, bytes.end());
    return pages;
}

std::string readIndex(int section, int index) {
    return std::to_string(section) + "0" + toHex(static_cast<uint32_t>(index), 2);
}

TEST(DetectorModel, HelloCarriesIdentityAndClockIn34Characters) {
    DetectorModel model;
    std::string payload = payloadOf(ask(model, "H"), "h");
    ASSERT_EQ(payload.size(), 34u);
    EXPECT_EQ(payload.substr(0, 4), "V105");
    EXPECT_EQ(payload.substr(7, 7), defaults::kPartNumber);
    EXPECT_EQ(payload.substr(14, 8), defaults::kSerialDigits);
    EXPECT_EQ(payload.substr(22),
              "0DB4"
              "DD840000");
}

TEST(DetectorModel, FootprintAnswersOnlyTheKnownQuery) {
    DetectorModel model;
    EXPECT_EQ(payloadOf(ask(model, "_F", "17008100"), "_f"), "1A050200");
    EXPECT_EQ(ask(model, "_F", "17008200"), "?aq03\r");
}

TEST(DetectorModel, SwitchOffAndOnShowAfterOneMorePoll) {
    DetectorModel model;
    EXPECT_EQ(stateOf(model), 9);
    ask(model, "AO");
    EXPECT_EQ(stateOf(model), 9);
    EXPECT_EQ(stateOf(model), 1);
    EXPECT_EQ(stateOf(model), 1);
    ask(model, "AM");
    EXPECT_EQ(stateOf(model), 1);
    EXPECT_EQ(stateOf(model), 9);
}

TEST(DetectorModel, StandardErrorReplies) {
    DetectorModel model;
    EXPECT_EQ(model.answer("AC7C").reply, "?aq08\r");        // wrong checksum
    EXPECT_EQ(model.answer("ZZ").reply, "?aq08\r");          // too short for its checksum
    EXPECT_EQ(ask(model, "QX"), "?aq0C\r");                  // unknown command
    EXPECT_EQ(ask(model, "DN", "600000"), "?aq11\r");        // no section 6
    EXPECT_EQ(ask(model, "DL", "A"), "?aq0E\r");             // clear outside maintenance mode
    EXPECT_EQ(ask(model, "AR", "040000000101"), "?aq03\r");  // more than 256 bytes
    EXPECT_EQ(model.commandCount("DL"), 0u);
}

TEST(DetectorModel, MemoryConfigurationReportsVersionPagesAndPageSize) {
    DetectorModel model;
    // version 3, versionByte2 1, pages of sections 0, 1, 3, 4, page size 256
    EXPECT_EQ(payloadOf(ask(model, "DK"), "dk"),
              "0301"
              "0A00"
              "0300"
              "0200"
              "0500"
              "0001");
}

// "DN" returns exactly the pages after the read pointer, in groups, then a zero-page reply.
TEST(DetectorModel, ReadNewReturnsPagesAfterReadPointerThenZeroPages) {
    DetectorModel model;
    const auto& stored = model.datalog.pages(0);
    uint32_t next = defaults::kReadPointers[0];
    for (int index = 0;; ++index) {
        Pages reply = decodePages(payloadOf(ask(model, "DN", readIndex(0, index)), "dn"));
        EXPECT_EQ(reply.header, next);
        if (reply.data.empty()) break;
        ASSERT_EQ(reply.data.size() % defaults::kPageSize, 0u);
        for (size_t p = 0; p < reply.data.size() / defaults::kPageSize; ++p, ++next)
            EXPECT_TRUE(std::equal(stored[next].begin(), stored[next].end(),
                                   reply.data.begin() + static_cast<long>(p * defaults::kPageSize)));
        ASSERT_LT(index, 10);
    }
    EXPECT_EQ(next, defaults::kSectionPages[0]);
}

TEST(DetectorModel, ReadFromBeginningIgnoresPointerAndMoveSetsItToTheEnd) {
    DetectorModel model;
    EXPECT_EQ(decodePages(payloadOf(ask(model, "DM", readIndex(0, 0)), "dm")).header, 0);
    EXPECT_EQ(decodePages(payloadOf(ask(model, "DM", readIndex(0, 0)), "dm")).data.size(), 4u * 256);
    ask(model, "DP", "0");
    Pages after = decodePages(payloadOf(ask(model, "DN", readIndex(0, 0)), "dn"));
    EXPECT_TRUE(after.data.empty());
    EXPECT_EQ(after.header, defaults::kSectionPages[0]);
}

TEST(DetectorModel, EncodingKnobsKeepPagesIntact) {
    for (auto encoding : {DatalogEncoding::Hex, DatalogEncoding::Substitution}) {
        DetectorModel model;
        model.datalogOptions.encoding = encoding;
        model.datalogOptions.maxPagesPerReply = 1;
        std::string payload = payloadOf(ask(model, "DM", readIndex(3, 1)), "dm");
        EXPECT_EQ(payload[0], encoding == DatalogEncoding::Hex ? '0' : '2');
        EXPECT_EQ(decodePages(payload).data, model.datalog.pages(3)[1]);
    }
}

TEST(DetectorModel, ClearInMaintenanceModeEmptiesEverySection) {
    DetectorModel model;
    ask(model, "BH", "11E000000");
    EXPECT_TRUE(model.maintenanceMode);
    EXPECT_EQ(model.maintenanceDuration, 30u);
    EXPECT_EQ(payloadOf(ask(model, "DL", "A"), "dl"), "");
    for (int s = 0; s < kDatalogSectionCount; ++s) EXPECT_EQ(model.datalog.pageCount(s), 0u);
}

TEST(DetectorModel, ReadMemoryRepliesAddressAndLengthLittleEndian) {
    DetectorModel model;
    Bytes reply = fromHex(payloadOf(ask(model, "AR", "0D0000140004"), "ar")).value();
    ASSERT_EQ(reply.size(), 10u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 6), (Bytes{0x14, 0x00, 0x00, 0x0D, 0x04, 0x00}));
    EXPECT_EQ(Bytes(reply.begin() + 6, reply.end()), (Bytes{0x00, 0x00, 0xF0, 0x41}));  // 30.0f
}

TEST(DetectorModel, WriteMemoryNeedsConnect) {
    DetectorModel model;
    EXPECT_EQ(payloadOf(ask(model, "AW",
                            "040000400002"
                            "0700"),
                        "aw"),
              "00");
    ask(model, "AC");
    EXPECT_EQ(payloadOf(ask(model, "AW",
                            "040000400002"
                            "0700"),
                        "aw"),
              "01");
    EXPECT_EQ(model.database.u16(db::kDeviceConfig + 64), 0x0007);
    EXPECT_EQ(payloadOf(ask(model, "AW", "15000000000100"), "aw"), "00");  // no section there
    ask(model, "AD");
    EXPECT_FALSE(model.connected);
}

}  // namespace
}  // namespace torvik::sim
