// The configuration handle the host holds: reads and writes the detector's configuration as a
// fieldconfig document. It keeps its device (and through it the device's context) alive.
#pragma once

#include <memory>

#include "config/ConfigurationPrivate.hpp"
#include "core/Handle.hpp"
#include "device/Device.hpp"

namespace devlib_instr {

class Configuration : public ExternalRefCountableT<Configuration> {
public:
    explicit Configuration(DeviceGuard device) : d(std::make_shared<ConfigurationPrivate>(std::move(device))) {}

    std::shared_ptr<ConfigurationPrivate> d;
};

using ConfigurationGuard = HandleGuard<Configuration>;

}  // namespace devlib_instr
