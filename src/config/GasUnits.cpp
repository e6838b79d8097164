#include "config/GasUnits.hpp"

#include <cmath>

#include "config/ConfigError.hpp"
#include "config/KeyTable.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

namespace {

constexpr float pressureHpa = 1013.0f;
constexpr float temperatureC = 20.0f;
constexpr float kelvinOffset = 273.15f;
constexpr float massFactor = 0.012027235f;       // mg/m3 per ppm and g/mol at 1 hPa and 1 K
constexpr float pressureFactor = 0.0009871669f;  // partial pressure per ppm at 1 hPa

const UnitInfo& checkedUnit(const GasFeatures& gas) {
    if (!gas.valid()) throw configError(ErrorCode::ConversionFailed, msg::gasFeaturesInvalid);
    return unitTable[static_cast<size_t>(gas.unit)];
}

float floatOf(const ConfigurationData& data, uint8_t channel, ConfigurationKey key) {
    const Value* value = data.find(channel, key);
    const float* f = value != nullptr ? std::get_if<float>(value) : nullptr;
    return f != nullptr ? *f : std::numeric_limits<float>::quiet_NaN();
}

}  // namespace

bool GasFeatures::valid() const {
    return unit >= 0 && unit < noUnit && std::isfinite(lowerExplosiveLimit) && std::isfinite(molarMass);
}

GasFeatures GasFeatures::of(const ConfigurationData& data, uint8_t channel) {
    GasFeatures gas;
    const Value* unit = data.find(channel, keyWithRole(Role::MeasuringUnit));
    if (unit != nullptr && isSet(*unit)) gas.unit = std::get<int32_t>(*unit);
    gas.lowerExplosiveLimit = floatOf(data, channel, keyWithRole(Role::LowerExplosiveLimit));
    gas.molarMass = floatOf(data, channel, keyWithRole(Role::MolarMass));
    return gas;
}

float ppmToUnit(float ppm, const GasFeatures& gas) {
    const UnitInfo& unit = checkedUnit(gas);
    const float x = ppm * unit.factor;
    switch (unit.conversionClass) {
        case 1:
            return x / gas.lowerExplosiveLimit;
        case 2:
            return x * massFactor * gas.molarMass * pressureHpa / (temperatureC + kelvinOffset);
        case 3:
            return x * pressureFactor * pressureHpa;
        default:
            return x;
    }
}

float unitToPpm(float value, const GasFeatures& gas) {
    const UnitInfo& unit = checkedUnit(gas);
    const float x = value / unit.factor;
    switch (unit.conversionClass) {
        case 1:
            return x * gas.lowerExplosiveLimit;
        case 2:
            return x / gas.molarMass / massFactor / pressureHpa * (temperatureC + kelvinOffset);
        case 3:
            return x / pressureFactor / pressureHpa;
        default:
            return x;
    }
}

}  // namespace devlib_instr
