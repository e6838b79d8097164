// The detector's message frame: an ASCII command code, a payload, two hexadecimal checksum digits
// and a carriage return. Commands encode themselves when built; responses check and parse a
// received frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "torvik/uart_interface.hpp"

namespace devlib_instr {

class FirmwareMessage {
public:
    FirmwareMessage(std::u16string description, std::string code);
    virtual ~FirmwareMessage() = default;

    // One's complement of the 8-bit sum of the bytes.
    static uint8_t checksum(const uint8_t* data, size_t size);

    uint8_t terminator = line::frameEnd;
    uint32_t checksumLength = 2;
    // The encoded command (for a command) or the received frame without its terminator.
    std::vector<uint8_t> frame;
    std::string payload;
    std::string code;
    // A readable name of the exchange, quoted in the handler's retry log line.
    std::u16string description;
};

class FirmwareCmdMessage : public FirmwareMessage {
public:
    FirmwareCmdMessage(std::u16string description, std::string code);

    // frame = code + payload + checksum digits + terminator.
    virtual void encode();
};

class FirmwareResponseMessage : public FirmwareMessage {
public:
    // expectedLength is a capacity hint for the receive buffer; it limits nothing.
    FirmwareResponseMessage(std::u16string description, std::string code, uint32_t expectedLength);

    // True when head begins with this response's code.
    virtual bool isResponseTo(const std::vector<uint8_t>& head) const;
    // Accepts raw (terminator included) when it has the code, the terminator and a matching
    // checksum; then sets payload, frame and valid and calls parsePayload, whose exceptions pass
    // out. Once code and terminator have been seen, raw loses its terminator even when the
    // checksum then fails. A rejected frame only leaves valid false.
    virtual void decode(std::vector<uint8_t>& raw);
    // Reads the fields of a concrete response from payload; nothing here.
    virtual void parsePayload();

    bool valid = false;
    uint32_t expectedLength;
};

}  // namespace devlib_instr
