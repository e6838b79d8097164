// Exchanges over a real pseudo-terminal: the library's own serial link against the simulated
// detector, with the line behaviour and faults the simulator can be asked for.
#include <gtest/gtest.h>

#include <memory>

#include "LogCapture.hpp"
#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "comm/UartInterface.hpp"
#include "sim/Simulator.hpp"

namespace devlib_instr {
namespace {

using testing_support::LogCapture;
using Handler = FirmwareMessageHandler;
using torvik::sim::Faults;
using torvik::sim::LineOptions;
using torvik::sim::Simulator;

constexpr uint32_t shortTimeoutMs = 30;

class SimulatorExchange : public testing::Test {
protected:
    explicit SimulatorExchange(LineOptions line = {}) : sim(line) {}

    std::unique_ptr<UartInterface> openLink(uint32_t baud = 115200) {
        return std::make_unique<UartInterface>(sim.portPath(), baud, 8, 0, 0);
    }
    void exchange(const FirmwareCmdMessage& request, FirmwareResponseMessage& response, uint32_t attempts = 10,
                  uint32_t timeoutMs = 500) {
        Handler::sendRequest(log.context(), *link, request, response, timeoutMs, attempts, 0);
    }

    LogCapture log;
    Simulator sim;
    std::unique_ptr<UartInterface> link = openLink();
};

class EchoingLine : public SimulatorExchange {
protected:
    EchoingLine() : SimulatorExchange(LineOptions{.echo = true}) {}
};

TEST_F(SimulatorExchange, WorkedConnectFrame) {
    ConnectResponse response;
    exchange(ConnectMessage(), response);
    EXPECT_TRUE(response.valid);
    EXPECT_EQ(sim.requests(), (std::vector<std::string>{"AC7B"}));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(SimulatorExchange, HelloFromTheDevice) {
    HelloResponse response;
    exchange(HelloMessage(), response);
    EXPECT_EQ(response.firmwareVersion, "1.5");
    EXPECT_EQ(response.serialNumber, "2461-0137");
    EXPECT_EQ(response.deviceTime.tm_year, 126);
}

TEST_F(EchoingLine, EchoIsSkipped) {
    FootprintResponse response;
    exchange(FootprintRequest(), response);
    EXPECT_TRUE(response.valid);
    EXPECT_EQ(response.payload.substr(0, 4), "1A05");
}

TEST_F(EchoingLine, StandardErrorOnTheFirstAttempt) {
    sim.setFaults(Faults{.standardErrorFor = "AC", .standardErrorCode = 1});
    ConnectResponse response;
    try {
        exchange(ConnectMessage(), response);
        FAIL() << "no exception";
    } catch (const Handler::StandardErrorResponseException& e) {
        EXPECT_EQ(e.errorCode, 1u);
        EXPECT_STREQ(e.what(), "Received a standard error response from device. Illegal command. (1)");
    }
    EXPECT_EQ(sim.requests().size(), 1u);
}

TEST_F(EchoingLine, StandardErrorWithoutHexDigitsIsUnexpected) {
    sim.setFaults(Faults{.rawReplyFor = "AC", .rawReply = "?aqXY01\r"});
    ConnectResponse response;
    try {
        exchange(ConnectMessage(), response);
        FAIL() << "no exception";
    } catch (const Handler::UnexpectedResponseException& e) {
        EXPECT_STREQ(e.what(), "Unexpected message from device: 3F 61 71 58 59 ...");
    }
    EXPECT_EQ(sim.requests().size(), 1u);
}

struct FaultCase {
    const char* name;
    Faults faults;
};

class RecoversFrom : public SimulatorExchange, public testing::WithParamInterface<FaultCase> {};

TEST_P(RecoversFrom, OneBadReply) {
    sim.setFaults(GetParam().faults);
    ConnectResponse response;
    exchange(ConnectMessage(), response, 10, 200);
    EXPECT_TRUE(response.valid);
    EXPECT_EQ(sim.requests().size(), 2u);
    EXPECT_EQ(
        log.textsAt(LogLevel::Debug),
        (std::vector<std::u16string>{u"No or invalid response to message 'Connect device', try again... (1/10)"}));
}

INSTANTIATE_TEST_SUITE_P(Faults, RecoversFrom,
                         testing::Values(FaultCase{"CorruptChecksum", Faults{.corruptChecksumFirst = 1}},
                                         FaultCase{"Truncated", Faults{.truncateFirst = 1}},
                                         FaultCase{"Garbage", Faults{.garbageFirst = 1}},
                                         FaultCase{"Silence", Faults{.silentFirst = 1}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatorExchange, SilentDeviceFailsAfterTheAttempts) {
    sim.setFaults(Faults{.silentForever = true});
    ReadDeviceStateResponse response;
    EXPECT_THROW(exchange(ReadDeviceStateRequest(), response, 3, shortTimeoutMs),
                 Handler::CommunicationFailedException);
    EXPECT_EQ(sim.requests().size(), 3u);
    EXPECT_EQ(log.textsAt(LogLevel::Warn),
              std::vector<std::u16string>(3, u"Timeout when receiving message for \"AI\" command."));
    EXPECT_EQ(log.textsAt(LogLevel::Debug).back(), u"No or invalid response to message '', try again... (3/3)");
}

TEST_F(SimulatorExchange, SuccessReturnsToTheStartingRate) {
    link.reset();  // the port is exclusive: the fast link goes first
    link = openLink(9600);
    SwitchOnResponse response;
    exchange(SwitchOnRequest(), response);
    EXPECT_EQ(link->baudRate, 9600u);

    sim.setFaults(Faults{.silentForever = true});
    SwitchOnResponse failed;
    EXPECT_THROW(exchange(SwitchOnRequest(), failed, 1, shortTimeoutMs), Handler::CommunicationFailedException);
    EXPECT_EQ(link->baudRate, 115200u);  // a failed exchange leaves the line fast
}

TEST_F(SimulatorExchange, VanishedPortIsACommErrorNotASpin) {
    sim.stop();
    uint8_t byte = 0;
    try {
        link->read(&byte, 1, 60000);
        FAIL() << "no exception";
    } catch (const CommInterface::CommError& e) {
        EXPECT_EQ(e.code, 0u);
        EXPECT_STREQ(e.what(), "Unknown exception");
    }
    ConnectResponse response;
    EXPECT_THROW(exchange(ConnectMessage(), response, 2), Handler::CommunicationFailedException);
    EXPECT_EQ(log.textsAt(LogLevel::Info),
              std::vector<std::u16string>(2, u"Communication error when sending command AC. Error code 0."));
}

TEST_F(SimulatorExchange, PortIsOpenedForExclusiveUse) {
    try {
        UartInterface second(sim.portPath(), 9600, 8, 0, 0);
        FAIL() << "second link opened";
    } catch (const CommInterface::CommError& e) {
        EXPECT_EQ(e.code, 2u);
    }
    link.reset();
    EXPECT_NO_THROW(openLink());  // free again once the first link is gone
}

TEST(UartInterface, MissingPortFailsQuietly) {
    testing::internal::CaptureStderr();
    try {
        UartInterface link("/dev/torvik-no-such-port", 9600, 8, 0, 0);
        FAIL() << "opened";
    } catch (const CommInterface::CommError& e) {
        EXPECT_EQ(e.code, 2u);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace devlib_instr
