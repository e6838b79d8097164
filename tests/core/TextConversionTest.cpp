// The text conversions: UTF-8 in (strict) and UTF-8 out (always valid). Widening byte for byte is
// seen in the records of BoundaryTest.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/TextConversion.hpp"
#include "support/Thrown.hpp"

namespace devlib_instr {
namespace {

struct Utf8Case {
    std::string utf8;
    std::u16string utf16;
};

TEST(TextConversion, ValidTextConvertsBothWays) {
    const Utf8Case cases[] = {
        {"", u""},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80", u"A\u007F\u0080\u07FF\u0800"},
        {"\xC3\xA4\xE2\x82\xAC\xEF\xBF\xBF", u"\u00E4\u20AC\uFFFF"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},  // non-BMP: a surrogate pair, one code point
        {"x\xF0\x90\x80\x80y", u"x\U00010000y"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const Utf8Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16);
        EXPECT_EQ(toUtf8(c.utf16), c.utf8);
    }
}

TEST(TextConversion, MalformedUtf8RaisesBadConversion) {
    const char* cases[] = {
        "\x80",              // continuation byte first
        "ab\xC3",            // truncated at the end
        "\xE2\x82",          // truncated three-byte sequence
        "\xC3\x41",          // lead byte without continuation
        "\xC0\x80",          // overlong NUL
        "\xE0\x80\xAF",      // overlong '/'
        "\xED\xA0\x80",      // an encoded surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF8\x88\x80\x80\x80",
        "\xFF",
    };
    for (const char* bad : cases)
        EXPECT_STREQ(torvik_test::thrown<std::range_error>([&] { utf8ToUtf16(bad); }).value().what(), "bad conversion")
            << bad;
}

// Lone surrogates, at the end, reversed or followed by another unit: U+FFFD each.
TEST(TextConversion, LoneSurrogatesBecomeReplacementCharacters) {
    const Utf8Case cases[] = {
        {"a\xEF\xBF\xBD", std::u16string(u"a") + char16_t(0xD83D)},
        {"\xEF\xBF\xBDz", std::u16string(1, char16_t(0xDC00)) + u"z"},
        {"\xEF\xBF\xBD\xEF\xBF\xBD", std::u16string{char16_t(0xDE00), char16_t(0xD83D)}},
        {"\xEF\xBF\xBDx", std::u16string{char16_t(0xD83D), u'x'}},
    };
    for (const Utf8Case& c : cases) EXPECT_EQ(toUtf8(c.utf16), c.utf8);
}

}  // namespace
}  // namespace devlib_instr
