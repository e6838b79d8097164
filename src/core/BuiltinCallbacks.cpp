// The callbacks a context uses until the host installs its own.
#include <algorithm>
#include <string>
#include <string_view>

#include "core/Context.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/StandardOutput.hpp"

namespace devlib_instr {

// Writes "LEVEL: text" and a line feed to standard output (see writeStandardOutput). Levels
// above 3 are ignored. Nothing is raised into the caller: a line that cannot be built is dropped.
void consoleLogger(int32_t level, const InstrWChar* text, void*) {
    static constexpr const char16_t* prefixes[] = {msg::logPrefixDebug, msg::logPrefixInfo, msg::logPrefixWarn,
                                                   msg::logPrefixError};
    if (level < 0 || level > 3) return;
    try {
        std::u16string line(prefixes[level]);
        if (text != nullptr) line += reinterpret_cast<const char16_t*>(text);
        line += u'\n';
        writeStandardOutput(line);
    } catch (...) {
    }
}

// Entry 0 is the library's one text; any other entry, or no room, gives 0.
int32_t builtinTextProvider(uint32_t id, uint32_t, InstrWChar* buffer, uint32_t bufferLength) {
    if (id != 0 || bufferLength == 0 || buffer == nullptr) return 0;
    std::u16string_view text(msg::unableToConnect);
    size_t length = std::min<size_t>(text.size(), bufferLength - 1);
    for (size_t i = 0; i < length; ++i) buffer[i] = static_cast<InstrWChar>(text[i]);
    buffer[length] = 0;
    return 1;
}

}  // namespace devlib_instr
