// Alarm levels between ppm and the channel's unit, at the fixed 20 degC and 1013 hPa.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "config/GasUnits.hpp"
#include "core/Error.hpp"
#include "support/Thrown.hpp"

using namespace devlib_instr;

namespace {

GasFeatures gas(int32_t unit, float lel = 44000.0f, float molarMass = 28.01f) {
    return {unit, lel, molarMass};
}

}  // namespace

TEST(GasUnits, FromPpmAndBack) {
    struct Case {
        int32_t unit;
        float ppm, value;
    };
    // ppm and ppb; %vol, %{lel}, mg/m3 and the pressure unit are read and written by the host tests
    for (const Case& c : {Case{1, 50.0f, 50.0f}, Case{6, 1.0f, 1000.0f}}) {
        EXPECT_NEAR(ppmToUnit(c.ppm, gas(c.unit)), c.value, 1e-4f * c.value) << c.unit;
        EXPECT_NEAR(unitToPpm(c.value, gas(c.unit)), c.ppm, 1e-4f * c.ppm) << c.unit;
    }
    for (int32_t unit = 0; unit < 11; ++unit)
        EXPECT_NEAR(unitToPpm(ppmToUnit(250.0f, gas(unit)), gas(unit)), 250.0f, 0.01f) << unit;
}

TEST(GasUnits, InvalidFeaturesFailEveryClass) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const GasFeatures& bad : {gas(1, nan), gas(1, 1.0f, INFINITY), gas(unsetSigned), gas(11), gas(-1)}) {
        const Error e = torvik_test::thrown<Error>([&] { ppmToUnit(50.0f, bad); }).value();
        EXPECT_EQ(std::tuple(e.category, e.code, e.message),
                  std::tuple(5u, 18u, std::u16string(u"the gas features must be valid for unit conversion")));
        EXPECT_THROW(unitToPpm(1.0f, bad), Error);
    }
}
