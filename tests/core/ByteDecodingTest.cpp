// The byte-level decoders: substitution-encoded blocks and day numbers.
#include <gtest/gtest.h>

#include <ctime>
#include <tuple>
#include <vector>

#include "core/ByteDecoding.hpp"

namespace devlib_instr {
namespace {

using Bytes = std::vector<uint8_t>;
const uint8_t zeroAndCr[] = {0x00, 0x0D};

TEST(ByteDecoding, SubstitutedBlocksDecodeInPlace) {
    const std::tuple<Bytes, size_t, Bytes> cases[] = {
        {{0x41, 0x42, 0x41, 0x43, 0x42}, 253, {0x00, 0x43, 0x0D}},
        {Bytes{0x41, 0x42}, 253, Bytes{}},  // keys only: dropped
        {Bytes{}, 253, Bytes{}},
        {{0x01, 0x02, 0x01, 0x05, 0x02, 0x01}, 2, {0x00, 0x05}},                                // 2nd block: keys only
        {{0x01, 0x02, 0x01, 0x05, 0x03, 0x04, 0x03, 0x04, 0x09}, 2, {0x00, 0x05, 0x00, 0x0D}},  // keys per block
        {Bytes{0x01, 0x02, 0x01}, 0, Bytes{}},
        {{0x07, 0x07, 0x07, 0x08}, 253, {0x0D, 0x08}},  // equal keys: the byte stands for the later value
    };
    for (const auto& [input, blockSize, decoded] : cases) {
        Bytes buffer = input;
        const size_t length = decodeSubstitutedBlocks(buffer.data(), buffer.size(), blockSize, zeroAndCr, 2);
        buffer.resize(length);
        EXPECT_EQ(buffer, decoded) << blockSize;
    }
}

// The calendar fields of a day number (day 0 is 1900-01-01); weekday and year day stay untouched.
TEST(ByteDecoding, DayNumberToCalendar) {
    const std::tuple<uint32_t, uint32_t, std::vector<int>> cases[] = {
        {0, 0, {1900, 1, 1, 0, 0, 0}},     {0, 90000, {1900, 1, 1, 23, 59, 59}},  // clamped
        {59, 0, {1900, 3, 1, 0, 0, 0}},                                           // 1900: no leap day
        {1519, 0, {1904, 2, 29, 0, 0, 0}}, {36583, 43200, {2000, 2, 29, 12, 0, 0}},
        {73108, 0, {2100, 3, 1, 0, 0, 0}}, {200152, 0, {2447, 12, 31, 0, 0, 0}},
    };
    for (const auto& [day, second, expected] : cases) {
        SCOPED_TRACE(day);
        std::tm tm{};
        tm.tm_wday = 42;
        tm.tm_yday = 43;
        dayNumberToCalendar(day, second, &tm);
        EXPECT_EQ((std::vector<int>{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec}),
                  expected);
        EXPECT_EQ(std::tuple(tm.tm_isdst, tm.tm_wday, tm.tm_yday), std::tuple(-1, 42, 43));
    }
}

}  // namespace
}  // namespace devlib_instr
