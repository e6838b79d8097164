// The detector's operating state as the "ai" record reports it (the state word), with the delayed
// reaction to switch-off ("AO": state 1) and switch-on ("AM": state 9): a real detector needs a
// moment, so the new state shows only after `transitionPolls` further "AI" polls.
#pragma once

#include <cstdint>
#include <optional>

namespace torvik::sim {

constexpr int32_t kStateOff = 1;
constexpr int32_t kStateOn = 9;

class DeviceStateMachine {
public:
    explicit DeviceStateMachine(int32_t initial = kStateOn, uint32_t transitionPolls = 1);

    // The state now, without counting a poll.
    int32_t current() const { return state_; }
    // Sets the state at once and drops a pending switch.
    void force(int32_t state);

    void switchOff() { schedule(kStateOff); }
    void switchOn() { schedule(kStateOn); }

    // One "AI" poll: counts down a pending switch and returns the state to report.
    int32_t poll();

    // How many polls still show the old state after a switch (0: the next poll shows the new one).
    uint32_t transitionPolls = 1;

private:
    void schedule(int32_t target);

    int32_t state_;
    std::optional<int32_t> pending_;
    uint32_t pollsLeft_ = 0;
};

}  // namespace torvik::sim
