// Conversions between the library's 16-bit texts and 8-bit texts.
#pragma once

#include <string>
#include <string_view>

namespace devlib_instr {

// 8-bit text to 16-bit text through the current C locale; in the "C" locale byte b becomes unit b.
std::u16string widen(std::string_view narrow);
std::u16string widen(const char* narrow);

// UTF-8 to UTF-16 (surrogate pairs above U+FFFF); malformed input raises std::range_error
// "bad conversion".
std::u16string utf8ToUtf16(std::string_view text);

// UTF-16 to UTF-8: surrogate pairs are combined, a lone surrogate becomes U+FFFD; never fails and
// always gives valid UTF-8.
std::string toUtf8(std::u16string_view wide);

}  // namespace devlib_instr
