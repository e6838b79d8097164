// The text conversions: UTF-8 in (strict), UTF-8 out (always valid), and locale widening.
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

class Utf8Decoding : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Decoding, GivesUtf16) {
    EXPECT_EQ(utf8ToUtf16(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(Valid, Utf8Decoding,
                         testing::Values(Utf8Case{"", u""},
                                         Utf8Case{std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
                                         Utf8Case{"\xC3\xA4\xE2\x82\xAC", u"\u00E4\u20AC"},
                                         Utf8Case{"\xF0\x9F\x98\x80", u"\U0001F600"},  // non-BMP: a surrogate pair
                                         Utf8Case{"x\xF0\x90\x80\x80y", u"x\U00010000y"}));

class MalformedUtf8 : public testing::TestWithParam<std::string> {};

TEST_P(MalformedUtf8, RaisesBadConversion) {
    EXPECT_STREQ(torvik_test::thrown<std::range_error>([] { utf8ToUtf16(GetParam()); }).value().what(),
                 "bad conversion");
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedUtf8,
                         testing::Values("\x80",              // continuation byte first
                                         "ab\xC3",            // truncated at the end
                                         "\xE2\x82",          // truncated three-byte sequence
                                         "\xC3\x41",          // lead byte without continuation
                                         "\xC0\x80",          // overlong NUL
                                         "\xE0\x80\xAF",      // overlong '/'
                                         "\xED\xA0\x80",      // an encoded surrogate
                                         "\xF4\x90\x80\x80",  // above U+10FFFF
                                         "\xF8\x88\x80\x80\x80", "\xFF"));

class Utf8Encoding : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Encoding, GivesValidUtf8) {
    EXPECT_EQ(toUtf8(GetParam().utf16), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Encoding,
    testing::Values(Utf8Case{"", u""}, Utf8Case{"A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80", u"A\u007F\u0080\u07FF\u0800"},
                    Utf8Case{"\xE2\x82\xAC\xEF\xBF\xBF", u"\u20AC\uFFFF"},
                    Utf8Case{"\xF0\x9F\x98\x80", u"\U0001F600"},  // a surrogate pair is one code point
                    Utf8Case{"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
                    // Lone surrogates, at the end, reversed or followed by another unit: U+FFFD each.
                    Utf8Case{"a\xEF\xBF\xBD", std::u16string(u"a") + char16_t(0xD83D)},
                    Utf8Case{"\xEF\xBF\xBDz", std::u16string(1, char16_t(0xDC00)) + u"z"},
                    Utf8Case{"\xEF\xBF\xBD\xEF\xBF\xBD", std::u16string{char16_t(0xDE00), char16_t(0xD83D)}},
                    Utf8Case{"\xEF\xBF\xBDx", std::u16string{char16_t(0xD83D), u'x'}}));

TEST(TextConversion, WidenInTheCLocaleKeepsEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::u16string wide = widen(all);
    ASSERT_EQ(wide.size(), all.size());
    for (size_t i = 0; i < wide.size(); ++i) EXPECT_EQ(wide[i], static_cast<unsigned char>(all[i]));
    EXPECT_EQ(widen(static_cast<const char*>(nullptr)), u"");
    EXPECT_EQ(widen(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
}

}  // namespace
}  // namespace devlib_instr
