// Measuring units of a channel and the conversion of alarm levels between ppm (as the detector
// stores them) and the channel's unit (as the document shows them). All arithmetic is 32-bit float.
#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "config/ConfigurationData.hpp"

namespace devlib_instr {

struct UnitInfo {
    uint8_t index;
    uint8_t conversionClass;  // 0 volume ratio, 1 share of the LEL, 2 mass concentration, 3 partial pressure
    float factor;
};

// Indexed like the unit texts of the document.
inline constexpr std::array<UnitInfo, 11> unitTable{{
    {0, 0, 0.0001f},     // %{vol}
    {1, 0, 1.0f},        // ppm
    {2, 1, 100.0f},      // %{ueg}
    {3, 1, 100.0f},      // %{lel}
    {4, 1, 100.0f},      // %{lie}
    {5, 2, 1.0f},        // mg/m3
    {6, 0, 1000.0f},     // ppb
    {7, 3, 0.001013f},   // mbar
    {8, 3, 0.001013f},   // hPa
    {9, 3, 0.0001013f},  // kPa
    {10, 2, 0.001f},     // mg/L
}};
constexpr uint8_t noUnit = 11;

// What a conversion needs to know about a channel's gas.
struct GasFeatures {
    int32_t unit = unsetSigned;
    float lowerExplosiveLimit = std::numeric_limits<float>::quiet_NaN();  // ppm
    float molarMass = std::numeric_limits<float>::quiet_NaN();            // g/mol

    // The unit is a known one and both floats are finite.
    bool valid() const;
    // The values of the keys with the gas feature roles of the key table.
    static GasFeatures of(const ConfigurationData& data, uint8_t channel);
};

// Both raise "the gas features must be valid for unit conversion" for invalid features.
float ppmToUnit(float ppm, const GasFeatures& gas);
float unitToPpm(float value, const GasFeatures& gas);

}  // namespace devlib_instr
