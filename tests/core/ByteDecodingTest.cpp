// The byte-level decoders: substitution-encoded blocks and day numbers.
#include <gtest/gtest.h>

#include <ctime>
#include <vector>

#include "core/ByteDecoding.hpp"

namespace devlib_instr {
namespace {

using Bytes = std::vector<uint8_t>;
const uint8_t zeroAndCr[] = {0x00, 0x0D};

struct BlockCase {
    Bytes input;
    size_t blockSize;
    Bytes decoded;
};

class SubstitutedBlocks : public testing::TestWithParam<BlockCase> {};

TEST_P(SubstitutedBlocks, DecodeInPlace) {
    Bytes buffer = GetParam().input;
    size_t length = decodeSubstitutedBlocks(buffer.data(), buffer.size(), GetParam().blockSize, zeroAndCr, 2);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length)), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SubstitutedBlocks,
    testing::Values(BlockCase{{0x41, 0x42, 0x41, 0x43, 0x42}, 253, {0x00, 0x43, 0x0D}},
                    BlockCase{{0x41, 0x42}, 253, {}},  // keys only: dropped
                    BlockCase{{}, 253, {}},
                    BlockCase{{0x01, 0x02, 0x01, 0x05, 0x02, 0x01}, 2, {0x00, 0x05}},  // 2nd block: keys only
                    BlockCase{{0x01, 0x02, 0x01, 0x05, 0x03, 0x04, 0x03, 0x04, 0x09},
                              2,
                              {0x00, 0x05, 0x00, 0x0D}},  // each block has its own keys
                    BlockCase{{0x01, 0x02, 0x01}, 0, {}}));

struct CalendarCase {
    uint32_t day;
    uint32_t second;
    int year, month, mday, hour, minute, sec;
};

class DayNumber : public testing::TestWithParam<CalendarCase> {};

TEST_P(DayNumber, ToCalendar) {
    const CalendarCase& c = GetParam();
    std::tm tm{};
    tm.tm_wday = 42;
    tm.tm_yday = 43;
    dayNumberToCalendar(c.day, c.second, &tm);
    EXPECT_EQ((std::vector<int>{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec}),
              (std::vector<int>{c.year, c.month, c.mday, c.hour, c.minute, c.sec}));
    EXPECT_EQ(tm.tm_isdst, -1);
    EXPECT_EQ(tm.tm_wday + tm.tm_yday, 42 + 43);  // untouched
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DayNumber,
    testing::Values(CalendarCase{0, 0, 1900, 1, 1, 0, 0, 0}, CalendarCase{0, 90000, 1900, 1, 1, 23, 59, 59},  // clamped
                    CalendarCase{59, 0, 1900, 3, 1, 0, 0, 0},  // 1900: no leap day
                    CalendarCase{1519, 0, 1904, 2, 29, 0, 0, 0}, CalendarCase{36583, 43200, 2000, 2, 29, 12, 0, 0},
                    CalendarCase{73108, 0, 2100, 3, 1, 0, 0, 0}, CalendarCase{200152, 0, 2447, 12, 31, 0, 0, 0}));

}  // namespace
}  // namespace devlib_instr
