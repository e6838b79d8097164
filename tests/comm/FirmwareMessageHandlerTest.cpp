// The exchange rules of the message handler over an in-memory link: standard error replies,
// retries with their log lines, link errors and the line-speed switch.
#include <gtest/gtest.h>

#include <tuple>

#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "sim/FrameCodec.hpp"
#include "support/MemoryLink.hpp"
#include "support/TestContext.hpp"

namespace devlib_instr {
namespace {

using torvik::sim::encodeFrame;
using torvik_test::MemoryLink;
using torvik_test::SkippingClock;
using Handler = FirmwareMessageHandler;
using Lines = std::vector<std::pair<int32_t, std::u16string>>;

constexpr uint32_t shortTimeoutMs = 20;

class HandlerTest : public testing::Test {
protected:
    void exchange(const FirmwareCmdMessage& request, FirmwareResponseMessage& response, uint32_t attempts = 3) {
        Handler::sendRequest(context.context(), link, request, response, shortTimeoutMs, attempts, 0);
    }
    // The text of the exception the exchange of a Connect ends with, "" when it succeeds.
    std::string connectFailure(uint32_t attempts = 3) {
        ConnectResponse response;
        try {
            exchange(ConnectMessage(), response, attempts);
        } catch (const std::exception& e) {
            return e.what();
        }
        EXPECT_TRUE(response.valid);
        return "";
    }

    torvik_test::TestContext context{{}, SkippingClock::Pace::virtualTime};
    MemoryLink link{context.clock()};
};

// The exchange runs at 115200 baud and restores the rate it found.
TEST_F(HandlerTest, DiscardsStaleInputWritesTheFrameAndAcceptsTheReply) {
    link.baudRate = 9600;
    link.pending = encodeFrame("ad", "");  // a late reply of an earlier exchange
    link.script = {{encodeFrame("ac", "")}};
    EXPECT_EQ(connectFailure(), "");
    EXPECT_EQ(link.written, (std::vector<std::string>{"AC7B\r"}));
    EXPECT_EQ(link.ratesAtWrite, (std::vector<uint32_t>{115200}));
    EXPECT_EQ(link.rateChanges, (std::vector<uint32_t>{115200, 9600}));
    EXPECT_TRUE(context.log.all().empty());
}

// A standard error reply ends the exchange at once; without an echo its head "?a" is taken for the
// echo, the rest of the reply is lost and the request is sent again.
TEST_F(HandlerTest, StandardErrorRepliesEndTheExchangeAtOnce) {
    const std::tuple<bool, std::string, std::string, size_t> cases[] = {
        // echo, reply, the exception's text ("" for success), frames written
        {true, "?aq01\r", "Received a standard error response from device. Illegal command. (1)", 1},
        {true, "?aqXY01\r", "Unexpected message from device: 3F 61 71 58 59 ...", 1},
        {false, "?aq01\r", "", 2},
    };
    for (const auto& [echo, reply, failure, writes] : cases) {
        SCOPED_TRACE(reply);
        link.written.clear();
        link.baudRate = 9600;
        link.script = {{.bytes = reply, .echo = echo}, {.bytes = encodeFrame("ac", ""), .echo = echo}};
        EXPECT_EQ(connectFailure(), failure);
        EXPECT_EQ(link.written.size(), writes);
    }
}

TEST_F(HandlerTest, SilentDeviceFailsAfterAllAttemptsAndLeavesTheLineFast) {
    link.baudRate = 9600;
    ReadDeviceStateResponse response;
    EXPECT_THROW(exchange(ReadDeviceStateRequest(), response, 2), Handler::CommunicationFailedException);
    EXPECT_EQ(link.written.size(), 2u);
    const Lines expected{
        {2, u"Timeout when receiving message for \"AI\" command."},
        {0, u"No or invalid response to message '', try again... (1/2)"},
        {2, u"Timeout when receiving message for \"AI\" command."},
        {0, u"No or invalid response to message '', try again... (2/2)"},
    };
    EXPECT_EQ(context.log.all(), expected);
    EXPECT_EQ(link.baudRate, 115200u);
    link.script = {{encodeFrame("ac", "")}};
    EXPECT_EQ(connectFailure(), "");
    EXPECT_EQ(link.rateChanges, (std::vector<uint32_t>{115200}));  // already at the exchange rate: no switch
}

TEST_F(HandlerTest, LinkErrorsAreLoggedAndRetried) {
    link.script = {{.writeFails = true}, {.writeFails = true}, {encodeFrame("ac", "")}};
    EXPECT_EQ(connectFailure(), "");
    EXPECT_EQ(context.lines(LogLevel::Info),
              std::vector<std::u16string>(2, u"Communication error when sending command AC. Error code 0."));
}

TEST_F(HandlerTest, ParseFailuresAreNotRetried) {
    link.script = {{encodeFrame("aw", "0000")}, {encodeFrame("aw", "00")}};
    WriteMemoryResponse response;
    EXPECT_THROW(exchange(WriteMemoryRequest(0, nullptr, 0), response), Error);
    EXPECT_EQ(link.written.size(), 1u);
}

TEST(HandlerTexts, StandardErrorsAndUnexpectedReplies) {
    const std::pair<uint32_t, const char*> texts[] = {
        {0, "Command too long."},         {4, "Unknown standard error."}, {9, "\"J\" command without FPS pin."},
        {11, "Command length mismatch,"}, {18, "Datalog is empty."},      {20, "Datalog buffer too small."},
        {21, "Unknown standard error."}};
    for (const auto& [code, text] : texts) EXPECT_EQ(Handler::standardErrorText(code), text) << code;
    EXPECT_STREQ(Handler::UnexpectedResponseException({}).what(), "Unexpected message from device: <empty>");
    EXPECT_STREQ(Handler::UnexpectedResponseException({1, 2, 3, 4, 5}).what(),
                 "Unexpected message from device: 01 02 03 04 05");
}

}  // namespace
}  // namespace devlib_instr
