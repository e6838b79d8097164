// The library's wide texts are UTF-16 (InstrWChar); the tool reads and writes UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "torvik/instrument_api.h"

namespace torvik::cli {

// A null-terminated UTF-16 text as UTF-8 (null gives ""); an unpaired surrogate becomes U+FFFD.
std::string toUtf8(const InstrWChar* text);

// UTF-8 as UTF-16; a byte that starts no valid sequence becomes U+FFFD.
std::u16string toUtf16(std::string_view text);

// The library's view of a UTF-16 string.
inline const InstrWChar* wide(const std::u16string& text) {
    return reinterpret_cast<const InstrWChar*>(text.c_str());
}

}  // namespace torvik::cli
