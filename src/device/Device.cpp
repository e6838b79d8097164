#include "device/Device.hpp"

#include <fmt/printf.h>

#include <chrono>
#include <utility>

#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "comm/WaitGuard.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {

// The datalog clear erases flash on the device and takes longer than any other command.
constexpr uint32_t clearResponseTimeoutMs = 3000;
// Maintenance mode keeps the device from logging while its datalog changes.
constexpr int64_t maintenanceDurationSeconds = 30;
// The state in which the device accepts the datalog clear, and how long to wait for it.
constexpr int32_t readyState = 9;
constexpr int64_t readyStateTimeoutMs = 5000;
// The pause between two state polls (200 ms).
constexpr int32_t statePollPauseKind = WaitGuard::deviceStatePoll;

Error clearFailure(const Context& context, const std::u16string& text) {
    context.log(LogLevel::Error, text);
    return Error(ErrorCategory::InstrFirmwareFlasher, ErrorCode::OperationFailed, text);
}

}  // namespace

Device::Device(ContextGuard context) : context_(std::move(context)) {}

Device::~Device() = default;

void Device::open(const std::string& portName) {
    std::unique_ptr<AbstractUartInterface> fresh;
    try {
        fresh.reset(context_->uartInterfaceFactory()->create(portName));
    } catch (const CommInterface::CommError& e) {
        throw Error(ErrorCategory::General, ErrorCode::ConnectionFailed, widen(e.what()));
    }
    // The new link is built while the old one still holds its port; the old one goes now.
    std::swap(link_, fresh);
    fresh.reset();
    if (!isOpen()) {
        link_.reset();
        throw Error(ErrorCategory::General, ErrorCode::ConnectionFailed, msg::connectionFailed);
    }
    portName_ = portName;
}

void Device::close() {
    link_.reset();
}

bool Device::isOpen() const {
    return link_ != nullptr && link_->isOpen();
}

void Device::exchange(const FirmwareCmdMessage& request, FirmwareResponseMessage& response, uint32_t timeoutMs,
                      uint32_t attempts, uint32_t pauseMs) {
    if (!link_) throw CommInterface::CommError(1);
    FirmwareMessageHandler::sendRequest(*context_, *link_, request, response, timeoutMs, attempts, pauseMs);
}

int32_t Device::readDeviceState() {
    ReadDeviceStateResponse response;
    exchange(ReadDeviceStateRequest(), response);
    return static_cast<int32_t>(response.stateWord);
}

void Device::switchOff() {
    SwitchOffResponse response;
    exchange(SwitchOffRequest(), response);
}

void Device::switchOn() {
    SwitchOnResponse response;
    exchange(SwitchOnRequest(), response);
}

bool Device::waitForState(int32_t target, int64_t timeoutMs, bool ignoreReadErrors) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int32_t current = 0;
    // At least one state is read, even with a time-out of 0; time is compared only between polls.
    for (bool first = true;; first = false) {
        if (!first && (current == target || std::chrono::steady_clock::now() >= deadline)) return current == target;
        WaitGuard::instance().Pause(statePollPauseKind);
        try {
            current = readDeviceState();
            context_->log(LogLevel::Info, widen(fmt::sprintf(msg::stillWaitingFormat, target, current)));
        } catch (...) {
            if (!ignoreReadErrors) throw;
            context_->log(LogLevel::Info, widen(fmt::sprintf(msg::readStateFailedFormat, target)));
        }
    }
}

void Device::clearGdcDatalog() {
    try {
        // The clear goes on whether or not the device reached the ready state.
        waitForState(readyState, readyStateTimeoutMs, true);
        SetMaintenanceModeResponse maintenance;
        exchange(SetMaintenanceModeRequest(true, maintenanceDurationSeconds), maintenance);
        GdcDatalogClearResponse cleared;
        exchange(GdcDatalogClearRequest(), cleared, clearResponseTimeoutMs);
    } catch (const Error&) {
        throw;
    } catch (const std::exception& e) {
        throw clearFailure(*context_, msg::exceptionWhileClearing + widen(e.what()));
    } catch (...) {
        throw clearFailure(*context_, msg::unknownExceptionReadingDatalog);
    }
}

}  // namespace devlib_instr
