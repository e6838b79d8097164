// The library's own serial link: termios on POSIX, the Win32 communications API on Windows.
// The port opens in the constructor (CommError(2) when it cannot); line: 8 data bits, one stop
// bit, no parity, no flow control.
#pragma once

#include <cstdint>
#include <string>

#include "torvik/uart_interface.hpp"

namespace devlib_instr {

class UartInterface final : public AbstractUartInterface {
public:
    UartInterface(std::string portName, uint32_t baudRate, uint8_t byteSize, uint8_t stopBits, uint8_t parity);
    ~UartInterface() override;

    void configure() override;
    void setBaudRate(uint32_t baud) override;

    // How often the read time-out had to be applied to the port (reads with the time-out already
    // in force do not touch the port).
    uint32_t readTimeoutUpdates() const { return readTimeoutUpdates_; }

protected:
    bool doOpen() override;
    bool doClose() override;
    uint32_t writeBytes(const uint8_t* data, uint32_t size) override;
    bool writeByte(uint8_t value) override;
    uint32_t readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) override;

private:
    void applyReadTimeout(uint32_t timeoutMs);

#ifdef _WIN32
    void* handle_;  // HANDLE; INVALID_HANDLE_VALUE until opened
#else
    int fd_ = -1;
#endif
    uint32_t readTimeoutMs_ = 0;
    uint32_t readTimeoutUpdates_ = 0;
};

}  // namespace devlib_instr
