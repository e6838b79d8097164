// The byte-stream rules every serial link shares, and the host's own link factory.
#include <gtest/gtest.h>

#include "FakeUart.hpp"
#include "LogCapture.hpp"
#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "sim/Simulator.hpp"

namespace devlib_instr {
namespace {

using testing_support::FakeUart;
using testing_support::frameOf;
using testing_support::LogCapture;

// Accepts only the first 3 bytes of every write.
class ShortWriter : public FakeUart {
protected:
    uint32_t writeBytes(const uint8_t* data, uint32_t size) override {
        return FakeUart::writeBytes(data, std::min<uint32_t>(size, 3));
    }
};

uint16_t codeOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const CommInterface::CommError& e) {
        return e.code;
    }
    return 0xFFFF;
}

TEST(CommInterface, ErrorCodes) {
    FakeUart link;
    uint8_t buffer[8] = {};
    EXPECT_EQ(codeOf([&] { link.read(nullptr, 1, 1); }), 5);
    EXPECT_EQ(codeOf([&] { link.write(nullptr, 1); }), 5);
    ShortWriter shortWriter;
    EXPECT_EQ(codeOf([&] { shortWriter.write(buffer, 5); }), 4);
    link.close();
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(codeOf([&] { link.read(buffer, 1, 1); }), 1);
    EXPECT_EQ(codeOf([&] { link.write(buffer, 1); }), 1);
    EXPECT_EQ(codeOf([&] { link.discardInput(0); }), 1);
}

TEST(CommInterface, DiscardInputDropsAtMost100Bytes) {
    FakeUart link;
    link.pending.assign(250, 'x');
    EXPECT_EQ(link.discardInput(0), 100u);
    EXPECT_EQ(link.pending.size(), 150u);
}

// A host-supplied factory that hands out in-memory links answering every request with "ac".
class InMemoryFactory : public AbstractUartInterfaceFactory {
public:
    AbstractUartInterface* create(const std::string&) override {
        auto* link = new FakeUart;
        link->replies.assign(4, frameOf("ac"));
        ++created;
        return link;
    }
    int created = 0;
};

TEST(UartInterfaceFactory, HostFactoryAndDefault) {
    LogCapture log;
    auto* host = reinterpret_cast<InstrContext*>(static_cast<HandleBase*>(log.guard().get()));
    InMemoryFactory mine;
    SetUARTInterfaceFactory(host, &mine);
    {
        std::unique_ptr<AbstractUartInterface> link(log.context().uartInterfaceFactory()->create("anything"));
        ConnectResponse response;
        FirmwareMessageHandler::sendRequest(log.context(), *link, ConnectMessage(), response, 20, 1, 0);
        EXPECT_TRUE(response.valid);
    }
    EXPECT_EQ(mine.created, 1);

    SetUARTInterfaceFactory(host, nullptr);
    torvik::sim::Simulator sim;
    std::unique_ptr<AbstractUartInterface> link(log.context().uartInterfaceFactory()->create(sim.portPath()));
    EXPECT_EQ(link->baudRate, 9600u);
    ConnectResponse response;
    FirmwareMessageHandler::sendRequest(log.context(), *link, ConnectMessage(), response, 500, 2, 0);
    EXPECT_TRUE(response.valid);
    EXPECT_EQ(mine.created, 1);
    EXPECT_EQ(sim.requests(), (std::vector<std::string>{"AC7B"}));
}

}  // namespace
}  // namespace devlib_instr
