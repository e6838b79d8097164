// Fixed pauses of the device protocol, by kind (for example the wait between two polls of the
// device state). A pause sleeps until a steady-clock deadline taken at entry.
#pragma once

#include <cstdint>

namespace devlib_instr {

class WaitGuard {
public:
    // The kinds the library uses.
    static constexpr int32_t databaseWritePause = 8;  // 2000 ms
    static constexpr int32_t deviceStatePoll = 13;    // 200 ms

    static WaitGuard& instance();
    virtual ~WaitGuard() = default;

    // Blocks for the pause of `kind`; unknown kinds (0, negative, above 26) return at once.
    void Pause(int32_t kind) const;
    static uint32_t pauseMs(int32_t kind);
};

}  // namespace devlib_instr
