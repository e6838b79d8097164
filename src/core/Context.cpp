#include "core/Context.hpp"

namespace devlib_instr {

Context::Context()
    : textCallback_(&builtinTextProvider), logCallback_(&consoleLogger), filesystem_(makeFilesystem()) {}

Context::~Context() = default;

void Context::log(LogLevel level, std::u16string_view text) const {
    std::u16string terminated(text);
    logCallback_(static_cast<int32_t>(level), reinterpret_cast<const InstrWChar*>(terminated.c_str()), logUserData_);
}

void Context::setLogCallback(LogCallback fn, void* user) {
    logCallback_ = fn != nullptr ? fn : &consoleLogger;
    logUserData_ = fn != nullptr ? user : nullptr;
}

void Context::setTextCallback(TextCallback fn, void* user) {
    textCallback_ = fn != nullptr ? fn : &builtinTextProvider;
    textUserData_ = fn != nullptr ? user : nullptr;
}

AbstractUartInterfaceFactory* Context::uartInterfaceFactory() const {
    return uartFactory_ != nullptr ? uartFactory_ : &defaultUartInterfaceFactory();
}

void SetUARTInterfaceFactory(InstrContext* context, AbstractUartInterfaceFactory* factory) {
    ContextGuard guard = lockHandle(reinterpret_cast<Context*>(context));
    if (guard) guard->setUartInterfaceFactory(factory);
}

}  // namespace devlib_instr
