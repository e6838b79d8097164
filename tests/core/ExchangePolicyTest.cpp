// The exchange policy: single values changed by a settings list, which a context reads from the
// environment when it is created.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/Context.hpp"
#include "core/ExchangePolicy.hpp"
#include "support/EnvironmentGuard.hpp"

namespace devlib_instr {
namespace {

using Field = uint32_t ExchangePolicy::*;

struct SettingsCase {
    const char* settings;
    std::vector<std::pair<Field, uint32_t>> changes;  // what the settings change in the defaults
};

class PolicySettings : public testing::TestWithParam<SettingsCase> {};

TEST_P(PolicySettings, ChangeOnlyWhatTheyNameWell) {
    ExchangePolicy expected;
    for (const auto& [field, value] : GetParam().changes) expected.*field = value;
    EXPECT_EQ(ExchangePolicy().withSettings(GetParam().settings), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PolicySettings,
    testing::Values(SettingsCase{"", {}},
                    SettingsCase{"reply_timeout_ms=30,attempts=3,rate_switch_pause_ms=0",
                                 {{&ExchangePolicy::replyTimeoutMs, 30},
                                  {&ExchangePolicy::attempts, 3},
                                  {&ExchangePolicy::rateSwitchPauseMs, 0}}},
                    SettingsCase{" state_poll_ms = 2 ,,write_pause_ms=0,",
                                 {{&ExchangePolicy::statePollMs, 2}, {&ExchangePolicy::writePauseMs, 0}}},
                    SettingsCase{"attempts=3,attempts=4", {{&ExchangePolicy::attempts, 4}}},
                    SettingsCase{
                        "bogus=1,Attempts=3,attempts,attempts=,attempts=x,attempts=-1,attempts=3ms,attempts=0x10", {}},
                    SettingsCase{"attempts=4294967296,maintenance_duration_s=4294967295",
                                 {{&ExchangePolicy::maintenanceDurationS, 4294967295u}}}));

TEST(ExchangePolicy, ContextReadsTheEnvironmentWhenCreated) {
    ExchangePolicy expected;
    expected.replyTimeoutMs = 30;
    expected.writePauseMs = 0;
    {
        torvik_test::EnvironmentGuard setting(ExchangePolicy::environmentVariable,
                                              "reply_timeout_ms=30,write_pause_ms=0");
        EXPECT_EQ(Context().exchangePolicy(), expected);
    }
    torvik_test::EnvironmentGuard unset(ExchangePolicy::environmentVariable, std::nullopt);
    EXPECT_EQ(Context().exchangePolicy(), ExchangePolicy());
}

}  // namespace
}  // namespace devlib_instr
