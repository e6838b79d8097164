#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "config/GasUnits.hpp"
#include "core/Error.hpp"

using namespace devlib_instr;

namespace {

GasFeatures gas(int32_t unit, float lel = 44000.0f, float molarMass = 28.01f) {
    return {unit, lel, molarMass};
}

}  // namespace

TEST(GasUnits, FromPpmPerClass) {
    EXPECT_EQ(ppmToUnit(50.0f, gas(1)), 50.0f);
    EXPECT_FLOAT_EQ(ppmToUnit(10000.0f, gas(0)), 1.0f);
    EXPECT_FLOAT_EQ(ppmToUnit(4400.0f, gas(3)), 10.0f);
    const float mg = 1.0f * 0.012027235f * 28.01f * 1013.0f / (20.0f + 273.15f);
    EXPECT_EQ(ppmToUnit(1.0f, gas(5)), mg);
    EXPECT_NEAR(mg, 1.164f, 0.001f);
    EXPECT_EQ(ppmToUnit(1.0f, gas(6)), 1000.0f);
    EXPECT_FLOAT_EQ(ppmToUnit(1000.0f, gas(7)), 1000.0f * 0.001013f * 0.0009871669f * 1013.0f);
}

TEST(GasUnits, BackToPpmIsTheInverse) {
    EXPECT_FLOAT_EQ(unitToPpm(10.0f, gas(3)), 4400.0f);
    EXPECT_FLOAT_EQ(unitToPpm(1.0f, gas(0)), 10000.0f);
    for (int32_t unit = 0; unit < 11; ++unit)
        EXPECT_NEAR(unitToPpm(ppmToUnit(250.0f, gas(unit)), gas(unit)), 250.0f, 0.01f) << unit;
}

TEST(GasUnits, InvalidFeaturesFailEveryClass) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const GasFeatures& bad : {gas(1, nan), gas(1, 1.0f, INFINITY), gas(unsetSigned), gas(11), gas(-1)}) {
        try {
            ppmToUnit(50.0f, bad);
            FAIL();
        } catch (const Error& e) {
            EXPECT_EQ(e.category, 5u);
            EXPECT_EQ(e.code, 18u);
            EXPECT_EQ(e.message, u"the gas features must be valid for unit conversion");
        }
        EXPECT_THROW(unitToPpm(1.0f, bad), Error);
    }
}
