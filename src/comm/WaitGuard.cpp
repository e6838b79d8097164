#include "comm/WaitGuard.hpp"

#include <array>
#include <chrono>
#include <thread>

namespace devlib_instr {

namespace {

// Pause in milliseconds, indexed by kind.
constexpr std::array<uint32_t, 27> pauseTable{
    0,    250,  1000, 1000,  2000, 8000, 10000, 2000, 2000, 5000, 5000, 2000, 250, 200,
    2000, 2000, 1000, 15000, 2000, 250,  1000,  1000, 8000, 1000, 2500, 1000, 10,
};

}  // namespace

WaitGuard& WaitGuard::instance() {
    static WaitGuard guard;
    return guard;
}

uint32_t WaitGuard::pauseMs(int32_t kind) {
    if (kind < 0 || static_cast<size_t>(kind) >= pauseTable.size()) return 0;
    return pauseTable[static_cast<size_t>(kind)];
}

void WaitGuard::Pause(int32_t kind) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(pauseMs(kind));
    // sleep_until sleeps again for the remainder after an early wake-up.
    std::this_thread::sleep_until(deadline);
}

}  // namespace devlib_instr
