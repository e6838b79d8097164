// Torvik device library: the serial-link interfaces a host may implement.
//
// The C table of instrument_api.h is the library's stable boundary. This C++ header serves hosts
// built with the same compiler and standard library as the library: such a host may bring its own
// serial link by implementing AbstractUartInterface and AbstractUartInterfaceFactory and installing
// the factory on a context with devlib_instr::SetUARTInterfaceFactory. Everything here is inline,
// so a host needs no symbol of the library beyond SetUARTInterfaceFactory.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "torvik/instrument_api.h"

namespace devlib_instr {

// The detector's serial line: 8 data bits, no parity, one stop bit, no flow control; 9600 baud at
// rest and 115200 during an exchange; every frame ends with a carriage return. The stop-bit and
// parity codes are those of the Win32 DCB (0: one stop bit, 0: no parity).
namespace line {
inline constexpr uint32_t restingBaudRate = 9600;
inline constexpr uint32_t exchangeBaudRate = 115200;
inline constexpr uint8_t dataBits = 8;
inline constexpr uint8_t oneStopBit = 0;
inline constexpr uint8_t noParity = 0;
inline constexpr uint8_t frameEnd = 0x0D;
}  // namespace line

// An abstract byte stream. The library uses only the non-virtual operations; implementations
// provide the virtual ones. Failures are CommError exceptions.
class CommInterface {
public:
    class CommError : public std::exception {
    public:
        explicit CommError(uint16_t code) : code(code) {}
        // No text of its own: the same default text on every platform.
        const char* what() const noexcept override { return "Unknown exception"; }
        // Codes: 0 a platform call on the open port failed (the port going away included),
        // 1 not open, 2 open failed, 4 short write, 5 null buffer.
        uint16_t code;
    };

    virtual ~CommInterface() = default;

    void open() {
        if (opened) return;
        if (!doOpen()) throw CommError(2);
        opened = true;
    }
    void close() {
        if (!opened) return;
        doClose();
        opened = false;
    }
    bool isOpen() const { return opened; }

    uint32_t read(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) {
        if (!opened) throw CommError(1);
        if (buffer == nullptr) throw CommError(5);
        return readBytes(buffer, size, timeoutMs);
    }
    void write(const uint8_t* data, uint32_t size) {
        if (!opened) throw CommError(1);
        if (data == nullptr) throw CommError(5);
        if (writeBytes(data, size) != size) throw CommError(4);
    }
    // One read of at most 100 stale bytes, which are dropped; returns how many went.
    uint32_t discardInput(uint32_t timeoutMs) {
        if (!opened) throw CommError(1);
        uint8_t scratch[100];
        return readBytes(scratch, sizeof scratch, timeoutMs);
    }

protected:
    virtual bool doOpen() = 0;
    virtual bool doClose() = 0;
    virtual uint32_t writeBytes(const uint8_t* data, uint32_t size) = 0;
    virtual bool writeByte(uint8_t value) = 0;
    // Returns the bytes read before the time-out ran out (0 on time-out).
    virtual uint32_t readBytes(uint8_t* buffer, uint32_t size, uint32_t timeoutMs) = 0;

private:
    bool opened = false;
};

// A serial port: a byte stream with line settings. baudRate is the rate in force; the message
// handler switches it per exchange (it sets the field, then calls setBaudRate).
class AbstractUartInterface : public CommInterface {
public:
    AbstractUartInterface(std::string portName, uint32_t baudRate)
        : portName(std::move(portName)), baudRate(baudRate) {}

    virtual void configure() = 0;
    virtual void setBaudRate(uint32_t baud) = 0;

    std::string portName;
    uint32_t baudRate;
    uint8_t byteSize = line::dataBits;
    uint8_t stopBits = line::oneStopBit;
    uint8_t parity = line::noParity;
};

// Makes serial links. create() returns a link that is already open, or throws CommError(2);
// the caller owns the result.
class AbstractUartInterfaceFactory {
public:
    virtual ~AbstractUartInterfaceFactory() = default;
    virtual AbstractUartInterface* create(const std::string& portName) = 0;
};

// Installs a host factory on a context (null restores the library's default factory). The
// context does not own the factory: keep it alive while the context can still open ports.
// An invalid context is ignored.
TORVIK_EXPORT void SetUARTInterfaceFactory(InstrContext* context, AbstractUartInterfaceFactory* factory);

}  // namespace devlib_instr
