// The detector protocol's fixed pauses, by kind. The exchange policy takes the pauses the library
// uses (the wait between two polls of the device state, the wait after a database write) from
// this table as its defaults; the pauses themselves run on the context's clock.
#pragma once

#include <array>
#include <cstdint>

namespace devlib_instr {

class WaitGuard {
public:
    // The kinds the library uses.
    static constexpr int32_t databaseWritePause = 8;  // 2000 ms
    static constexpr int32_t deviceStatePoll = 13;    // 200 ms

    // The pause of `kind` in milliseconds; unknown kinds (0, negative, above 26) pause for 0.
    static constexpr uint32_t pauseMs(int32_t kind) {
        if (kind < 0 || static_cast<size_t>(kind) >= pauseTable.size()) return 0;
        return pauseTable[static_cast<size_t>(kind)];
    }

private:
    static constexpr std::array<uint32_t, 27> pauseTable{
        0,    250,  1000, 1000,  2000, 8000, 10000, 2000, 2000, 5000, 5000, 2000, 250, 200,
        2000, 2000, 1000, 15000, 2000, 250,  1000,  1000, 8000, 1000, 2500, 1000, 10,
    };
};

}  // namespace devlib_instr
