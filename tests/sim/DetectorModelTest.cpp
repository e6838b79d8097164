// The detector model answering frames: the replies of the protocol byte for byte, state switching,
// the datalog read-out and the database seal.
#include <gtest/gtest.h>

#include "sim/DetectorModel.hpp"
#include "sim/SubstitutionCodec.hpp"

namespace torvik::sim {
namespace {

// One model answers the exchanges in order: later ones see what earlier ones changed.
struct Exchange {
    std::string frame;  // without CR
    std::string reply;  // with CR
};

TEST(DetectorModel, AnswersFramesByteForByte) {
    const Exchange exchanges[] = {
        {"HB7", "hV105B3-8327640246101370DB4DD84000065\r"},  // identity and clock
        {"_F17008100C9", "_f1A050200A1\r"},                  // the footprint query
        {"_F17008200C8", "?aq03\r"},                         // another query: malformed payload
        {"DK70", "dk03010A00030002000500000190\r"},          // memory configuration
        {"AR0D00001400040F", "ar1400000D04000000F04134\r"},  // 30.0f at 0x0D000014
        {"AR04000000010126", "?aq03\r"},                     // more than 256 bytes
        {"AW040000400002070056", "aw00C7\r"},                // refused without connect
        {"AC7B", "ac3B\r"},
        {"AW040000400002070056", "aw01C6\r"},
        {"AW15000000000100C0", "aw00C7\r"},  // no section there
        {"AD7A", "ad3A\r"},
        {"AC7C", "?aq08\r"},        // wrong checksum
        {"ZZ", "?aq08\r"},          // too short for a checksum
        {"QX56", "?aq0C\r"},        // unknown command
        {"DN60000047", "?aq11\r"},  // no section 6
        {"DLA2E", "?aq0E\r"},       // clear outside maintenance mode
    };
    DetectorModel model;
    for (const Exchange& e : exchanges) EXPECT_EQ(model.answer(e.frame).reply, e.reply) << e.frame;
    EXPECT_EQ(model.database.u16(db::kDeviceConfig + 64), 0x0007);
    EXPECT_FALSE(model.connected);
    EXPECT_EQ(model.commandCount("DL"), 0u);
}

std::string ask(DetectorModel& model, std::string_view code, std::string_view payload = {}) {
    const std::string frame = encodeFrame(code, payload);
    const std::string reply = model.answer(std::string_view(frame).substr(0, frame.size() - 1)).reply;
    const auto body = checkedBody(std::string_view(reply).substr(0, reply.size() - 1));
    EXPECT_TRUE(body && reply.back() == '\r') << reply;
    return body ? std::string(body->substr(code.size())) : std::string();
}

int32_t stateOf(DetectorModel& model) {
    const Bytes record = fromHex(ask(model, "AI")).value();
    return static_cast<int32_t>(record.at(56) | record.at(57) << 8 | record.at(58) << 16 |
                                uint32_t{record.at(59)} << 24);
}

TEST(DetectorModel, SwitchOffAndOnShowAfterOneMorePoll) {
    DetectorModel model;
    const int32_t seen[] = {stateOf(model), (ask(model, "AO"), stateOf(model)), stateOf(model),
                            (ask(model, "AM"), stateOf(model)), stateOf(model)};
    EXPECT_EQ(std::vector<int32_t>(std::begin(seen), std::end(seen)), (std::vector<int32_t>{9, 9, 1, 1, 9}));
}

// A "dn"/"dm" payload decoded as the host does: the first page number, then the page bytes.
std::pair<uint16_t, Bytes> decodePages(const std::string& payload) {
    Bytes bytes = fromHex(payload.substr(1, payload[0] == '0' ? std::string::npos : 4)).value();
    if (payload[0] == '2') {
        const Bytes raw = substitutionDecode(payload.substr(5));
        bytes.insert(bytes.end(), raw.begin(), raw.end());
    }
    return {static_cast<uint16_t>(bytes.at(0) | bytes.at(1) << 8), Bytes(bytes.begin() + 2, bytes.end())};
}

std::string readIndex(int section, int index) {
    return std::to_string(section) + "0" + toHex(uint32_t(index), 2);
}

// "DN" returns the pages after the read pointer in groups, then a zero-page reply; "DM" ignores
// the pointer and "DP" moves it to the end. Both encodings carry the pages intact.
TEST(DetectorModel, DatalogReadOut) {
    for (auto encoding : {DatalogEncoding::Hex, DatalogEncoding::Substitution}) {
        DetectorModel model;
        model.datalogOptions.encoding = encoding;
        const auto& stored = model.datalog.pages(0);
        Bytes expected;
        for (size_t p = defaults::kReadPointers[0]; p < stored.size(); ++p)
            expected.insert(expected.end(), stored[p].begin(), stored[p].end());
        Bytes received;
        for (int index = 0; index < 10; ++index) {
            const std::string payload = ask(model, "DN", readIndex(0, index));
            EXPECT_EQ(payload[0], encoding == DatalogEncoding::Hex ? '0' : '2');
            const auto [first, data] = decodePages(payload);
            EXPECT_EQ(first, defaults::kReadPointers[0] + received.size() / defaults::kPageSize);
            if (data.empty()) break;
            received.insert(received.end(), data.begin(), data.end());
        }
        EXPECT_EQ(received, expected);
        const auto [dmFirst, dmData] = decodePages(ask(model, "DM", readIndex(0, 0)));
        EXPECT_EQ(dmFirst, 0);
        EXPECT_EQ(Bytes(dmData.begin(), dmData.begin() + defaults::kPageSize), stored[0]);
        ask(model, "DP", "0");
        EXPECT_EQ(decodePages(ask(model, "DN", readIndex(0, 0))), std::make_pair(uint16_t(stored.size()), Bytes{}));
    }
}

TEST(DetectorModel, ClearInMaintenanceModeEmptiesEverySection) {
    DetectorModel model;
    ask(model, "BH", "11E000000");
    EXPECT_TRUE(model.maintenanceMode);
    EXPECT_EQ(model.maintenanceDuration, 30u);
    EXPECT_EQ(ask(model, "DL", "A"), "");
    for (int s = 0; s < kDatalogSectionCount; ++s) EXPECT_EQ(model.datalog.pageCount(s), 0u);
}

// The seal is the complement of the byte sum, little-endian in the last two bytes: for bytes 0 to
// 253 all 0xFF, 254 x 255 = 0xFD02, stored FD 02.
TEST(DatabaseImage, SealAndSectionBounds) {
    DatabaseImage db;
    db.load(db::kDeviceConfig, Bytes(256, 0xFF));
    db.seal(db::kDeviceConfig);
    EXPECT_EQ(db.section(db::kDeviceConfig)[254], 0xFD);
    EXPECT_EQ(db.section(db::kDeviceConfig)[255], 0x02);
    ASSERT_TRUE(db.write(db::kDeviceConfig + 26, {0x2D, 0x00}));
    EXPECT_FALSE(db.isSealed(db::kDeviceConfig));
    EXPECT_TRUE(db.read(0x0D000000 + 255, 1));
    EXPECT_FALSE(db.read(0x0D000000 + 255, 2));  // across the end of a section
    EXPECT_FALSE(db.read(0x15000000, 1));        // no section there
    EXPECT_THROW(db.load(db::kDeviceConfig, Bytes(255, 0)), std::invalid_argument);
    const DatabaseImage defaults = defaults::database();
    for (const auto& row : kDatabaseSections) EXPECT_TRUE(defaults.isSealed(row.address)) << std::hex << row.address;
}

}  // namespace
}  // namespace torvik::sim
