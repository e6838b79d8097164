#include "config/ConfigurationConverter.hpp"

#include <algorithm>
#include <utility>

#include "config/ConfigError.hpp"
#include "config/ConfigurationDocument.hpp"
#include "config/ConfigurationRequestParser.hpp"
#include "config/DocumentShape.hpp"
#include "config/GasUnits.hpp"
#include "config/KeyTable.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

namespace {

bool hasSetAlarmLevel(const ConfigurationData::Slots& slots) {
    return std::any_of(slots.begin(), slots.end(),
                       [](const auto& slot) { return hasRole(slot.first, Role::AlarmLevel) && isSet(slot.second); });
}

// A channel with alarm levels needs a known unit before anything is converted.
GasFeatures checkedFeatures(const ConfigurationData& gas, uint8_t channel) {
    if (gas.channels().count(channel) == 0) throw configError(ErrorCode::ConversionFailed, msg::gasFeaturesNoUnit);
    if (!gas.isSet(channel, keyWithRole(Role::MeasuringUnit)))
        throw configError(ErrorCode::ConversionFailed, msg::gasFeaturesInvalidUnit);
    return GasFeatures::of(gas, channel);
}

}  // namespace

namespace conversion {

void convertAlarmLevels(ConfigurationData& values, const ConfigurationData& gas, bool toUnit) {
    for (auto& [channel, slots] : values.channels()) {
        if (channel >= channelCount || !hasSetAlarmLevel(slots)) continue;
        const GasFeatures features = checkedFeatures(gas, channel);
        for (auto& [key, value] : slots) {
            if (!hasRole(key, Role::AlarmLevel) || !isSet(value)) continue;
            const float level = std::get<float>(value);
            value = toUnit ? ppmToUnit(level, features) : unitToPpm(level, features);
            // A level that is infinite in ppm cannot be stored: refused before the device is touched.
            if (!toUnit && !isSet(value)) throw invalidDataType(nodePath(*keyRow(key), channel));
        }
    }
}

void dropUnchanged(ConfigurationData& values, const ConfigurationData& current) {
    for (auto& [channel, slots] : values.channels()) {
        std::erase_if(slots, [&, channel = channel](const auto& slot) {
            const KeyRow* row = keyRow(slot.first);
            const Value* held = current.find(channel, slot.first);
            return row != nullptr && row->writable && held != nullptr && isSet(*held) && *held == slot.second;
        });
    }
}

void fillFixedValues(ConfigurationData& values, const ConfigurationData& gas) {
    const ConfigurationKey unitKey = keyWithRole(Role::MeasuringUnit);
    for (auto& [channel, slots] : values.channels()) {
        // The gas features, or else the channel's own "measure_gas"/"unit" when it was asked for.
        const ConfigurationData& units = gas.isSet(channel, unitKey) ? gas : values;
        const Value* unit = units.isSet(channel, unitKey) ? units.find(channel, unitKey) : nullptr;
        for (auto& [key, value] : slots) {
            const KeyRow* row = keyRow(key);
            if (row == nullptr) continue;
            if (row->fixed != unsetSigned && !isSet(value)) value = row->fixed;
            if (row->role == Role::AlarmUnit && unit != nullptr) value = *unit;
        }
    }
}

}  // namespace conversion

ConfigurationConverter::ConfigurationConverter(std::shared_ptr<ConfigurationDatabaseCommunicatorInterface> communicator,
                                               RefusalNote note)
    : communicator_(std::move(communicator)), note_(std::move(note)) {}

std::string ConfigurationConverter::read(std::string_view request, uint32_t option) {
    communicator_->clear();  // every operation starts from the device's current contents
    ConfigurationData values;
    if (!parseConfigurationRequest(request, false, values, note_))
        throw configError(ErrorCode::ConversionFailed, msg::convertingReadFailed);
    if (!communicator_->readValues(values.keys(), values)) throw configFailure(msg::readingDatabaseFailed);
    fillChannelMapKeys(values);
    const ConfigurationData gas = readGasFeatures(values);
    conversion::convertAlarmLevels(values, gas, true);
    conversion::fillFixedValues(values, gas);
    if (option == fingerprintOption) return std::to_string(configurationFingerprint(values));
    return buildConfigurationDocument(values);
}

void ConfigurationConverter::write(std::string_view document) {
    communicator_->clear();  // the device's current contents, nothing left from an earlier write
    ConfigurationData values;
    if (!parseConfigurationRequest(document, true, values, note_))
        throw configError(ErrorCode::ConversionFailed, msg::convertingWriteFailed);
    // Every section to be written is read first, so that the bytes no key names stay as they are.
    ConfigurationData current;
    if (!communicator_->readValues(values.keys(), current)) throw configFailure(msg::readingDatabaseFailed);
    const ConfigurationData gas = readGasFeatures(values);
    // A value equal to what a read shows keeps its stored bytes: converting it back to ppm would
    // move the stored level by float rounding at every write-back of an unedited document.
    conversion::convertAlarmLevels(current, gas, true);
    conversion::dropUnchanged(values, current);
    conversion::convertAlarmLevels(values, gas, false);
    communicator_->writeValues(values);
    communicator_->clear();
}

ConfigurationData ConfigurationConverter::readGasFeatures(const ConfigurationData& values) {
    ConfigurationData gas;
    const bool needed = std::any_of(values.channels().begin(), values.channels().end(), [](const auto& channel) {
        return channel.first < channelCount && hasSetAlarmLevel(channel.second);
    });
    if (!needed) return gas;
    ConfigurationRequest request;
    for (uint8_t channel = 0; channel < channelCount; ++channel)
        for (Role role : {Role::MeasuringUnit, Role::LowerExplosiveLimit, Role::MolarMass})
            request[channel].insert(keyWithRole(role));
    communicator_->clear();
    if (!communicator_->readValues(request, gas)) throw configFailure(msg::readingDatabaseFailed);
    return gas;
}

void ConfigurationConverter::fillChannelMapKeys(ConfigurationData& values) const {
    const ChannelMap& map = communicator_->channelMap();
    for (auto& [channel, slots] : values.channels()) {
        if (!map.isActive(channel)) continue;
        const std::pair<Role, int32_t> known[] = {
            {Role::DisplayIndex, map.displayIndex(channel)},
            {Role::SensorSlot, sensorSlotOf(channel)},
            {Role::SensorKind, static_cast<int32_t>(map.kind(channel))},
        };
        for (const auto& [role, value] : known) {
            auto it = slots.find(keyWithRole(role));
            if (it != slots.end()) it->second = value;
        }
    }
}

}  // namespace devlib_instr
