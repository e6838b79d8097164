#include "device/IsoTime.hpp"

#include <fmt/format.h>

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace devlib_instr {

namespace {

// %F, %T and %z are not portable: the Windows C runtime lacks the first two and prints the zone's
// name for %z. The zone suffix is therefore computed (zoneSuffix below).
constexpr char plainFormat[] = "%Y-%m-%dT%H:%M:%S";

std::string formatted(const std::tm& broken, const char* format) {
    char buffer[64];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &broken);
    return std::string(buffer, length);
}

// The C library's thread-safe break-down of t (the two platforms spell it differently).
std::tm brokenDown(std::time_t t, TimeMode mode) {
    std::tm broken{};
#ifdef _WIN32
    if (mode == TimeMode::Local) {
        localtime_s(&broken, &t);
    } else {
        gmtime_s(&broken, &t);
    }
#else
    if (mode == TimeMode::Local) {
        localtime_r(&t, &broken);
    } else {
        gmtime_r(&t, &broken);
    }
#endif
    return broken;
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

}  // namespace

std::optional<int64_t> overriddenZoneOffset() {
    const char* text = std::getenv("PELLO_TZ_OFFSET_SEC");
    if (text == nullptr || *text == '\0') return std::nullopt;
    int64_t offset = 0;
    if (std::from_chars(text, text + std::strlen(text), offset).ec != std::errc()) offset = 0;
    return offset;
}

std::string isoTimeText(std::time_t t, TimeMode mode, bool addOffset) {
    if (const std::optional<int64_t> offset = overriddenZoneOffset()) {
        if (addOffset) t += static_cast<std::time_t>(*offset);
        return formatted(brokenDown(t, TimeMode::Utc), plainFormat) + zoneSuffix(*offset);
    }
    const std::tm broken = brokenDown(t, mode);
    return formatted(broken, plainFormat) + zoneSuffix(utcOffset(broken, t));
}

std::string deviceTimeText(std::tm deviceTime) {
    deviceTime.tm_isdst = -1;
    std::tm converted = deviceTime;
    const std::time_t t = std::mktime(&converted);
    if (t == static_cast<std::time_t>(-1)) return formatted(deviceTime, plainFormat) + zoneSuffix(0);
    return isoTimeText(t, TimeMode::Local, false);
}

}  // namespace devlib_instr
