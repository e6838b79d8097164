// The tool's own serial link, installed on its context through SetUARTInterfaceFactory: the
// library exchanges every frame through it, and between the library's calls the tool may use the
// same open port for requests the C table does not offer (the device state, DeviceState.hpp).
// A port that does not open tells the factory why, in words a user knows.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "torvik/uart_interface.hpp"

namespace torvik::cli {

class LinkFactory;

class SerialLink final : public devlib_instr::AbstractUartInterface {
public:
    // Opens the port (raw 8N1, exclusive use); CommError(2) when it does not open, with the reason
    // left in `factory`.
    SerialLink(std::string portName, uint32_t baudRate, LinkFactory& factory);
    ~SerialLink() override;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    void configure() override;
    void setBaudRate(uint32_t baud) override;

protected:
    bool doOpen() override;
    bool doClose() override;
    uint32_t writeBytes(const uint8_t* data, uint32_t size) override;
    bool writeByte(uint8_t value) override;
    uint32_t readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override;

private:
    struct Port;  // the platform's handle or descriptor, defined by the platform's file
    std::unique_ptr<Port> port_;
    LinkFactory& factory_;
};

class LinkFactory final : public devlib_instr::AbstractUartInterfaceFactory {
public:
    devlib_instr::AbstractUartInterface* create(const std::string& portName) override;

    // The open link (owned by the library's device), or null.
    devlib_instr::AbstractUartInterface* link() const { return link_; }
    // Why the last port did not open; empty when it did.
    const std::string& openProblem() const { return openProblem_; }
    // True when the last read on the link ended without a byte: the detector did not answer.
    bool heardNothing() const { return heardNothing_; }

private:
    friend class SerialLink;
    devlib_instr::AbstractUartInterface* link_ = nullptr;
    std::string openProblem_;
    std::atomic<bool> heardNothing_ = false;  // set on the datalog reader's thread too
};

}  // namespace torvik::cli
