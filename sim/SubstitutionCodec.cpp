#include "sim/SubstitutionCodec.hpp"

#include <algorithm>
#include <array>

namespace torvik::sim {
namespace {

constexpr uint8_t kNul = 0x00;
constexpr uint8_t kCr = 0x0D;

// A block holds at most 253 distinct values, so at least one byte besides 0x00 and 0x0D is free;
// two are free whenever the block holds 0x00 or 0x0D. With a single free byte both keys are that
// byte, which is harmless because then neither 0x00 nor 0x0D needs replacing.
std::array<uint8_t, 2> pickKeys(const uint8_t* data, size_t size) {
    std::array<bool, 256> used{};
    for (size_t i = 0; i < size; ++i) used[data[i]] = true;
    std::array<uint8_t, 2> keys{};
    int found = 0;
    for (int value = 1; value < 256 && found < 2; ++value) {
        if (value == kCr || used[static_cast<size_t>(value)]) continue;
        keys[static_cast<size_t>(found++)] = static_cast<uint8_t>(value);
    }
    if (found == 1) keys[1] = keys[0];
    return keys;
}

}  // namespace

std::string substitutionEncode(const Bytes& data) {
    std::string out;
    out.reserve(data.size() + 2 * (data.size() / kSubstitutionBlockData + 1));
    for (size_t start = 0; start < data.size(); start += kSubstitutionBlockData) {
        size_t size = std::min(kSubstitutionBlockData, data.size() - start);
        const uint8_t* block = data.data() + start;
        auto keys = pickKeys(block, size);
        out.push_back(static_cast<char>(keys[0]));
        out.push_back(static_cast<char>(keys[1]));
        for (size_t i = 0; i < size; ++i) {
            uint8_t b = block[i];
            out.push_back(static_cast<char>(b == kNul ? keys[0] : b == kCr ? keys[1] : b));
        }
    }
    return out;
}

Bytes substitutionDecode(std::string_view raw) {
    Bytes out;
    size_t pos = 0;
    while (raw.size() - pos > 2) {
        size_t n = std::min(kSubstitutionBlockData, raw.size() - pos - 2);
        std::array<uint8_t, 256> table{};
        for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i);
        table[static_cast<uint8_t>(raw[pos])] = kNul;
        table[static_cast<uint8_t>(raw[pos + 1])] = kCr;
        for (size_t i = 0; i < n; ++i) out.push_back(table[static_cast<uint8_t>(raw[pos + 2 + i])]);
        pos += n + 2;
    }
    return out;
}

}  // namespace torvik::sim
