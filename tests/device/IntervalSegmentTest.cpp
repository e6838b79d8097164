// The progress model: nested intervals mapped onto one fraction.
#include <gtest/gtest.h>

#include "device/IntervalSegment.hpp"

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

}  // namespace
}  // namespace devlib_instr
