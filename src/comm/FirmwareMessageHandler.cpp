#include "comm/FirmwareMessageHandler.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <stdexcept>

#include "comm/PayloadCodec.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {

constexpr std::string_view standardErrorHead = "?aq";
constexpr size_t standardErrorCodeDigits = 2;
constexpr size_t unexpectedBytesShown = 5;

void pause(const Context& context, uint32_t ms) {
    context.clock().sleepFor(std::chrono::milliseconds(ms));
}

// After a change of line speed the device needs a moment before it listens at the new rate.
void switchBaudRate(const Context& context, AbstractUartInterface& link, uint32_t baud) {
    link.baudRate = baud;
    link.setBaudRate(baud);
    pause(context, context.exchangePolicy().rateSwitchPauseMs);
}

// Reads `count` bytes (fewer when the time-out runs out; the rest stay zero).
std::vector<uint8_t> readBlock(AbstractUartInterface& link, size_t count, uint32_t timeoutMs) {
    std::vector<uint8_t> block(count);
    if (count > 0) link.read(block.data(), static_cast<uint32_t>(count), timeoutMs);
    return block;
}

std::u16string retryLine(const FirmwareCmdMessage& request, uint32_t attempt, uint32_t attempts) {
    return utf8ToUtf16(fmt::format(msg::noOrInvalidResponseFormat, toUtf8(request.description), attempt, attempts));
}

std::u16string commErrorLine(const FirmwareCmdMessage& request, const CommInterface::CommError& error) {
    return msg::commErrorWhenSending + widen(request.code) + widen(fmt::format(msg::commErrorCodeFormat, error.code));
}

std::u16string timeoutLine(const FirmwareCmdMessage& request) {
    // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict for a literal + string.
    std::u16string line(msg::timeoutWhenReceiving);
    line.append(u"\"").append(widen(request.code)).append(u"\"").append(msg::timeoutCommandSuffix);
    return line;
}

std::string unexpectedMessage(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return std::string(msg::unexpectedMessagePrefix) + msg::unexpectedMessageEmpty;
    std::string text(msg::unexpectedMessagePrefix);
    size_t shown = std::min(bytes.size(), unexpectedBytesShown);
    for (size_t i = 0; i < shown; ++i) {
        if (i > 0) text += ' ';
        text += fmt::format("{:02X}", bytes[i]);
    }
    if (bytes.size() > unexpectedBytesShown) text += msg::unexpectedMessageMore;
    return text;
}

}  // namespace

FirmwareMessageHandler::StandardErrorResponseException::StandardErrorResponseException(uint32_t errorCode)
    : errorCode(errorCode), message(fmt::format(msg::standardErrorFormat, standardErrorText(errorCode), errorCode)) {}

FirmwareMessageHandler::UnexpectedResponseException::UnexpectedResponseException(std::vector<uint8_t> response)
    : response(std::move(response)), message(unexpectedMessage(this->response)) {}

void FirmwareMessageHandler::sendRequest(const Context& context, AbstractUartInterface& link,
                                         const FirmwareCmdMessage& request, FirmwareResponseMessage& response,
                                         uint32_t timeoutMs, uint32_t attempts, uint32_t pauseMs) {
    const uint32_t restoreRate = link.baudRate;
    for (uint32_t attempt = 0;; ++attempt) {
        if (attempt == attempts) throw CommunicationFailedException();
        bool received = false;
        try {
            if (link.baudRate != line::exchangeBaudRate) switchBaudRate(context, link, line::exchangeBaudRate);
            link.discardInput(0);
            link.write(request.frame.data(), static_cast<uint32_t>(request.frame.size()));
            received = receiveResponse(context, link, request, response, timeoutMs);
        } catch (const CommInterface::CommError& error) {
            context.log(LogLevel::Info, commErrorLine(request, error));
            pause(context, pauseMs);
            continue;
        }
        if (received) {
            // Only a successful exchange returns the line to its previous rate.
            if (link.baudRate != restoreRate) switchBaudRate(context, link, restoreRate);
            return;
        }
        context.log(LogLevel::Debug, retryLine(request, attempt + 1, attempts));
        pause(context, pauseMs);
    }
}

void FirmwareMessageHandler::sendRequest(const Context& context, AbstractUartInterface& link,
                                         const FirmwareCmdMessage& request, FirmwareResponseMessage& response) {
    const ExchangePolicy& policy = context.exchangePolicy();
    sendRequest(context, link, request, response, policy.replyTimeoutMs, policy.attempts, policy.retryPauseMs);
}

bool FirmwareMessageHandler::receiveResponse(const Context& context, AbstractUartInterface& link,
                                             const FirmwareCmdMessage& request, FirmwareResponseMessage& response,
                                             uint32_t timeoutMs) {
    std::vector<uint8_t> buffer;
    buffer.reserve(response.expectedLength);
    std::vector<uint8_t> head = readBlock(link, response.code.size(), timeoutMs);
    if (response.isResponseTo(head)) {
        buffer = std::move(head);
    } else {
        // The line echoed the request: drop the rest of the echo.
        size_t echoed = request.frame.size() > head.size() ? request.frame.size() - head.size() : 0;
        readBlock(link, echoed, timeoutMs);
    }

    const AbstractClock& clock = context.clock();
    const uint32_t byteReadTimeoutMs = context.exchangePolicy().byteReadTimeoutMs;
    const auto deadline = clock.now() + std::chrono::milliseconds(timeoutMs);
    bool complete = false;
    while (!complete) {
        if (clock.now() >= deadline) {
            context.log(LogLevel::Warn, timeoutLine(request));
            break;
        }
        uint8_t byte = 0;
        if (link.read(&byte, 1, byteReadTimeoutMs) == 0) continue;
        buffer.push_back(byte);
        complete = byte == line::frameEnd;
    }

    checkStandardError(buffer);
    response.decode(buffer);
    return response.valid;
}

void FirmwareMessageHandler::checkStandardError(const std::vector<uint8_t>& received) {
    if (received.size() < standardErrorHead.size() + standardErrorCodeDigits) return;
    if (!std::equal(standardErrorHead.begin(), standardErrorHead.end(), received.begin())) return;
    std::string_view digits(reinterpret_cast<const char*>(received.data()) + standardErrorHead.size(),
                            standardErrorCodeDigits);
    uint8_t code = 0;
    try {
        code = takeFirstByte(hexDecode(digits));
    } catch (const std::runtime_error&) {
        throw UnexpectedResponseException(received);
    }
    throw StandardErrorResponseException(code);
}

std::string FirmwareMessageHandler::standardErrorText(uint32_t code) {
    const auto* found = std::find_if(std::begin(msg::standardErrorTexts), std::end(msg::standardErrorTexts),
                                     [code](const msg::StandardErrorText& row) { return row.code == code; });
    return found != std::end(msg::standardErrorTexts) ? found->text : msg::unknownStandardError;
}

}  // namespace devlib_instr
