// assign, the byte-array operation no slot exposes (the configuration read stores its result with
// it); the slots' own operations are tested through the table (tests/api).
#include <gtest/gtest.h>

#include <vector>

#include "core/ByteArray.hpp"

namespace devlib_instr {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ByteArray, AssignReplacesOrZeroFills) {
    ByteArray array(200u);
    const uint8_t text[] = {'{', '}'};
    array.assign(text, 2);
    EXPECT_EQ(array.bytes(), (Bytes{'{', '}'}));
    array.assign(nullptr, 3);
    EXPECT_EQ(array.size(), 3u);
    array.assign(nullptr, 0);
    EXPECT_EQ(array.size(), 0u);
}

}  // namespace
}  // namespace devlib_instr
