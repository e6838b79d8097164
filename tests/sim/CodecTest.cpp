// Frame primitives and the substitution encoding of datalog pages.
#include <gtest/gtest.h>

#include <random>

#include "sim/FrameCodec.hpp"
#include "sim/SubstitutionCodec.hpp"

namespace torvik::sim {
namespace {

TEST(FrameCodec, EncodesConnectWithOnesComplementChecksum) {
    EXPECT_EQ(encodeFrame("AC", ""), "AC7B\r");
    EXPECT_EQ(encodeFrame("ac", ""), "ac3B\r");
}

TEST(FrameCodec, ChecksumDigitsAreCheckedCaseInsensitively) {
    EXPECT_EQ(checkedBody("AC7B").value_or("-"), "AC");
    EXPECT_EQ(checkedBody("AC7b").value_or("-"), "AC");
    EXPECT_FALSE(checkedBody("AC7C"));
    EXPECT_FALSE(checkedBody("ACZZ"));
    EXPECT_FALSE(checkedBody("7B"));
}

Bytes withEveryValue(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i % 3 == 0 ? random() : i);
    return data;
}

class Substitution : public ::testing::TestWithParam<size_t> {};

TEST_P(Substitution, NeverPutsNulOrCrOnTheLineAndDecodesBack) {
    Bytes data = withEveryValue(GetParam(), static_cast<uint32_t>(GetParam()));
    std::string raw = substitutionEncode(data);
    EXPECT_EQ(raw.find('\0'), std::string::npos);
    EXPECT_EQ(raw.find('\r'), std::string::npos);
    EXPECT_EQ(substitutionDecode(raw), data);
}

INSTANTIATE_TEST_SUITE_P(BlockBoundaries, Substitution, ::testing::Values(1, 2, 252, 253, 254, 256, 506, 1024));

// A block of 253 distinct values other than 0x00 and 0x0D leaves a single free key byte.
TEST(SubstitutionEdge, BlockWithAlmostEveryValueStillEncodes) {
    Bytes data;
    for (int v = 1; v < 256 && data.size() < kSubstitutionBlockData; ++v)
        if (v != 0x0D) data.push_back(static_cast<uint8_t>(v));
    ASSERT_EQ(data.size(), kSubstitutionBlockData);
    std::string raw = substitutionEncode(data);
    EXPECT_EQ(raw.find('\0'), std::string::npos);
    EXPECT_EQ(raw.find('\r'), std::string::npos);
    EXPECT_EQ(substitutionDecode(raw), data);
}

TEST(SubstitutionEdge, BlockFullOfNulAndCr) {
    Bytes data(600, 0x00);
    for (size_t i = 0; i < data.size(); i += 2) data[i] = 0x0D;
    std::string raw = substitutionEncode(data);
    EXPECT_EQ(raw.find('\0'), std::string::npos);
    EXPECT_EQ(raw.find('\r'), std::string::npos);
    EXPECT_EQ(substitutionDecode(raw), data);
}

}  // namespace
}  // namespace torvik::sim
