// The progress model and the device-model tables.
#include <gtest/gtest.h>

#include "comm/DeviceTypeTable.hpp"
#include "device/GsrTable.hpp"
#include "device/IntervalSegment.hpp"
#include "sim/DefaultDetector.hpp"

namespace devlib_instr {
namespace {

TEST(IntervalSegment, ChildrenFollowEachOtherAndMapThroughTheirParents) {
    IntervalSegment root;
    IntervalSegment& preparation = root.addChild(0, 4, 0.1);
    IntervalSegment& reading = root.addChild(0, 1, 0.9);
    IntervalSegment& first = reading.addChild(0, 10, 0.5);
    IntervalSegment& second = reading.addChild(0, 2, 0.5);
    EXPECT_DOUBLE_EQ(preparation.value(0), 0.0);
    EXPECT_DOUBLE_EQ(preparation.value(2), 0.05);
    EXPECT_DOUBLE_EQ(preparation.value(4), 0.1);
    EXPECT_DOUBLE_EQ(first.value(0), 0.1);
    EXPECT_DOUBLE_EQ(first.value(5), 0.325);
    EXPECT_DOUBLE_EQ(second.value(0), 0.55);
    EXPECT_DOUBLE_EQ(second.value(2), 1.0);
}

TEST(IntervalSegment, ClampsAndTreatsAnEmptyRangeAsComplete) {
    IntervalSegment root;
    IntervalSegment& section = root.addChild(0, 4, 1.0);
    IntervalSegment& empty = root.addChild(0, 0, 1.0);
    EXPECT_DOUBLE_EQ(section.value(-3), 0.0);
    EXPECT_DOUBLE_EQ(section.value(40), 1.0);  // the root clamps to [0, 1] as well
    EXPECT_DOUBLE_EQ(empty.value(0), 1.0);
}

TEST(DeviceTables, EveryKnownModelHasAGsrId) {
    for (uint32_t key = 0; key <= 0xFFFF; ++key) {
        const int32_t type = deviceTypeForFootprintKey(static_cast<uint16_t>(key));
        if (type == 0) continue;
        const std::string id = gsrDeviceId(type);
        EXPECT_GE(id.size(), 4u) << key;
        EXPECT_LE(id.size(), 6u) << key;
        EXPECT_EQ(id.find_first_not_of("0123456789"), std::string::npos) << key;
    }
}

TEST(DeviceTables, LookupsAndUnknowns) {
    EXPECT_EQ(deviceTypeForFootprintKey(torvik::sim::defaults::kFootprintKey), 10);
    EXPECT_EQ(gsrDeviceId(10), "83211");
    EXPECT_EQ(deviceTypeForFootprintKey(0x1500), 0);
    EXPECT_EQ(gsrDeviceId(0), "");
    EXPECT_EQ(gsrDeviceId(19), "8333");
    EXPECT_EQ(gsrDeviceId(20), "");
}

}  // namespace
}  // namespace devlib_instr
