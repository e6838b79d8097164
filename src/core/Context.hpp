// The context: the root every other handle hangs from. It holds the host's log and text
// callbacks, the decimal-separator attribute, the file-system helper, the host's serial-link
// factory, and the exchange policy and clock that every device, reader and configuration made
// from it times its exchanges with.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/AbstractFilesystem.hpp"
#include "core/Clock.hpp"
#include "core/ExchangePolicy.hpp"
#include "core/Handle.hpp"
#include "core/LogLevel.hpp"
#include "torvik/instrument_api.h"
#include "torvik/uart_interface.hpp"

namespace devlib_instr {

class Context : public ExternalRefCountableT<Context> {
public:
    Context();
    ~Context() override;

    void log(LogLevel level, std::u16string_view text) const;

    // A null callback restores the built-in one (and null user data).
    void setLogCallback(LogCallback fn, void* user);
    void setTextCallback(TextCallback fn, void* user);

    // Context attribute 0 is the decimal separator (a 2-byte value). Another attribute is logged at
    // DEBUG and raises Error(0, 17); another size raises Error(0, 1).
    void setAttribute(uint32_t attribute, const void* value, uint32_t size);

    AbstractFilesystem& filesystem() const { return *filesystem_; }

    // The host's factory; null when none is installed (the device then uses the library's own link).
    AbstractUartInterfaceFactory* uartInterfaceFactory() const { return uartFactory_; }
    void setUartInterfaceFactory(AbstractUartInterfaceFactory* factory) { uartFactory_ = factory; }

    // The policy starts as the defaults with what TORVIK_EXCHANGE_POLICY sets; the first use logs,
    // once, that it was ignored or that it changes the protocol's values. Like the other fields,
    // set it before the context is used from several threads.
    const ExchangePolicy& exchangePolicy() const;
    void setExchangePolicy(const ExchangePolicy& policy) { policy_ = policy; }
    const AbstractClock& clock() const { return *clock_; }
    // The clock must outlive the context.
    void setClock(const AbstractClock& clock) { clock_ = &clock; }

    TextCallback textCallback() const { return textCallback_; }
    void* textUserData() const { return textUserData_; }

private:
    TextCallback textCallback_;
    void* textUserData_ = nullptr;
    LogCallback logCallback_;
    void* logUserData_ = nullptr;
    char16_t decimalSeparator_ = u'.';  // kept as the host set it; no text of the library has decimals
    std::unique_ptr<AbstractFilesystem> filesystem_;
    AbstractUartInterfaceFactory* uartFactory_ = nullptr;
    ExchangePolicy policy_;
    std::u16string policyNotice_;
    mutable std::once_flag policyNoticeLogged_;
    const AbstractClock* clock_;
};

using ContextGuard = HandleGuard<Context>;

// The built-in callbacks a context starts with.
void consoleLogger(int32_t level, const InstrWChar* text, void* user);
int32_t builtinTextProvider(uint32_t id, uint32_t extra, InstrWChar* buffer, uint32_t bufferLength);

}  // namespace devlib_instr
