// The exchange rules of the message handler over an in-memory link: standard error replies,
// retries with their log lines, link errors and the line-speed switch.
#include <gtest/gtest.h>

#include "FakeUart.hpp"
#include "LogCapture.hpp"
#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"

namespace devlib_instr {
namespace {

using testing_support::FakeUart;
using testing_support::frameOf;
using testing_support::LogCapture;
using testing_support::LogLine;
using Handler = FirmwareMessageHandler;

constexpr uint32_t shortTimeoutMs = 20;

class HandlerTest : public testing::Test {
protected:
    void exchange(const FirmwareCmdMessage& request, FirmwareResponseMessage& response, uint32_t attempts = 3) {
        Handler::sendRequest(log.context(), link, request, response, shortTimeoutMs, attempts, 0);
    }

    LogCapture log;
    FakeUart link;
};

TEST_F(HandlerTest, WritesTheFrameAndAcceptsTheReply) {
    link.replies = {frameOf("ac")};
    ConnectResponse response;
    exchange(ConnectMessage(), response);
    EXPECT_TRUE(response.valid);
    EXPECT_EQ(link.written, (std::vector<std::string>{"AC7B\r"}));
    EXPECT_TRUE(link.rateChanges.empty());  // already at the exchange rate
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(HandlerTest, StaleInputIsDiscardedBeforeWriting) {
    link.pending = frameOf("ac");  // a late reply of an earlier exchange
    link.replies = {frameOf("ad")};
    DisconnectResponse response;
    exchange(DisconnectMessage(), response);
    EXPECT_TRUE(response.valid);
    EXPECT_EQ(link.written.size(), 1u);
}

TEST_F(HandlerTest, StandardErrorEndsTheExchangeAtOnce) {
    link.baudRate = 9600;
    link.echo = true;
    link.replies = {"?aq01\r"};
    ConnectResponse response;
    try {
        exchange(ConnectMessage(), response);
        FAIL() << "no exception";
    } catch (const Handler::StandardErrorResponseException& e) {
        EXPECT_EQ(e.errorCode, 1u);
        EXPECT_STREQ(e.what(), "Received a standard error response from device. Illegal command. (1)");
    }
    EXPECT_EQ(link.written.size(), 1u);
    EXPECT_EQ(link.baudRate, 115200u);  // not restored after a failure
}

TEST_F(HandlerTest, StandardErrorWithoutEchoIsSwallowedAndRetried) {
    // Without an echo the head "?a" is taken for the echo and the rest of the reply is lost.
    link.replies = {"?aq01\r", frameOf("ac")};
    ConnectResponse response;
    exchange(ConnectMessage(), response);
    EXPECT_TRUE(response.valid);
    EXPECT_EQ(link.written.size(), 2u);
}

TEST_F(HandlerTest, SilentDeviceFailsAfterAllAttempts) {
    link.baudRate = 9600;
    ReadDeviceStateResponse response;
    EXPECT_THROW(exchange(ReadDeviceStateRequest(), response, 2), Handler::CommunicationFailedException);
    EXPECT_EQ(link.written.size(), 2u);
    std::vector<LogLine> expected{
        {2, u"Timeout when receiving message for \"AI\" command."},
        {0, u"No or invalid response to message '', try again... (1/2)"},
        {2, u"Timeout when receiving message for \"AI\" command."},
        {0, u"No or invalid response to message '', try again... (2/2)"},
    };
    EXPECT_EQ(log.lines(), expected);
    EXPECT_EQ(link.baudRate, 115200u);
}

TEST_F(HandlerTest, ZeroAttemptsFailAtOnce) {
    ConnectResponse response;
    EXPECT_THROW(exchange(ConnectMessage(), response, 0), Handler::CommunicationFailedException);
    EXPECT_TRUE(link.written.empty());
}

TEST_F(HandlerTest, LinkErrorsAreLoggedAndRetried) {
    link.failingWrites = 2;
    link.replies = {frameOf("h", std::string(34, '0'))};
    HelloResponse response;
    exchange(HelloMessage(), response);
    EXPECT_TRUE(response.valid);
    EXPECT_EQ(log.textsAt(LogLevel::Info),
              (std::vector<std::u16string>{u"Communication error when sending command H. Error code 0.",
                                           u"Communication error when sending command H. Error code 0."}));
}

TEST_F(HandlerTest, LinkErrorOnEveryAttempt) {
    link.failingWrites = 5;
    ConnectResponse response;
    EXPECT_THROW(exchange(ConnectMessage(), response, 5), Handler::CommunicationFailedException);
    EXPECT_EQ(log.textsAt(LogLevel::Info).size(), 5u);
}

TEST_F(HandlerTest, ParseFailuresAreNotRetried) {
    link.replies = {frameOf("aw", "0000"), frameOf("aw", "00")};
    WriteMemoryResponse response;
    EXPECT_THROW(exchange(WriteMemoryRequest(0, nullptr, 0), response), Error);
    EXPECT_EQ(link.written.size(), 1u);
}

TEST_F(HandlerTest, SuccessRestoresTheStartingRate) {
    link.baudRate = 9600;
    link.replies = {frameOf("ac")};
    ConnectResponse response;
    exchange(ConnectMessage(), response);
    EXPECT_EQ(link.ratesAtWrite, (std::vector<uint32_t>{115200}));
    EXPECT_EQ(link.rateChanges, (std::vector<uint32_t>{115200, 9600}));
    EXPECT_EQ(link.baudRate, 9600u);
}

TEST_F(HandlerTest, AfterAFailureLaterExchangesStayFast) {
    link.baudRate = 9600;
    ConnectResponse failed;
    EXPECT_THROW(exchange(ConnectMessage(), failed, 1), Handler::CommunicationFailedException);
    link.replies = {frameOf("ac")};
    ConnectResponse response;
    exchange(ConnectMessage(), response);
    EXPECT_EQ(link.rateChanges, (std::vector<uint32_t>{115200}));
    EXPECT_EQ(link.baudRate, 115200u);
}

struct StandardErrorCase {
    uint32_t code;
    const char* text;
};

class StandardErrors : public testing::TestWithParam<StandardErrorCase> {};

TEST_P(StandardErrors, Texts) {
    EXPECT_EQ(Handler::standardErrorText(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, StandardErrors,
                         testing::Values(StandardErrorCase{0, "Command too long."},
                                         StandardErrorCase{4, "Unknown standard error."},
                                         StandardErrorCase{7, "Unknown standard error."},
                                         StandardErrorCase{9, "\"J\" command without FPS pin."},
                                         StandardErrorCase{11, "Command length mismatch,"},
                                         StandardErrorCase{20, "Datalog buffer too small."},
                                         StandardErrorCase{21, "Unknown standard error."},
                                         StandardErrorCase{255, "Unknown standard error."}));

TEST(HandlerChecks, StandardErrorReplies) {
    auto bytes = [](const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); };
    EXPECT_NO_THROW(Handler::checkStandardError(bytes("?aq0")));  // too short
    EXPECT_NO_THROW(Handler::checkStandardError(bytes("?ap01\r")));
    EXPECT_NO_THROW(Handler::checkStandardError({}));
    try {
        Handler::checkStandardError(bytes("?aq12"));
        FAIL() << "no exception";
    } catch (const Handler::StandardErrorResponseException& e) {
        EXPECT_EQ(e.errorCode, 0x12u);
        EXPECT_STREQ(e.what(), "Received a standard error response from device. Datalog is empty. (18)");
    }
}

TEST(HandlerChecks, UnexpectedResponseTexts) {
    EXPECT_STREQ(Handler::UnexpectedResponseException({}).what(), "Unexpected message from device: <empty>");
    EXPECT_STREQ(Handler::UnexpectedResponseException({0x0A, 0xFF}).what(), "Unexpected message from device: 0A FF");
    EXPECT_STREQ(Handler::UnexpectedResponseException({1, 2, 3, 4, 5}).what(),
                 "Unexpected message from device: 01 02 03 04 05");
    EXPECT_STREQ(Handler::CommunicationFailedException().what(), "Unknown exception");
}

}  // namespace
}  // namespace devlib_instr
