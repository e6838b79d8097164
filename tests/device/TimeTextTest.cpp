// ISO time texts, the PELLO_TZ_OFFSET_SEC override and the host's zone.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "device/IsoTime.hpp"
#include "device/TimeZone.hpp"
#include "support/EnvironmentGuard.hpp"

namespace devlib_instr {
namespace {

using torvik_test::EnvironmentGuard;

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
                                         // Read like strtol: blanks, a sign, digits up to the rest.
                                         OffsetCase{"+5400", true, "2024-05-01T11:30:00+0130"},
                                         OffsetCase{" \t-3600", true, "2024-05-01T09:00:00-0100"},
                                         OffsetCase{"3600abc", true, "2024-05-01T11:00:00+0100"},
                                         OffsetCase{"east", true, "2024-05-01T10:00:00+0000"},
                                         // Beyond a day from UTC, or beyond any number: 0.
                                         OffsetCase{"86400", true, "2024-05-01T10:00:00+0000"},
                                         OffsetCase{"-99999999999999999999", true, "2024-05-01T10:00:00+0000"}));

TEST(IsoTime, WithoutOverrideLocalAndUtcModes) {
    EnvironmentGuard offset("PELLO_TZ_OFFSET_SEC", "");  // empty counts as unset
    EnvironmentGuard zone("TZ", "Europe/Berlin");
    EXPECT_EQ(isoTimeText(mayFirst10Utc, TimeMode::Local, true), "2024-05-01T12:00:00+0200");
    EXPECT_EQ(isoTimeText(mayFirst10Utc, TimeMode::Utc, true), "2024-05-01T10:00:00+0000");
}

struct ZoneCase {
    const char* name;
    std::optional<std::string> tz;
    std::string expectedName;
    bool summerDaylightSaving;
};

class HostTimeZone : public testing::TestWithParam<ZoneCase> {};

// The zone never fails: the database's name when it knows the zone, else the TZ text, else a
// fixed offset; daylight saving in winter is off everywhere here.
TEST_P(HostTimeZone, IsNamedAndKnowsDaylightSaving) {
    const ZoneCase& c = GetParam();
    EnvironmentGuard zone("TZ", c.tz);
    const CurrentTimeZone summer = hostTimeZone(mayFirst10Utc);
    EXPECT_EQ(summer.name, c.expectedName);
    EXPECT_EQ(summer.daylightSaving, c.summerDaylightSaving);
    EXPECT_FALSE(hostTimeZone(mayFirst10Utc - 120 * 86400).daylightSaving);
}

INSTANTIATE_TEST_SUITE_P(Zones, HostTimeZone,
                         testing::Values(ZoneCase{"DatabaseZone", ":Europe/Berlin", "Europe/Berlin", true},
                                         ZoneCase{"UnknownName", "Nowhere/Atlantis", "Nowhere/Atlantis", false},
                                         ZoneCase{"EmptyTzIsUtc", "", "Etc/UTC", false},
                                         // Not printable (not even UTF-8): the offset the C library took, UTC.
                                         ZoneCase{"UnprintableTz", "Zone\xFF", "Etc/GMT", false}),
                         [](const testing::TestParamInfo<ZoneCase>& info) { return info.param.name; });

TEST(FixedOffsetZone, UsesTheIanaSignOrTheOffsetItself) {
    EXPECT_EQ(fixedOffsetZoneName(0), "Etc/GMT");
    EXPECT_EQ(fixedOffsetZoneName(3600), "Etc/GMT-1");
    EXPECT_EQ(fixedOffsetZoneName(-5 * 3600), "Etc/GMT+5");
    EXPECT_EQ(fixedOffsetZoneName(19800), "UTC+05:30");
    EXPECT_EQ(fixedOffsetZoneName(-9000), "UTC-02:30");
}

}  // namespace
}  // namespace devlib_instr
