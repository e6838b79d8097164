// ISO time texts, the PELLO_TZ_OFFSET_SEC override and the host's zone.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>

#include "device/IsoTime.hpp"
#include "device/TimeZone.hpp"
#include "support/EnvironmentGuard.hpp"

namespace devlib_instr {
namespace {

using torvik_test::EnvironmentGuard;

constexpr std::time_t mayFirst10Utc = 1714557600;  // 2024-05-01 10:00:00 UTC

// The override shifts UTC (unless asked only to carry it) whatever TZ says. It is read like strtol
// (blanks, a sign, digits up to the rest); beyond a day from UTC, or beyond any number, it is 0.
TEST(IsoTime, OverriddenOffsetShiftsUtcAndIsCarried) {
    EnvironmentGuard zone("TZ", "Europe/Berlin");
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"-3600", true, "2024-05-01T09:00:00-0100"},
        {"5400", true, "2024-05-01T11:30:00+0130"},
        {"5400", false, "2024-05-01T10:00:00+0130"},
        {"+5400", true, "2024-05-01T11:30:00+0130"},
        {" \t-3600", true, "2024-05-01T09:00:00-0100"},
        {"3600abc", true, "2024-05-01T11:00:00+0100"},
        {"east", true, "2024-05-01T10:00:00+0000"},
        {"86400", true, "2024-05-01T10:00:00+0000"},
        {"-99999999999999999999", true, "2024-05-01T10:00:00+0000"},
    };
    for (const auto& [setting, addOffset, expected] : cases) {
        EnvironmentGuard offset("PELLO_TZ_OFFSET_SEC", setting);
        EXPECT_EQ(isoTimeText(mayFirst10Utc, addOffset), expected) << setting;
    }
}

// The zone never fails: the database's name when it knows the zone, else the TZ text, else a
// fixed offset; daylight saving in winter is off everywhere here.
TEST(HostTimeZone, IsNamedAndKnowsDaylightSaving) {
    const std::tuple<std::optional<std::string>, const char*, bool> cases[] = {
        {":Europe/Berlin", "Europe/Berlin", true},
        {"Nowhere/Atlantis", "Nowhere/Atlantis", false},
        {"", "Etc/UTC", false},
        {"Zone\xFF", "Etc/GMT", false},  // not printable (not even UTF-8): the C library's offset, UTC
    };
    for (const auto& [tz, name, summerDaylightSaving] : cases) {
        SCOPED_TRACE(name);
        EnvironmentGuard zone("TZ", tz);
        const CurrentTimeZone summer = hostTimeZone(mayFirst10Utc);
        EXPECT_EQ(std::pair(summer.name, summer.daylightSaving), std::pair(std::string(name), summerDaylightSaving));
        EXPECT_FALSE(hostTimeZone(mayFirst10Utc - 120 * 86400).daylightSaving);
    }
}

TEST(FixedOffsetZone, UsesTheIanaSignOrTheOffsetItself) {
    EXPECT_EQ(fixedOffsetZoneName(0), "Etc/GMT");
    EXPECT_EQ(fixedOffsetZoneName(3600), "Etc/GMT-1");
    EXPECT_EQ(fixedOffsetZoneName(-5 * 3600), "Etc/GMT+5");
    EXPECT_EQ(fixedOffsetZoneName(19800), "UTC+05:30");
    EXPECT_EQ(fixedOffsetZoneName(-9000), "UTC-02:30");
}

}  // namespace
}  // namespace devlib_instr
