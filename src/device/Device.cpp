#include "device/Device.hpp"

#include <fmt/format.h>

#include <chrono>
#include <utility>

#include "comm/DefaultUartInterfaceFactory.hpp"
#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "comm/UartInterface.hpp"
#include "core/CaughtException.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"
#include "device/DeviceState.hpp"

namespace devlib_instr {

namespace {

// The clear passes the library's own errors on; every other failure becomes Error(3, 19).
constexpr FailureWording clearWording{.category = ErrorCategory::InstrFirmwareFlasher,
                                      .code = ErrorCode::OperationFailed,
                                      .commErrorPrefix = {},  // a serial-link error counts as any exception
                                      .exceptionPrefix = msg::exceptionWhileClearing,
                                      .unknownText = msg::unknownExceptionReadingDatalog};

AbstractUartInterfaceFactory& factoryOf(const Context& context) {
    AbstractUartInterfaceFactory* host = context.uartInterfaceFactory();
    return host != nullptr ? *host : defaultUartInterfaceFactory();
}

}  // namespace

Device::Device(ContextGuard context) : context_(std::move(context)) {}

Device::~Device() = default;

void Device::open(const std::string& portName) {
    // The port is claimed exclusively: a new link on the port this device holds could not open it.
    if (link_ && portName == portName_) link_.reset();
    std::unique_ptr<AbstractUartInterface> fresh;
    try {
        fresh.reset(factoryOf(*context_).create(portName));
    } catch (const CommInterface::CommError& e) {
        if (const auto* why = dynamic_cast<const UartInterface::PortNotOpened*>(&e))
            context_->log(LogLevel::Error, widen(why->reason));
        throw Error(ErrorCategory::General, ErrorCode::ConnectionFailed, widen(e.what()));
    }
    // On another port the new link is built while the old one still holds its port; the old one
    // goes now, and stays when the new one cannot be built.
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

AbstractUartInterface& Device::openLink() const {
    if (!link_) throw CommInterface::CommError(1);
    return *link_;
}

void Device::exchange(const FirmwareCmdMessage& request, FirmwareResponseMessage& response) {
    FirmwareMessageHandler::sendRequest(*context_, openLink(), request, response);
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
    const AbstractClock& clock = context_->clock();
    const auto pollInterval = std::chrono::milliseconds(context_->exchangePolicy().statePollMs);
    const auto deadline = clock.now() + std::chrono::milliseconds(timeoutMs);
    int32_t current = 0;
    // At least one state is read, even with a time-out of 0; time is compared only between polls.
    for (bool first = true;; first = false) {
        if (!first && (current == target || clock.now() >= deadline)) return current == target;
        clock.sleepFor(pollInterval);
        try {
            current = readDeviceState();
            context_->log(LogLevel::Info, widen(fmt::format(msg::stillWaitingFormat, target, current)));
        } catch (...) {
            if (!ignoreReadErrors) throw;
            context_->log(LogLevel::Info, widen(fmt::format(msg::readStateFailedFormat, target)));
        }
    }
}

void Device::clearGdcDatalog() {
    const ExchangePolicy& policy = context_->exchangePolicy();
    try {
        // The clear goes on whether or not the device reached the ready state.
        waitForState(deviceState::ready, policy.readyWaitTimeoutMs, true);
        SetMaintenanceModeResponse maintenance;
        exchange(SetMaintenanceModeRequest(true, static_cast<int32_t>(policy.maintenanceDurationS)), maintenance);
        // The clear erases flash on the device and has a reply time-out of its own.
        GdcDatalogClearResponse cleared;
        FirmwareMessageHandler::sendRequest(*context_, openLink(), GdcDatalogClearRequest(), cleared,
                                            policy.clearReplyTimeoutMs, policy.attempts, policy.retryPauseMs);
    } catch (...) {
        const CaughtException caught = describeCaughtException(clearWording);
        if (caught.worded) context_->log(LogLevel::Error, caught.error.message);
        throw caught.error;
    }
}

}  // namespace devlib_instr
