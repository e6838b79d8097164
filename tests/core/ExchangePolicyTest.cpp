// The exchange policy: single values changed by a settings list. That contexts read it from the
// environment is seen by the tool's tests (two attempts, not the protocol's three, on a silent line).
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/ExchangePolicy.hpp"

namespace devlib_instr {
namespace {

using Field = uint32_t ExchangePolicy::*;

// A list changes only the values it names well; the last of repeated names wins.
TEST(ExchangePolicy, SettingsChangeOnlyWhatTheyNameWell) {
    const std::pair<const char*, std::vector<std::pair<Field, uint32_t>>> cases[] = {
        {"", {}},
        {"reply_timeout_ms=30,attempts=3,rate_switch_pause_ms=0",
         {{&ExchangePolicy::replyTimeoutMs, 30},
          {&ExchangePolicy::attempts, 3},
          {&ExchangePolicy::rateSwitchPauseMs, 0}}},
        {" state_poll_ms = 2 ,,write_pause_ms=0,",
         {{&ExchangePolicy::statePollMs, 2}, {&ExchangePolicy::writePauseMs, 0}}},
        {"attempts=3,attempts=4", {{&ExchangePolicy::attempts, 4}}},
        {"bogus=1,Attempts=3,attempts,attempts=,attempts=x,attempts=-1,attempts=3ms,attempts=0x10", {}},
        {"attempts=4294967296,maintenance_duration_s=4294967295",
         {{&ExchangePolicy::maintenanceDurationS, 4294967295u}}},
    };
    for (const auto& [settings, changes] : cases) {
        ExchangePolicy expected;
        for (const auto& [field, value] : changes) expected.*field = value;
        EXPECT_EQ(ExchangePolicy().withSettings(settings), expected) << settings;
    }
}

}  // namespace
}  // namespace devlib_instr
