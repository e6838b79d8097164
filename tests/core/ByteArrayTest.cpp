#include <gtest/gtest.h>

#include <vector>

#include "core/ByteArray.hpp"

namespace devlib_instr {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ByteArray, CapacityReservesWithoutSize) {
    ByteArray array(100u);
    EXPECT_EQ(array.size(), 0u);
    EXPECT_NE(array.data(), nullptr);
    const uint8_t three[] = {1, 2, 3};
    array.append(three, 3);
    EXPECT_EQ(array.bytes(), (Bytes{1, 2, 3}));
}

TEST(ByteArray, NeverHeldMemoryGivesNullData) {
    EXPECT_EQ(ByteArray().data(), nullptr);
    EXPECT_EQ(ByteArray(0u).data(), nullptr);
    EXPECT_EQ(ByteArray(nullptr, 0).data(), nullptr);
}

TEST(ByteArray, PrependThenResizeBothWays) {
    const uint8_t three = 3;
    const uint8_t oneTwo[] = {1, 2};
    ByteArray array(&three, 1);
    array.prepend(oneTwo, 2);
    EXPECT_EQ(array.bytes(), (Bytes{1, 2, 3}));
    array.resize(5);
    EXPECT_EQ(array.bytes(), (Bytes{1, 2, 3, 0, 0}));
    array.resize(1);
    EXPECT_EQ(array.bytes(), (Bytes{1}));
}

TEST(ByteArray, GrowsAcrossReallocationsAndFromItself) {
    ByteArray array;
    const uint8_t seed[] = {7, 8};
    array.append(seed, 2);
    for (int i = 0; i < 10; ++i) array.append(array.data(), array.size());  // doubles each time
    EXPECT_EQ(array.size(), 2048u);
    EXPECT_EQ(array.bytes()[2046], 7);
    EXPECT_EQ(array.bytes()[2047], 8);
    array.resize(3);
    array.prepend(array.data(), 3);  // room is there: the source must not be read after moving
    EXPECT_EQ(array.bytes(), (Bytes{7, 8, 7, 7, 8, 7}));
}

TEST(ByteArray, AssignReplacesOrZeroFills) {
    ByteArray array(200u);
    const uint8_t text[] = {'{', '}'};
    array.assign(text, 2);
    EXPECT_EQ(array.bytes(), (Bytes{'{', '}'}));
    array.assign(nullptr, 3);
    EXPECT_EQ(array.size(), 3u);
    array.assign(nullptr, 0);
    EXPECT_EQ(array.size(), 0u);
}

}  // namespace
}  // namespace devlib_instr
