// The process's standard output as the built-in logger writes to it, one implementation per
// platform.
#pragma once

#include <string_view>

namespace devlib_instr {

// Writes the text to standard output after whatever the host has buffered there: as UTF-16 to a
// Windows console, as UTF-8 bytes anywhere else (a pipe, a file, every POSIX terminal). A failed
// write is dropped; only running out of memory raises.
void writeStandardOutput(std::u16string_view text);

}  // namespace devlib_instr
