// The exchange policy: the protocol's values, and the settings lists that change them, taken whole
// or refused whole. What a context logs of the environment's list is seen by the host tests.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/ExchangePolicy.hpp"

namespace devlib_instr {
namespace {

using Field = uint32_t ExchangePolicy::*;

TEST(ExchangePolicy, DefaultsAreTheProtocolsValues) {
    const ExchangePolicy protocol;
    const std::pair<Field, uint32_t> values[] = {
        {&ExchangePolicy::replyTimeoutMs, 500},
        {&ExchangePolicy::clearReplyTimeoutMs, 3000},
        {&ExchangePolicy::attempts, 10},
        {&ExchangePolicy::retryPauseMs, 0},
        {&ExchangePolicy::rateSwitchPauseMs, 50},
        {&ExchangePolicy::byteReadTimeoutMs, 50},
        {&ExchangePolicy::statePollMs, 200},
        {&ExchangePolicy::writePauseMs, 2000},
        {&ExchangePolicy::stateWaitTimeoutMs, 30000},
        {&ExchangePolicy::readyWaitTimeoutMs, 5000},
        {&ExchangePolicy::maintenanceDurationS, 30},
    };
    for (const auto& [field, value] : values) EXPECT_EQ(protocol.*field, value);
}

// A list changes only the values it names; blanks and empty entries are nothing; the last of
// repeated names wins; each value may reach its bounds.
TEST(ExchangePolicy, ListsWithinBoundsChangeWhatTheyName) {
    const std::pair<const char*, std::vector<std::pair<Field, uint32_t>>> cases[] = {
        {"", {}},
        {"reply_timeout_ms=30,attempts=3,rate_switch_pause_ms=0",
         {{&ExchangePolicy::replyTimeoutMs, 30},
          {&ExchangePolicy::attempts, 3},
          {&ExchangePolicy::rateSwitchPauseMs, 0}}},
        {" state_poll_ms = 2 ,,write_pause_ms=0,",
         {{&ExchangePolicy::statePollMs, 2}, {&ExchangePolicy::writePauseMs, 0}}},
        {"attempts=3,attempts=4", {{&ExchangePolicy::attempts, 4}}},
        {"attempts=1,reply_timeout_ms=60000,state_wait_timeout_ms=600000,maintenance_duration_s=3600",
         {{&ExchangePolicy::attempts, 1},
          {&ExchangePolicy::replyTimeoutMs, 60000},
          {&ExchangePolicy::stateWaitTimeoutMs, 600000},
          {&ExchangePolicy::maintenanceDurationS, 3600}}},
    };
    for (const auto& [list, changes] : cases) {
        ExchangePolicy expected;
        for (const auto& [field, value] : changes) expected.*field = value;
        std::string problem;
        EXPECT_EQ(ExchangePolicy::parse(list, problem), expected) << list;
    }
}

// One entry that is not a known name with a decimal value within its bounds refuses the whole list
// (so no part of a mistyped list takes effect unnoticed), and the problem names that entry.
TEST(ExchangePolicy, ListWithOneBadEntryIsRefusedWhole) {
    const std::pair<const char*, const char*> cases[] = {
        {"attempts=3,bogus=1", R"("bogus=1" is not name=value with a known name)"},
        {"Attempts=3", R"("Attempts=3" is not name=value with a known name)"},
        {"reply_timeout_ms=30,attempts", R"("attempts" is not name=value with a known name)"},
        {"attempts=", R"("attempts=": attempts takes a decimal number from 1 to 100)"},
        {"attempts=0", R"("attempts=0": attempts takes a decimal number from 1 to 100)"},
        {"attempts=x", R"("attempts=x": attempts takes a decimal number from 1 to 100)"},
        {"attempts=-1", R"("attempts=-1": attempts takes a decimal number from 1 to 100)"},
        {"attempts=0x10", R"("attempts=0x10": attempts takes a decimal number from 1 to 100)"},
        {"reply_timeout_ms=2147483648",
         R"("reply_timeout_ms=2147483648": reply_timeout_ms takes a decimal number from 1 to 60000)"},
        {"state_wait_timeout_ms=0",
         R"("state_wait_timeout_ms=0": state_wait_timeout_ms takes a decimal number from 1 to 600000)"},
    };
    for (const auto& [list, expected] : cases) {
        std::string problem;
        EXPECT_EQ(ExchangePolicy::parse(list, problem), std::nullopt) << list;
        EXPECT_EQ(problem, expected);
    }
}

TEST(ExchangePolicy, DifferencesNameWhatIsNotTheProtocols) {
    std::string problem;
    EXPECT_EQ(ExchangePolicy().differences(), "");
    EXPECT_EQ(ExchangePolicy::parse("attempts=2,reply_timeout_ms=500,write_pause_ms=0", problem)->differences(),
              "attempts=2, write_pause_ms=0");
}

}  // namespace
}  // namespace devlib_instr
