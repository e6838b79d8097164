#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "FakeUart.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"

namespace devlib_instr {
namespace {

using testing_support::frameOf;

struct RequestCase {
    const char* name;
    std::function<std::unique_ptr<FirmwareCmdMessage>()> make;
    std::string code;
    std::string payload;
    std::u16string description;
};

template <class T, class... Args>
std::function<std::unique_ptr<FirmwareCmdMessage>()> make(Args... args) {
    return [=] { return std::make_unique<T>(args...); };
}

DatalogMemoryConfiguration someConfiguration() {
    DatalogMemoryConfiguration c;
    c.pageSize = 256;
    c.controlVersion = 3;
    return c;
}

class Requests : public testing::TestWithParam<RequestCase> {};

TEST_P(Requests, AreEncodedWhenBuilt) {
    const RequestCase& c = GetParam();
    std::unique_ptr<FirmwareCmdMessage> request = c.make();
    EXPECT_EQ(request->code, c.code);
    EXPECT_EQ(request->payload, c.payload);
    EXPECT_EQ(request->description, c.description);
    std::string expected = frameOf(c.code, c.payload);
    EXPECT_EQ(std::string(request->frame.begin(), request->frame.end()), expected);
}

const uint8_t writeData[] = {0xDE, 0xAD, 0x0D, 0x00};

INSTANTIATE_TEST_SUITE_P(
    Catalogue, Requests,
    testing::Values(
        RequestCase{"Hello", make<HelloMessage>(), "H", "", u"Hello device"},
        RequestCase{"Connect", make<ConnectMessage>(), "AC", "", u"Connect device"},
        RequestCase{"Disconnect", make<DisconnectMessage>(), "AD", "", u"Disconnect device"},
        RequestCase{"Footprint", make<FootprintRequest>(), "_F", "17008100", u""},
        RequestCase{"ReadDeviceState", make<ReadDeviceStateRequest>(), "AI", "", u""},
        RequestCase{"SwitchOn", make<SwitchOnRequest>(), "AM", "", u""},
        RequestCase{"SwitchOff", make<SwitchOffRequest>(), "AO", "", u""},
        RequestCase{"MaintenanceOn", make<SetMaintenanceModeRequest>(true, 30), "BH", "11E000000", u""},
        RequestCase{"MaintenanceClampedHigh", make<SetMaintenanceModeRequest>(true, 100), "BH", "13C000000", u""},
        RequestCase{"MaintenanceClampedLow", make<SetMaintenanceModeRequest>(false, -5), "BH", "000000000", u""},
        RequestCase{"ReadMemoryBigEndian", make<ReadMemoryRequest>(0x00012345u, uint16_t{16}), "AR", "000123450010",
                    u""},
        RequestCase{"WriteMemory", make<WriteMemoryRequest>(0x0A0B0C0Du, writeData, 4u), "AW", "0A0B0C0D0004DEAD0D00",
                    u""},
        RequestCase{"WriteMemoryLengthFieldKeepsLow16Bits", make<WriteMemoryRequest>(1u, writeData, 0u), "AW",
                    "000000010000", u""},
        RequestCase{"ReadMemoryConfiguration", make<GdcDatalogReadMemoryConfigurationRequest>(), "DK", "",
                    u"GDC Datalog: Read Memory Configuration"},
        RequestCase{"ReadFromBeginning", make<GdcDatalogReadFromBeginningRequest>(someConfiguration(), 0u, uint16_t{0}),
                    "DM", "000000", u""},
        RequestCase{"ReadNewLittleEndianIndex", make<GdcDatalogReadNewRequest>(someConfiguration(), 3u, uint16_t{2}),
                    "DN", "300200", u""},
        RequestCase{"ReadNewHighIndex", make<GdcDatalogReadNewRequest>(someConfiguration(), 5u, uint16_t{0x1234}), "DN",
                    "503412", u""},
        RequestCase{"MoveReadPosition", make<GdcDatalogMoveReadPositionRequest>(4u), "DP", "4", u""},
        RequestCase{"Clear", make<GdcDatalogClearRequest>(), "DL", "A", u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Requests, UnknownDatalogSectionRaisesWhileBuilding) {
    for (uint32_t section : {6u, 100u}) {
        try {
            GdcDatalogReadNewRequest request(someConfiguration(), section, 0);
            FAIL() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Unknown GDC datalog section.");
        }
        EXPECT_THROW(GdcDatalogMoveReadPositionRequest{section}, std::runtime_error);
    }
}

TEST(Requests, DatalogReadRequestKeepsTheConfiguration) {
    GdcDatalogReadFromBeginningRequest request(someConfiguration(), 1, 0);
    EXPECT_EQ(request.configuration, someConfiguration());
}

// Every response answers to the lower-case code of its request and carries its capacity hint.
TEST(Requests, ResponsesMatchTheirRequests) {
    struct Pair {
        std::unique_ptr<FirmwareCmdMessage> request;
        std::unique_ptr<FirmwareResponseMessage> response;
        uint32_t hint;
    };
    DatalogMemoryConfiguration c = someConfiguration();
    std::vector<Pair> pairs;
    pairs.push_back({std::make_unique<HelloMessage>(), std::make_unique<HelloResponse>(), 200});
    pairs.push_back({std::make_unique<ConnectMessage>(), std::make_unique<ConnectResponse>(), 200});
    pairs.push_back({std::make_unique<DisconnectMessage>(), std::make_unique<DisconnectResponse>(), 200});
    pairs.push_back({std::make_unique<FootprintRequest>(), std::make_unique<FootprintResponse>(), 32});
    pairs.push_back({std::make_unique<ReadDeviceStateRequest>(), std::make_unique<ReadDeviceStateResponse>(), 0});
    pairs.push_back({std::make_unique<SwitchOnRequest>(), std::make_unique<SwitchOnResponse>(), 0});
    pairs.push_back({std::make_unique<SwitchOffRequest>(), std::make_unique<SwitchOffResponse>(), 0});
    pairs.push_back(
        {std::make_unique<SetMaintenanceModeRequest>(true, 30), std::make_unique<SetMaintenanceModeResponse>(), 0});
    pairs.push_back({std::make_unique<ReadMemoryRequest>(0, 1), std::make_unique<ReadMemoryResponse>(), 0});
    pairs.push_back(
        {std::make_unique<WriteMemoryRequest>(0, writeData, 1), std::make_unique<WriteMemoryResponse>(), 0});
    pairs.push_back({std::make_unique<GdcDatalogReadMemoryConfigurationRequest>(),
                     std::make_unique<GdcDatalogReadMemoryConfigurationResponse>(3), 32});
    pairs.push_back({std::make_unique<GdcDatalogReadFromBeginningRequest>(c, 0, 0),
                     std::make_unique<GdcDatalogReadFromBeginningResponse>(c), 521});
    pairs.push_back(
        {std::make_unique<GdcDatalogReadNewRequest>(c, 0, 0), std::make_unique<GdcDatalogReadNewResponse>(c), 521});
    pairs.push_back({std::make_unique<GdcDatalogMoveReadPositionRequest>(0),
                     std::make_unique<GdcDatalogMoveReadPositionResponse>(), 8});
    pairs.push_back({std::make_unique<GdcDatalogClearRequest>(), std::make_unique<GdcDatalogClearResponse>(), 2});
    for (const Pair& p : pairs) {
        std::string lower = p.request->code;
        for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_EQ(p.response->code, lower);
        EXPECT_EQ(p.response->expectedLength, p.hint) << lower;
        EXPECT_FALSE(p.response->valid);
    }
}

}  // namespace
}  // namespace devlib_instr
