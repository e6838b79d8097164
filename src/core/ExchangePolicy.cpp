#include "core/ExchangePolicy.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <utility>

namespace devlib_instr {

namespace {

using Field = uint32_t ExchangePolicy::*;

constexpr std::array<std::pair<std::string_view, Field>, 12> settingNames{{
    {"reply_timeout_ms", &ExchangePolicy::replyTimeoutMs},
    {"clear_reply_timeout_ms", &ExchangePolicy::clearReplyTimeoutMs},
    {"attempts", &ExchangePolicy::attempts},
    {"retry_pause_ms", &ExchangePolicy::retryPauseMs},
    {"rate_switch_pause_ms", &ExchangePolicy::rateSwitchPauseMs},
    {"byte_read_timeout_ms", &ExchangePolicy::byteReadTimeoutMs},
    {"state_poll_ms", &ExchangePolicy::statePollMs},
    {"write_pause_ms", &ExchangePolicy::writePauseMs},
    {"state_wait_timeout_ms", &ExchangePolicy::stateWaitTimeoutMs},
    {"ready_wait_timeout_ms", &ExchangePolicy::readyWaitTimeoutMs},
    {"maintenance_duration_s", &ExchangePolicy::maintenanceDurationS},
    {"maintenance_retrigger_s", &ExchangePolicy::maintenanceRetriggerS},
}};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void applySetting(ExchangePolicy& policy, std::string_view setting) {
    const auto equals = setting.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view name = trimmed(setting.substr(0, equals));
    const std::string_view digits = trimmed(setting.substr(equals + 1));
    const auto row = std::find_if(settingNames.begin(), settingNames.end(),
                                  [name](const auto& entry) { return entry.first == name; });
    if (row == settingNames.end()) return;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return;
    policy.*(row->second) = value;
}

}  // namespace

ExchangePolicy ExchangePolicy::withSettings(std::string_view settings) const {
    ExchangePolicy policy = *this;
    while (!settings.empty()) {
        const auto comma = settings.find(',');
        applySetting(policy, settings.substr(0, comma));
        settings = comma == std::string_view::npos ? std::string_view() : settings.substr(comma + 1);
    }
    return policy;
}

ExchangePolicy ExchangePolicy::fromEnvironment() {
    const char* settings = std::getenv(environmentVariable);
    return settings != nullptr ? ExchangePolicy{}.withSettings(settings) : ExchangePolicy{};
}

}  // namespace devlib_instr
