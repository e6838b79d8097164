// The built-in text provider, which the table does not call: it never writes past the buffer.
#include <gtest/gtest.h>

#include <string>

#include "core/Context.hpp"

namespace devlib_instr {
namespace {

std::u16string textOf(const InstrWChar* text) {
    return reinterpret_cast<const char16_t*>(text);
}

TEST(Context, BuiltinTextProviderCutsToTheBuffer) {
    InstrWChar buffer[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(builtinTextProvider(0, 99, buffer, 7), 1);
    EXPECT_EQ(textOf(buffer), u"Unable");
    EXPECT_EQ(buffer[7], 1);  // nothing written past the given length
    InstrWChar whole[64];
    EXPECT_EQ(builtinTextProvider(0, 0, whole, 64), 1);
    EXPECT_EQ(textOf(whole), u"Unable to connect to serial device.");
    EXPECT_EQ(builtinTextProvider(1, 0, whole, 64), 0);
    EXPECT_EQ(builtinTextProvider(0, 0, whole, 0), 0);
}

}  // namespace
}  // namespace devlib_instr
