// The state behind a Configuration handle: the device it works on, the converter with its
// communicator, and the errors of the last operation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigurationConverter.hpp"
#include "config/ConfigurationDatabaseCommunicatorPrivate.hpp"
#include "core/CaughtException.hpp"
#include "core/Context.hpp"
#include "core/Error.hpp"
#include "device/Device.hpp"

namespace devlib_instr {

class ConfigurationPrivate {
public:
    explicit ConfigurationPrivate(DeviceGuard device);

    // Each catches every failure, keeps it in the error list and returns false.
    bool read(std::string_view request, uint32_t option, std::string& result);
    bool write(std::string_view document);

    const std::vector<Error>& errors() const { return errors_; }

private:
    // Keeps a caught failure; one worded here is also logged at ERROR.
    void keep(const CaughtException& caught);
    // A warning and an error record on what a stopped write left on the device.
    void reportStoppedState(const char16_t* text);
    void log(LogLevel level, std::u16string_view text) const;

    DeviceGuard device_;
    ContextGuard context_;
    std::shared_ptr<ConfigurationDatabaseCommunicatorPrivate> communicator_;
    ConfigurationConverter converter_;
    std::vector<Error> errors_;
};

}  // namespace devlib_instr
