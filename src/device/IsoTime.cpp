#include "device/IsoTime.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <string_view>
#include <utility>

namespace devlib_instr {

namespace {

constexpr char offsetVariable[] = "PELLO_TZ_OFFSET_SEC";
// No zone is a day or more away from UTC: a larger override is taken for garbage.
constexpr int64_t largestOffset = 86399;

// %F, %T and %z are not portable: the Windows C runtime lacks the first two and prints the zone's
// name for %z. The zone suffix is therefore computed (zoneSuffix below).
constexpr char plainFormat[] = "%Y-%m-%dT%H:%M:%S";
// "%FT%T%z" spelled out for C runtimes without %F and %T: a time the C library cannot convert is
// shown with whatever its %z makes of the broken-down time (glibc: nothing while the daylight flag
// is -1).
constexpr char unconvertedFormat[] = "%Y-%m-%dT%H:%M:%S%z";

std::string formatted(const std::tm& broken, const char* format) {
    char buffer[64];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &broken);
    return std::string(buffer, length);
}

std::string zoneSuffix(int64_t offset) {
    const int64_t magnitude = offset < 0 ? -offset : offset;
    return fmt::format("{}{:02}{:02}", offset < 0 ? '-' : '+', magnitude / 3600, (magnitude / 60) % 60);
}

// Seconds east of UTC of `broken`, the break-down of t: its fields read as a UTC time, minus t.
int64_t utcOffset(const std::tm& broken, std::time_t t) {
    using namespace std::chrono;
    const sys_days date = year{broken.tm_year + 1900} / month{static_cast<unsigned>(broken.tm_mon + 1)} /
                          day{static_cast<unsigned>(broken.tm_mday)};
    const int64_t asUtc = duration_cast<seconds>(date.time_since_epoch()).count() + broken.tm_hour * 3600 +
                          broken.tm_min * 60 + broken.tm_sec;
    return asUtc - static_cast<int64_t>(t);
}

// The TZ text the C library follows, without the leading ':' of a file name; empty when TZ is
// unset or holds anything but printable ASCII (which a POSIX rule or zone name always is, and
// which the archive's JSON document can always carry).
std::string tzText() {
    const char* variable = std::getenv("TZ");
    std::string_view text = variable != nullptr ? variable : "";
    if (!text.empty() && text.front() == ':') text.remove_prefix(1);
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7F; });
    return printable ? std::string(text) : std::string();
}

}  // namespace

std::optional<int64_t> overriddenZoneOffset() {
    const char* text = std::getenv(offsetVariable);
    if (text == nullptr || *text == '\0') return std::nullopt;
    const long long offset = std::strtoll(text, nullptr, 10);  // 0 for text without a number
    if (offset > largestOffset || offset < -largestOffset) return 0;
    return static_cast<int64_t>(offset);
}

std::string isoTimeText(std::time_t t, bool addOffset) {
    if (const std::optional<int64_t> offset = overriddenZoneOffset()) {
        if (addOffset) t += static_cast<std::time_t>(*offset);
        return formatted(brokenDownTime(t, TimeMode::Utc), plainFormat) + zoneSuffix(*offset);
    }
    const std::tm broken = brokenDownTime(t, TimeMode::Local);
    return formatted(broken, plainFormat) + zoneSuffix(utcOffset(broken, t));
}

std::string deviceTimeText(std::tm deviceTime) {
    deviceTime.tm_isdst = -1;
    std::tm converted = deviceTime;
    const std::time_t t = std::mktime(&converted);
    if (t == static_cast<std::time_t>(-1)) return formatted(deviceTime, unconvertedFormat);
    return isoTimeText(t, false);
}

CurrentTimeZone hostTimeZone(std::time_t now) {
    try {
        return currentTimeZone(std::chrono::system_clock::from_time_t(now));
    } catch (const std::exception&) {
        // The platform does not know the zone; the C library still gives local times, and the
        // archive names the zone those texts follow.
    }
    const std::tm local = brokenDownTime(now, TimeMode::Local);
    std::string name = tzText();
    if (name.empty()) name = fixedOffsetZoneName(utcOffset(local, now));
    return {std::move(name), local.tm_isdst > 0};
}

std::string fixedOffsetZoneName(int64_t secondsEast) {
    if (secondsEast == 0) return "Etc/GMT";
    if (secondsEast % 3600 == 0) return fmt::format("Etc/GMT{:+}", -secondsEast / 3600);
    std::string name("UTC");
    name.append(zoneSuffix(secondsEast)).insert(6, ":");  // "UTC+05:30"
    return name;
}

}  // namespace devlib_instr
