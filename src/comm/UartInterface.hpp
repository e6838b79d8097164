// The library's own serial link: termios on POSIX, the Win32 communications API on Windows.
// The port opens in the constructor (CommError(2) when it cannot, PortNotOpened where the platform
// tells why); line: 8 data bits, one stop bit, no parity, no flow control.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "torvik/uart_interface.hpp"

namespace devlib_instr {

class UartInterface final : public AbstractUartInterface {
public:
    // The open failed for a reason the platform told (no such port, no permission, in use by
    // another program or another link of this library); `reason` is the line the device logs.
    class PortNotOpened : public CommError {
    public:
        explicit PortNotOpened(std::string reason) : CommError(2), reason(std::move(reason)) {}
        std::string reason;
    };

    UartInterface(std::string portName, uint32_t baudRate, uint8_t byteSize, uint8_t stopBits, uint8_t parity);
    ~UartInterface() override;

    void configure() override;
    void setBaudRate(uint32_t baud) override;

protected:
    bool doOpen() override;
    bool doClose() override;
    uint32_t writeBytes(const uint8_t* data, uint32_t size) override;
    bool writeByte(uint8_t value) override;
    uint32_t readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override;

private:
    // The platform's state of the port (its handle or descriptor), defined by the platform's file.
    struct Port;
    std::unique_ptr<Port> port_;
};

}  // namespace devlib_instr
