// One detector on one serial port. The device owns the serial link and runs the few operations
// that are not part of a larger transfer; every request is one exchange of the message handler.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Context.hpp"
#include "core/Handle.hpp"
#include "torvik/uart_interface.hpp"

namespace devlib_instr {

class FirmwareCmdMessage;
class FirmwareResponseMessage;

class Device : public ExternalRefCountableT<Device> {
public:
    explicit Device(ContextGuard context);
    ~Device() override;

    // Opens a link on the port through the context's factory (the library's own serial link when
    // the host installed none); Error(0, 6) when it does not open, with a log line at ERROR when
    // another holds the port. A re-open of the port the device holds closes the old link first.
    void open(const std::string& portName);
    void close();
    bool isOpen() const;
    std::string portName() const { return portName_; }
    AbstractUartInterface* link() const { return link_.get(); }
    const ContextGuard& context() const { return context_; }

    // One request/response exchange on this device's link with the context's exchange policy
    // (CommError(1) when not open).
    void exchange(const FirmwareCmdMessage& request, FirmwareResponseMessage& response);

    int32_t readDeviceState();
    void switchOff();
    void switchOn();
    // Polls at the policy's state-poll interval until the device reports `target` or the time is up.
    bool waitForState(int32_t target, int64_t timeoutMs, bool ignoreReadErrors);
    // Maintenance mode, then the clear; failures other than Error become Error(3, 19).
    void clearGdcDatalog();

private:
    AbstractUartInterface& openLink() const;

    ContextGuard context_;
    std::unique_ptr<AbstractUartInterface> link_;
    std::string portName_;
};

using DeviceGuard = HandleGuard<Device>;

}  // namespace devlib_instr
