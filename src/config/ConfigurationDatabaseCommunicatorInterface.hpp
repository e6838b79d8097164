// Reads configuration values from the detector's database and writes them back, by key and
// channel; it knows nothing of the JSON document.
#pragma once

#include "config/ChannelMap.hpp"
#include "config/ConfigurationData.hpp"

namespace devlib_instr {

class ConfigurationDatabaseCommunicatorInterface {
public:
    virtual ~ConfigurationDatabaseCommunicatorInterface() = default;

    // Stores one value per requested (channel, key) in `result`; keys without a location on a
    // channel are stored unset. True when every value could be stored.
    virtual bool readValues(const ConfigurationRequest& request, ConfigurationData& result) = 0;
    // Writes the set values: true when the whole write sequence completed; a write that stops
    // raises its cause.
    virtual bool writeValues(const ConfigurationData& values) = 0;
    // Drops the collected sections and every cached section image.
    virtual void clear() = 0;
    // The channel map of the last operation (all channels inactive before the first).
    virtual const ChannelMap& channelMap() const = 0;
};

}  // namespace devlib_instr
