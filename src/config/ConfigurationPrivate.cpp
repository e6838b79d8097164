#include "config/ConfigurationPrivate.hpp"

#include <nlohmann/json.hpp>
#include <utility>

#include "config/ConfigError.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {

ContextGuard contextOf(const DeviceGuard& device) {
    return device ? device->context() : ContextGuard();
}

constexpr FailureWording readWording{.category = ErrorCategory::InstrContainerWriter,
                                     .code = ErrorCode::OperationFailed,
                                     .commErrorPrefix = msg::commErrorReadingConfiguration,
                                     .exceptionPrefix = msg::exceptionReadingConfiguration,
                                     .unknownText = msg::unknownExceptionReadingConfiguration};
constexpr FailureWording writeWording{.category = ErrorCategory::InstrContainerWriter,
                                      .code = ErrorCode::OperationFailed,
                                      .commErrorPrefix = msg::commErrorWritingConfiguration,
                                      .exceptionPrefix = msg::exceptionWritingConfiguration,
                                      .unknownText = msg::unknownExceptionWritingConfiguration};

}  // namespace

ConfigurationPrivate::ConfigurationPrivate(DeviceGuard device)
    : device_(std::move(device)),
      context_(contextOf(device_)),
      communicator_(std::make_shared<ConfigurationDatabaseCommunicatorPrivate>(device_)),
      converter_(communicator_, [this](const std::string& note) { log(LogLevel::Error, widen(note)); }) {}

void ConfigurationPrivate::keep(const CaughtException& caught) {
    if (caught.worded) log(LogLevel::Error, caught.error.message);
    errors_.push_back(caught.error);
}

void ConfigurationPrivate::reportStoppedState(const char16_t* text) {
    log(LogLevel::Warn, text);
    errors_.push_back(configFailure(text));
}

void ConfigurationPrivate::log(LogLevel level, std::u16string_view text) const {
    if (context_) context_->log(level, text);
}

bool ConfigurationPrivate::read(std::string_view request, uint32_t option, std::string& result) {
    errors_.clear();
    try {
        result = converter_.read(request, option);
        return true;
    } catch (...) {
        keep(describeCaughtException(readWording));
    }
    return false;
}

bool ConfigurationPrivate::write(std::string_view document) {
    errors_.clear();
    try {
        converter_.write(document);
        return true;
    } catch (const nlohmann::json::exception& e) {
        // A request the JSON library cannot read has a row of its own.
        keep({configError(ErrorCode::ConversionFailed, msg::exceptionParsingJson + widen(e.what())), true});
    } catch (...) {
        keep(describeCaughtException(writeWording));
    }
    // After the cause: what the stopped write left on the device, for whoever has to deal with it.
    if (communicator_->leftConnected()) reportStoppedState(msg::writeStoppedConnected);
    if (communicator_->leftSwitchedOff()) reportStoppedState(msg::writeStoppedDeviceOff);
    return false;
}

}  // namespace devlib_instr
