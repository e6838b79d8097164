// ISO time texts, the PELLO_TZ_OFFSET_SEC override and the host's zone.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

#include "device/EnvironmentGuard.hpp"
#include "device/IsoTime.hpp"
#include "device/TimeZone.hpp"

namespace devlib_instr {
namespace {

using test::EnvironmentGuard;

constexpr std::time_t mayFirst10Utc = 1714557600;  // 2024-05-01 10:00:00 UTC

struct OffsetCase {
    const char* offset;
    bool addOffset;
    const char* expected;
};

void PrintTo(const OffsetCase& c, std::ostream* out) {
    *out << c.offset << (c.addOffset ? " added" : "");
}

class OverriddenOffset : public testing::TestWithParam<OffsetCase> {};

TEST_P(OverriddenOffset, ShiftsUtcAndCarriesTheOffset) {
    EnvironmentGuard zone("TZ", "Europe/Berlin");  // ignored while the override is set
    EnvironmentGuard offset("PELLO_TZ_OFFSET_SEC", GetParam().offset);
    EXPECT_EQ(isoTimeText(mayFirst10Utc, TimeMode::Local, GetParam().addOffset), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Offsets, OverriddenOffset,
                         testing::Values(OffsetCase{"-3600", true, "2024-05-01T09:00:00-0100"},
                                         OffsetCase{"5400", true, "2024-05-01T11:30:00+0130"},
                                         OffsetCase{"5400", false, "2024-05-01T10:00:00+0130"},
                                         OffsetCase{"-5400", true, "2024-05-01T08:30:00-0130"},
                                         OffsetCase{"0", true, "2024-05-01T10:00:00+0000"},
                                         OffsetCase{"east", true, "2024-05-01T10:00:00+0000"}));

TEST(IsoTime, WithoutOverrideLocalAndUtcModes) {
    EnvironmentGuard offset("PELLO_TZ_OFFSET_SEC", "");  // empty counts as unset
    EnvironmentGuard zone("TZ", "Europe/Berlin");
    EXPECT_EQ(isoTimeText(mayFirst10Utc, TimeMode::Local, true), "2024-05-01T12:00:00+0200");
    EXPECT_EQ(isoTimeText(mayFirst10Utc, TimeMode::Utc, true), "2024-05-01T10:00:00+0000");
}

TEST(IsoTime, DeviceClockIsLocalTimeWithoutTheOffsetAdded) {
    std::tm device{};
    device.tm_year = 126;
    device.tm_mon = 2;
    device.tm_mday = 14;
    device.tm_hour = 9;
    device.tm_min = 26;
    device.tm_sec = 53;
    {
        EnvironmentGuard zone("TZ", "Europe/Berlin");
        EnvironmentGuard offset("PELLO_TZ_OFFSET_SEC", std::nullopt);
        EXPECT_EQ(deviceTimeText(device), "2026-03-14T09:26:53+0100");
    }
    EnvironmentGuard zone("TZ", "UTC");
    EnvironmentGuard offset("PELLO_TZ_OFFSET_SEC", "-3600");
    EXPECT_EQ(deviceTimeText(device), "2026-03-14T09:26:53-0100");
}

TEST(CurrentTimeZone, NameAndDaylightSavingFromTheDatabase) {
    using namespace std::chrono;
    EnvironmentGuard zone("TZ", ":Europe/Berlin");
    const auto summer = system_clock::from_time_t(mayFirst10Utc);
    const auto winter = system_clock::from_time_t(mayFirst10Utc - 180 * 86400);
    EXPECT_EQ(currentTimeZone(summer).name, "Europe/Berlin");
    EXPECT_TRUE(currentTimeZone(summer).daylightSaving);
    EXPECT_FALSE(currentTimeZone(winter).daylightSaving);
}

TEST(CurrentTimeZone, SystemZoneWhenTzIsUnset) {
    EnvironmentGuard zone("TZ", std::nullopt);
    EXPECT_FALSE(currentTimeZone(std::chrono::system_clock::now()).name.empty());
}

TEST(CurrentTimeZone, UnknownZoneIsAClearError) {
    EnvironmentGuard zone("TZ", "Nowhere/Atlantis");
    try {
        currentTimeZone(std::chrono::system_clock::now());
        FAIL() << "found a zone that does not exist";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "zoned_time constructed with a time zone pointer == nullptr");
    }
}

}  // namespace
}  // namespace devlib_instr
