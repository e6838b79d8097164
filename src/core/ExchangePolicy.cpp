#include "core/ExchangePolicy.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {

// Each setting with the values it may take: attempts at least one, and no time so long that it
// could overflow a wait (or make one look like a hang).
struct Setting {
    std::string_view name;
    uint32_t ExchangePolicy::*field;
    uint32_t min;
    uint32_t max;
};

constexpr uint32_t minuteMs = 60000;
constexpr uint32_t tenMinutesMs = 600000;

constexpr std::array<Setting, 11> settings{{
    {"reply_timeout_ms", &ExchangePolicy::replyTimeoutMs, 1, minuteMs},
    {"clear_reply_timeout_ms", &ExchangePolicy::clearReplyTimeoutMs, 1, minuteMs},
    {"attempts", &ExchangePolicy::attempts, 1, 100},
    {"retry_pause_ms", &ExchangePolicy::retryPauseMs, 0, minuteMs},
    {"rate_switch_pause_ms", &ExchangePolicy::rateSwitchPauseMs, 0, minuteMs},
    {"byte_read_timeout_ms", &ExchangePolicy::byteReadTimeoutMs, 1, minuteMs},
    {"state_poll_ms", &ExchangePolicy::statePollMs, 0, minuteMs},
    {"write_pause_ms", &ExchangePolicy::writePauseMs, 0, minuteMs},
    {"state_wait_timeout_ms", &ExchangePolicy::stateWaitTimeoutMs, 1, tenMinutesMs},
    {"ready_wait_timeout_ms", &ExchangePolicy::readyWaitTimeoutMs, 1, tenMinutesMs},
    {"maintenance_duration_s", &ExchangePolicy::maintenanceDurationS, 1, 3600},
}};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Applies one "name=value"; false with the problem when it is not a setting within bounds.
bool apply(ExchangePolicy& policy, std::string_view entry, std::string& problem) {
    const auto equals = entry.find('=');
    const std::string_view name = trimmed(entry.substr(0, equals));
    const auto row =
        std::find_if(settings.begin(), settings.end(), [name](const Setting& setting) { return setting.name == name; });
    if (equals == std::string_view::npos || row == settings.end()) {
        problem = fmt::format(msg::policyUnknownEntryFormat, entry);
        return false;
    }
    const std::string_view digits = trimmed(entry.substr(equals + 1));
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < row->min ||
        value > row->max) {
        problem = fmt::format(msg::policyBadValueFormat, entry, row->name, row->min, row->max);
        return false;
    }
    policy.*(row->field) = value;
    return true;
}

}  // namespace

std::optional<ExchangePolicy> ExchangePolicy::parse(std::string_view list, std::string& problem) {
    ExchangePolicy policy;
    while (!list.empty()) {
        const auto comma = list.find(',');
        const std::string_view entry = list.substr(0, comma);
        if (!trimmed(entry).empty() && !apply(policy, trimmed(entry), problem)) return std::nullopt;
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return policy;
}

std::string ExchangePolicy::differences() const {
    const ExchangePolicy protocol;
    std::string text;
    for (const Setting& setting : settings) {
        if (this->*setting.field == protocol.*setting.field) continue;
        if (!text.empty()) text += ", ";
        text += fmt::format("{}={}", setting.name, this->*setting.field);
    }
    return text;
}

EnvironmentPolicy EnvironmentPolicy::read() {
    const char* list = std::getenv(ExchangePolicy::environmentVariable);
    if (list == nullptr) return {};
    std::string problem;
    const std::optional<ExchangePolicy> policy = ExchangePolicy::parse(list, problem);
    if (!policy) return {{}, widen(fmt::format(msg::policyIgnoredFormat, problem))};
    const std::string differences = policy->differences();
    if (differences.empty()) return {*policy, {}};
    return {*policy, widen(fmt::format(msg::policyChangedFormat, differences))};
}

}  // namespace devlib_instr
