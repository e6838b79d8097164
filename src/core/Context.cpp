#include "core/Context.hpp"

#include <fmt/format.h>

#include <cstring>

#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {
constexpr uint32_t decimalSeparatorAttribute = INSTR_CONTEXT_DECIMAL_SEPARATOR;
}  // namespace

Context::Context()
    : textCallback_(&builtinTextProvider),
      logCallback_(&consoleLogger),
      filesystem_(makeFilesystem()),
      clock_(&steadyClock()) {
    EnvironmentPolicy fromEnvironment = EnvironmentPolicy::read();
    policy_ = fromEnvironment.policy;
    policyNotice_ = std::move(fromEnvironment.notice);
}

Context::~Context() = default;

const ExchangePolicy& Context::exchangePolicy() const {
    std::call_once(policyNoticeLogged_, [this] {
        if (!policyNotice_.empty()) log(LogLevel::Warn, policyNotice_);
    });
    return policy_;
}

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

void Context::setAttribute(uint32_t attribute, const void* value, uint32_t size) {
    if (attribute != decimalSeparatorAttribute) {
        std::u16string text = widen(fmt::format(msg::unknownAttributeFormat, static_cast<int32_t>(attribute)));
        log(LogLevel::Debug, text);
        throw Error(ErrorCategory::General, ErrorCode::NotSupported, text);
    }
    if (size != sizeof(char16_t))
        throw Error(ErrorCategory::General, ErrorCode::InvalidArgument, msg::wrongDecimalSeparator);
    char16_t separator;
    std::memcpy(&separator, value, sizeof separator);  // the host's buffer need not be aligned
    decimalSeparator_ = separator;
}

void SetUARTInterfaceFactory(InstrContext* context, AbstractUartInterfaceFactory* factory) {
    ContextGuard guard = lockHandle(reinterpret_cast<Context*>(context));
    if (guard) guard->setUartInterfaceFactory(factory);
}

}  // namespace devlib_instr
