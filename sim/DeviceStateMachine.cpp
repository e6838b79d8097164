#include "sim/DeviceStateMachine.hpp"

namespace torvik::sim {

DeviceStateMachine::DeviceStateMachine(int32_t initial, uint32_t transitionPolls)
    : transitionPolls(transitionPolls), state_(initial) {}

void DeviceStateMachine::force(int32_t state) {
    state_ = state;
    pending_.reset();
}

void DeviceStateMachine::schedule(int32_t target) {
    pending_ = target;
    pollsLeft_ = transitionPolls;
}

int32_t DeviceStateMachine::poll() {
    if (!pending_) return state_;
    if (pollsLeft_ > 0) {
        --pollsLeft_;
        return state_;
    }
    state_ = *pending_;
    pending_.reset();
    return state_;
}

}  // namespace torvik::sim
