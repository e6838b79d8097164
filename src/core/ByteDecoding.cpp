#include "core/ByteDecoding.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

namespace devlib_instr {

void translateBytes(const uint8_t* from, const uint8_t* to, size_t count, uint8_t* buffer, size_t length) {
    std::array<uint8_t, 256> table;
    std::iota(table.begin(), table.end(), 0);
    for (size_t i = 0; i < count; ++i) table[from[i]] = to[i];
    for (size_t i = 0; i < length; ++i) buffer[i] = table[buffer[i]];
}

size_t decodeSubstitutedBlocks(uint8_t* buffer, size_t length, size_t blockSize, const uint8_t* values,
                               size_t keyCount) {
    if (blockSize == 0) return 0;  // no block can carry data (and the scan would not advance)
    size_t in = 0;
    size_t out = 0;
    while (in < length && length - in > keyCount) {
        size_t chunk = std::min(blockSize, length - in - keyCount);
        uint8_t* data = buffer + in + keyCount;
        translateBytes(buffer + in, values, keyCount, data, chunk);
        std::memmove(buffer + out, data, chunk);
        out += chunk;
        in += keyCount + chunk;
    }
    return out;
}

void dayNumberToCalendar(uint32_t day, uint32_t secondOfDay, std::tm* out) {
    if (out == nullptr) return;
    uint32_t s = std::min<uint32_t>(secondOfDay, 86399);
    out->tm_hour = static_cast<int>(s / 3600);
    out->tm_min = static_cast<int>((s % 3600) / 60);
    out->tm_sec = static_cast<int>(s % 60);
    // Civil date from the day count (integer algorithm on unsigned 32-bit values).
    uint32_t a = 4 * day + 2775607;
    uint32_t b = ((a % 146097) & ~3u) + 3;
    uint32_t c = 5 * ((b % 1461) / 4) + 2;
    uint32_t m = c / 153 + 2;
    uint32_t year = (100 * (a / 146097) + b / 1461 + m / 12) % 65536;
    out->tm_year = static_cast<int>(year) - 1900;
    out->tm_mon = static_cast<int>(m % 12);
    out->tm_mday = static_cast<int>((c % 153) / 5 + 1);
    out->tm_isdst = -1;
}

}  // namespace devlib_instr
