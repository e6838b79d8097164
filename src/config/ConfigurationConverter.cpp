#include "config/ConfigurationConverter.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "config/ConfigError.hpp"
#include "config/ConfigurationDocument.hpp"
#include "config/ConfigurationRequestParser.hpp"
#include "config/DocumentPaths.hpp"
#include "config/GasUnits.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

namespace {

constexpr ConfigurationKey displayIndexKey = 33;
constexpr ConfigurationKey sensorSlotKey = 34;
constexpr ConfigurationKey sensorKindKey = 35;

// Values the detector does not store, as every Torvik has them.
constexpr std::array<std::pair<ConfigurationKey, int32_t>, 14> fixedValues{{
    {2, 0},
    {7, 0},
    {32, 0},
    {44, 0},
    {50, 0},  // interval units "d"; STEL/TWA not acknowledgeable
    {45, 1},
    {46, 1},
    {51, 1},
    {52, 1},  // STEL/TWA latching and rising
    {59, 1},
    {65, 1},
    {71, 1},
    {77, 1},
    {83, 1},  // lower and upper alarms enabled
}};

bool hasSetAlarmLevel(const ConfigurationData::Slots& slots) {
    return std::any_of(alarmLevelKeys.begin(), alarmLevelKeys.end(), [&](ConfigurationKey key) {
        auto it = slots.find(key);
        return it != slots.end() && isSet(it->second);
    });
}

bool asksForAlarmUnit(const ConfigurationData::Slots& slots) {
    return std::any_of(alarmUnitKeys.begin(), alarmUnitKeys.end(),
                       [&](ConfigurationKey key) { return slots.count(key); });
}

// A channel with alarm levels needs a known unit before anything is converted.
GasFeatures checkedFeatures(const ConfigurationData& gas, uint8_t channel) {
    if (gas.channels().count(channel) == 0) throw configError(ErrorCode::ConversionFailed, msg::gasFeaturesNoUnit);
    if (!gas.isSet(channel, unitKey)) throw configError(ErrorCode::ConversionFailed, msg::gasFeaturesInvalidUnit);
    return GasFeatures::of(gas, channel);
}

}  // namespace

namespace conversion {

void convertAlarmLevels(ConfigurationData& values, const ConfigurationData& gas, bool toUnit) {
    for (auto& [channel, slots] : values.channels()) {
        if (channel >= channelCount || !hasSetAlarmLevel(slots)) continue;
        const GasFeatures features = checkedFeatures(gas, channel);
        for (ConfigurationKey key : alarmLevelKeys) {
            auto it = slots.find(key);
            if (it == slots.end() || !isSet(it->second)) continue;
            const float level = std::get<float>(it->second);
            it->second = toUnit ? ppmToUnit(level, features) : unitToPpm(level, features);
        }
    }
}

void fillFixedValues(ConfigurationData& values, const ConfigurationData& gas) {
    for (auto& [channel, slots] : values.channels()) {
        for (const auto& [key, fixed] : fixedValues) {
            auto it = slots.find(key);
            if (it != slots.end() && !isSet(it->second)) it->second = fixed;
        }
        if (!gas.isSet(channel, unitKey)) continue;
        for (ConfigurationKey key : alarmUnitKeys) {
            auto it = slots.find(key);
            if (it != slots.end()) it->second = *gas.find(channel, unitKey);
        }
    }
}

}  // namespace conversion

ConfigurationConverter::ConfigurationConverter(std::shared_ptr<ConfigurationDatabaseCommunicatorInterface> communicator)
    : communicator_(std::move(communicator)) {}

std::string ConfigurationConverter::read(std::string_view request, uint32_t option) {
    ConfigurationData values;
    if (!parseConfigurationRequest(request, false, values))
        throw configError(ErrorCode::ConversionFailed, msg::convertingReadFailed);
    communicator_->clear();
    if (!communicator_->readValues(values.keys(), values)) throw configFailure(msg::readingDatabaseFailed);
    fillChannelMapKeys(values);
    const ConfigurationData gas = readGasFeatures(values);
    conversion::convertAlarmLevels(values, gas, true);
    conversion::fillFixedValues(values, gas);
    if (option == fingerprintOption) return std::to_string(configurationFingerprint(values));
    return buildConfigurationDocument(values);
}

void ConfigurationConverter::write(std::string_view document) {
    ConfigurationData values;
    if (!parseConfigurationRequest(document, true, values))
        throw configError(ErrorCode::ConversionFailed, msg::convertingWriteFailed);
    // Every section to be written is read first, so that the bytes no key names stay as they are.
    communicator_->clear();
    ConfigurationData current;
    if (!communicator_->readValues(values.keys(), current)) throw configFailure(msg::readingDatabaseFailed);
    const ConfigurationData gas = readGasFeatures(values);
    conversion::convertAlarmLevels(values, gas, false);
    communicator_->writeValues(values);
    communicator_->clear();
}

ConfigurationData ConfigurationConverter::readGasFeatures(const ConfigurationData& values) {
    ConfigurationData gas;
    const bool needed = std::any_of(values.channels().begin(), values.channels().end(), [](const auto& channel) {
        return channel.first < channelCount && (hasSetAlarmLevel(channel.second) || asksForAlarmUnit(channel.second));
    });
    if (!needed) return gas;
    ConfigurationRequest request;
    for (uint8_t channel = 0; channel < channelCount; ++channel)
        request[channel] = {unitKey, lowerExplosiveLimitKey, molarMassKey};
    communicator_->clear();
    if (!communicator_->readValues(request, gas)) throw configFailure(msg::readingDatabaseFailed);
    return gas;
}

void ConfigurationConverter::fillChannelMapKeys(ConfigurationData& values) const {
    const ChannelMap& map = communicator_->channelMap();
    for (auto& [channel, slots] : values.channels()) {
        if (!map.isActive(channel)) continue;
        const std::pair<ConfigurationKey, int32_t> known[] = {
            {displayIndexKey, map.displayIndex(channel)},
            {sensorSlotKey, sensorSlotOf(channel)},
            {sensorKindKey, static_cast<int32_t>(map.kind(channel))},
        };
        for (const auto& [key, value] : known) {
            auto it = slots.find(key);
            if (it != slots.end()) it->second = value;
        }
    }
}

}  // namespace devlib_instr
