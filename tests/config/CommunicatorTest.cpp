// The database communicator against the simulated detector.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "config/ConfigurationDatabaseCommunicatorPrivate.hpp"
#include "sim/FrameCodec.hpp"
#include "support/SimulatedDevice.hpp"
#include "support/Thrown.hpp"

using namespace devlib_instr;

namespace {

struct CommunicatorTest : testing::Test {
    torvik_test::TestContext context;
    torvik_test::SimulatedDevice simulated{context};
    ConfigurationDatabaseCommunicatorPrivate communicator{simulated.guard};

    Error failureOf(const std::function<void()>& fn) { return torvik_test::thrown<Error>(fn).value(); }
    std::vector<std::string> requestsStartingWith(const std::string& code) {
        std::vector<std::string> found;
        for (const std::string& frame : simulated.sim.requests())
            if (frame.starts_with(code)) found.push_back(frame.substr(0, frame.size() - 2));
        return found;
    }
};

}  // namespace

TEST_F(CommunicatorTest, ReadsInBlocksOf256BytesAndValuesDirectly) {
    std::vector<uint8_t> image(512);
    communicator.readMemory(0x17000000, image.data(), 512);
    simulated.sim.withModel(
        [&](torvik::sim::DetectorModel& model) { EXPECT_EQ(image, model.database.section(0x17000000)); });
    EXPECT_EQ(requestsStartingWith("AR"), (std::vector<std::string>{"AR170000000100", "AR170001000100"}));
    EXPECT_EQ(failureOf([&] { communicator.readMemory(0x17000000, image.data(), 300); }).message,
              u"Read block size is invalid");

    // The molar mass of an IR sensor is read on its own, next to the device section.
    ConfigurationData result;
    ASSERT_TRUE(communicator.readValues({{5, {85}}, {255, {1}}}, result));
    EXPECT_EQ(*result.find(5, 85), Value(44.01f));
    EXPECT_EQ(*result.find(255, 1), Value(int32_t{30}));
    EXPECT_EQ(requestsStartingWith("AR").size(), 4u);
}

// Every reply must carry the bytes asked for, in bulk reads and in reads of one value alike.
TEST_F(CommunicatorTest, ShorterRepliesAreRefused) {
    struct Case {
        uint32_t address, asked, carried;
    };
    for (const Case& c : std::vector<Case>{{0x04000000, 256, 4}, {0x0C000024, 4, 2}, {0x17000000, 512, 255}}) {
        const std::string payload = torvik::sim::toHex(c.address, 4) + torvik::sim::toHex(c.carried, 2) +
                                    torvik::sim::toHex(torvik::sim::Bytes(c.carried, 0x11));
        simulated.sim.setFaults({.rawReplyFor = "AR", .rawReply = torvik::sim::encodeFrame("ar", payload)});
        std::vector<uint8_t> image(c.asked);
        const Error error = failureOf([&] { communicator.readMemory(c.address, image.data(), c.asked); });
        EXPECT_EQ(std::tuple(error.category, error.code, error.message),
                  std::tuple(5u, 1u, std::u16string(u"Response data size is invalid")))
            << c.asked;
    }
}
