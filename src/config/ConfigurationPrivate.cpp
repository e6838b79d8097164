#include "config/ConfigurationPrivate.hpp"

#include <nlohmann/json.hpp>
#include <utility>

#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"
#include "torvik/uart_interface.hpp"

namespace devlib_instr {

namespace {
ContextGuard contextOf(const DeviceGuard& device) {
    return device ? device->context() : ContextGuard();
}
}  // namespace

ConfigurationPrivate::ConfigurationPrivate(DeviceGuard device)
    : device_(std::move(device)),
      context_(contextOf(device_)),
      communicator_(std::make_shared<ConfigurationDatabaseCommunicatorPrivate>(device_)),
      converter_(communicator_) {}

void ConfigurationPrivate::fail(ErrorCode code, std::u16string text) {
    if (context_) context_->log(LogLevel::Error, text);
    errors_.emplace_back(ErrorCategory::InstrContainerWriter, code, std::move(text));
}

bool ConfigurationPrivate::read(std::string_view request, uint32_t option, std::string& result) {
    errors_.clear();
    try {
        result = converter_.read(request, option);
        return true;
    } catch (const Error& e) {
        errors_.push_back(e);
    } catch (const CommInterface::CommError& e) {
        fail(ErrorCode::OperationFailed, msg::commErrorReadingConfiguration + widen(std::to_string(e.code)));
    } catch (const std::exception& e) {
        fail(ErrorCode::OperationFailed, msg::exceptionReadingConfiguration + widen(e.what()));
    } catch (...) {
        fail(ErrorCode::OperationFailed, msg::unknownExceptionReadingConfiguration);
    }
    return false;
}

bool ConfigurationPrivate::write(std::string_view document) {
    errors_.clear();
    try {
        converter_.write(document);
        return true;
    } catch (const Error& e) {
        errors_.push_back(e);
    } catch (const CommInterface::CommError& e) {
        fail(ErrorCode::OperationFailed, msg::commErrorWritingConfiguration + widen(std::to_string(e.code)));
    } catch (const nlohmann::json::exception& e) {
        fail(ErrorCode::ConversionFailed, msg::exceptionParsingJson + widen(e.what()));
    } catch (const std::exception& e) {
        fail(ErrorCode::OperationFailed, msg::exceptionWritingConfiguration + widen(e.what()));
    } catch (...) {
        fail(ErrorCode::OperationFailed, msg::unknownExceptionWritingConfiguration);
    }
    return false;
}

}  // namespace devlib_instr
