// The configuration handle the host holds: reads and writes the detector's configuration as a
// fieldconfig document. The work is the private part `d`, which the configuration slots use
// directly; it keeps the device (and through it the device's context) alive.
#pragma once

#include <memory>
#include <utility>

#include "config/ConfigurationPrivate.hpp"
#include "core/Handle.hpp"
#include "device/Device.hpp"

namespace devlib_instr {

class Configuration : public ExternalRefCountableT<Configuration> {
public:
    explicit Configuration(DeviceGuard device) : d(std::make_unique<ConfigurationPrivate>(std::move(device))) {}

    const std::unique_ptr<ConfigurationPrivate> d;
};

using ConfigurationGuard = HandleGuard<Configuration>;

}  // namespace devlib_instr
