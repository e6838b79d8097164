// Fuzzes the in-place substitution decoding of datalog pages. Input: block size, key count, the
// key values and the translation pairs, then the buffer. Checked against an out-of-place decoding,
// against the simulator's decoder for the detector's own parameters, and by a round trip through
// the simulator's encoder: whatever the device encodes must come back byte for byte.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "FuzzCheck.hpp"
#include "FuzzInput.hpp"
#include "comm/GdcDatalogReadResponse.hpp"
#include "core/ByteDecoding.hpp"
#include "sim/SubstitutionCodec.hpp"

namespace {

using namespace torvik_fuzz;
using Bytes = std::vector<uint8_t>;

std::array<uint8_t, 256> identityTable() {
    std::array<uint8_t, 256> table;
    std::iota(table.begin(), table.end(), 0);
    return table;
}

// Blocks of keyCount keys and up to blockSize data bytes; key i stands for values[i], later keys
// winning. A remainder no longer than the keys carries no data.
Bytes referenceDecode(const Bytes& raw, size_t blockSize, const Bytes& values) {
    Bytes out;
    const size_t keys = values.size();
    for (size_t at = 0; blockSize > 0 && raw.size() - at > keys;) {
        std::array<uint8_t, 256> table = identityTable();
        for (size_t i = 0; i < keys; ++i) table[raw[at + i]] = values[i];
        const size_t count = std::min(blockSize, raw.size() - at - keys);
        for (size_t i = 0; i < count; ++i) out.push_back(table[raw[at + keys + i]]);
        at += keys + count;
    }
    return out;
}

Bytes decodeInPlace(Bytes buffer, size_t blockSize, const Bytes& values) {
    const size_t length =
        devlib_instr::decodeSubstitutedBlocks(buffer.data(), buffer.size(), blockSize, values.data(), values.size());
    require(length <= buffer.size(), "decoded length exceeds the input");
    buffer.resize(length);
    return buffer;
}

void checkGeneric(const Bytes& raw, size_t blockSize, const Bytes& values) {
    require(decodeInPlace(raw, blockSize, values) == referenceDecode(raw, blockSize, values),
            "in-place decoding differs from the reference");
}

void checkDetectorParameters(const Bytes& raw) {
    Bytes decoded = raw;
    decoded.resize(devlib_instr::decodeSubstitution(decoded.data(), decoded.size()));
    const std::string_view text(reinterpret_cast<const char*>(raw.data()), raw.size());
    require(decoded == torvik::sim::substitutionDecode(text), "decoding differs from the simulator's decoder");

    const std::string encoded = torvik::sim::substitutionEncode(raw);
    require(encoded.find_first_of(std::string_view("\0\r", 2)) == std::string::npos, "encoding left NUL or CR");
    Bytes roundTrip(encoded.begin(), encoded.end());
    roundTrip.resize(devlib_instr::decodeSubstitution(roundTrip.data(), roundTrip.size()));
    require(roundTrip == raw, "encoded pages do not decode to themselves");
}

void checkTranslate(const Bytes& from, const Bytes& to, Bytes buffer) {
    std::array<uint8_t, 256> table = identityTable();
    for (size_t i = 0; i < from.size(); ++i) table[from[i]] = to[i];
    Bytes expected(buffer.size());
    std::transform(buffer.begin(), buffer.end(), expected.begin(), [&](uint8_t b) { return table[b]; });
    devlib_instr::translateBytes(from.data(), to.data(), from.size(), buffer.data(), buffer.size());
    require(buffer == expected, "translateBytes differs from its table");
}

Bytes take(FuzzInput& input, size_t count) {
    Bytes bytes(count);
    for (uint8_t& b : bytes) b = input.byte();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const size_t blockSize = input.byte();
    const Bytes values = take(input, input.byte() % 5);
    const size_t pairs = input.byte() % 5;
    const Bytes from = take(input, pairs);
    const Bytes to = take(input, pairs);
    const Bytes raw = input.rest();

    checkGeneric(raw, blockSize, values);
    checkDetectorParameters(raw);
    checkTranslate(from, to, raw);
    return 0;
}
