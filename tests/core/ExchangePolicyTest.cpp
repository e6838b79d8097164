// The exchange policy: single values changed by a settings list, which a context reads from the
// environment when it is created.
#include <gtest/gtest.h>

#include <functional>

#include "core/Context.hpp"
#include "core/ExchangePolicy.hpp"
#include "support/EnvironmentGuard.hpp"

namespace devlib_instr {
namespace {

struct SettingsCase {
    const char* settings;
    std::function<void(ExchangePolicy&)> change;  // what the settings change in the defaults
};

class PolicySettings : public testing::TestWithParam<SettingsCase> {};

TEST_P(PolicySettings, ChangeOnlyWhatTheyNameWell) {
    ExchangePolicy expected;
    GetParam().change(expected);
    EXPECT_EQ(ExchangePolicy().withSettings(GetParam().settings), expected);
}

const auto unchanged = [](ExchangePolicy&) {};

INSTANTIATE_TEST_SUITE_P(
    Lists, PolicySettings,
    testing::Values(SettingsCase{"", unchanged},
                    SettingsCase{"reply_timeout_ms=30,attempts=3,rate_switch_pause_ms=0",
                                 [](ExchangePolicy& p) {
                                     p.replyTimeoutMs = 30;
                                     p.attempts = 3;
                                     p.rateSwitchPauseMs = 0;
                                 }},
                    SettingsCase{" state_poll_ms = 2 ,,write_pause_ms=0,",
                                 [](ExchangePolicy& p) {
                                     p.statePollMs = 2;
                                     p.writePauseMs = 0;
                                 }},
                    SettingsCase{"attempts=3,attempts=4", [](ExchangePolicy& p) { p.attempts = 4; }},
                    SettingsCase{
                        "bogus=1,Attempts=3,attempts,attempts=,attempts=x,attempts=-1,attempts=3ms,attempts=0x10",
                        unchanged},
                    SettingsCase{"attempts=4294967296,maintenance_duration_s=4294967295",
                                 [](ExchangePolicy& p) { p.maintenanceDurationS = 4294967295u; }}));

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
