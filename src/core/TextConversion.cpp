#include "core/TextConversion.hpp"

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <stdexcept>

namespace devlib_instr {

namespace {

// One code point as one unit, or as a surrogate pair above U+FFFF (a locale with a 32-bit
// wchar_t, such as a UTF-8 locale on Linux, yields such code points).
void appendCodePoint(std::u16string& out, char32_t value) {
    if (value < 0x10000) {
        out.push_back(static_cast<char16_t>(value));
        return;
    }
    value -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
}

}  // namespace

// Under a locale other than "C" the bytes are decoded by that locale; a byte sequence the locale
// rejects (or leaves incomplete at the end) keeps each byte as its own unit, so widen never fails.
std::u16string widen(std::string_view narrow) {
    std::u16string wide;
    wide.reserve(narrow.size());
    std::mbstate_t state{};
    size_t i = 0;
    while (i < narrow.size()) {
        wchar_t unit = 0;
        size_t used = std::mbrtowc(&unit, narrow.data() + i, narrow.size() - i, &state);
        if (used == 0) used = 1;  // an embedded NUL
        if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
            // Not valid in the current locale: keep the byte as its own unit.
            unit = static_cast<unsigned char>(narrow[i]);
            used = 1;
            state = std::mbstate_t{};
        }
        appendCodePoint(wide, static_cast<char32_t>(unit));
        i += used;
    }
    return wide;
}

std::u16string widen(const char* narrow) {
    return narrow == nullptr ? std::u16string() : widen(std::string_view(narrow));
}

namespace {

[[noreturn]] void badConversion() {
    throw std::range_error("bad conversion");
}

// Number of continuation bytes after a lead byte, and the lead byte's payload bits.
bool decodeLead(unsigned char lead, int& continuation, char32_t& value) {
    if (lead < 0x80) {
        continuation = 0;
        value = lead;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        continuation = 1;
        value = lead & 0x1F;
        return true;
    }
    if ((lead & 0xF0) == 0xE0) {
        continuation = 2;
        value = lead & 0x0F;
        return true;
    }
    if ((lead & 0xF8) == 0xF0) {
        continuation = 3;
        value = lead & 0x07;
        return true;
    }
    return false;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view text) {
    static constexpr char32_t minimumFor[] = {0, 0x80, 0x800, 0x10000};
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        int continuation = 0;
        char32_t value = 0;
        if (!decodeLead(static_cast<unsigned char>(text[i]), continuation, value)) badConversion();
        if (i + continuation >= text.size()) badConversion();  // truncated sequence
        for (int k = 1; k <= continuation; ++k) {
            auto byte = static_cast<unsigned char>(text[i + k]);
            if ((byte & 0xC0) != 0x80) badConversion();
            value = (value << 6) | (byte & 0x3F);
        }
        if (value < minimumFor[continuation] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            badConversion();
        appendCodePoint(out, value);
        i += 1 + continuation;
    }
    return out;
}

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void appendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (value >> 18)));
        out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

}  // namespace

// A surrogate pair becomes its code point's four bytes. Each surrogate written on its own would
// give bytes no UTF-8 reader (the JSON library of the archive's metadata, the file system) accepts,
// so a lone surrogate becomes U+FFFD instead: the output is always valid UTF-8.
std::string toUtf8(std::u16string_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (isHighSurrogate(unit) && i + 1 < wide.size() && isLowSurrogate(wide[i + 1])) {
            appendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{wide[i + 1]} - 0xDC00));
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendUtf8(out, replacementCharacter);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

}  // namespace devlib_instr
