// Runs one request/response exchange with the detector: exchange speed, stale input, echo
// skipping, standard error replies, checksum check, bounded retries.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "comm/FirmwareMessage.hpp"
#include "core/Context.hpp"
#include "core/Error.hpp"
#include "core/MessageCatalogue.hpp"
#include "torvik/uart_interface.hpp"

namespace devlib_instr {

class FirmwareMessageHandler {
public:
    class FirmwareMessageException : public UntextedException {};
    class CommunicationFailedException : public FirmwareMessageException {};
    class StandardErrorResponseException : public FirmwareMessageException {
    public:
        explicit StandardErrorResponseException(uint32_t errorCode);
        const char* what() const noexcept override { return message.c_str(); }
        uint32_t errorCode;
        std::string message;
    };
    class UnexpectedResponseException : public FirmwareMessageException {
    public:
        explicit UnexpectedResponseException(std::vector<uint8_t> response);
        const char* what() const noexcept override { return message.c_str(); }
        std::vector<uint8_t> response;
        std::string message;
    };

    // On return `response` holds a valid, parsed reply. Throws CommunicationFailedException after
    // `attempts` failed attempts; standard error replies, unexpected replies and parse errors end
    // the exchange at once. The context's policy gives the line's pauses and its clock the time.
    static void sendRequest(const Context& context, AbstractUartInterface& link, const FirmwareCmdMessage& request,
                            FirmwareResponseMessage& response, uint32_t timeoutMs, uint32_t attempts, uint32_t pauseMs);
    // The same with the reply time-out, attempts and pause of the context's policy.
    static void sendRequest(const Context& context, AbstractUartInterface& link, const FirmwareCmdMessage& request,
                            FirmwareResponseMessage& response);
    // One reception attempt; true when the response is valid.
    static bool receiveResponse(const Context& context, AbstractUartInterface& link, const FirmwareCmdMessage& request,
                                FirmwareResponseMessage& response, uint32_t timeoutMs);
    // Throws StandardErrorResponseException for a "?aq" reply (UnexpectedResponseException when its
    // code is not hexadecimal); returns otherwise.
    static void checkStandardError(const std::vector<uint8_t>& received);
    static std::string standardErrorText(uint32_t code);
};

}  // namespace devlib_instr
