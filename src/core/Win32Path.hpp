// Paths for the Win32 wide-character calls, used only by the *Win32.cpp files: wchar_t is a
// UTF-16 unit on Windows, with char16_t's layout, so the library's texts pass as they are.
#pragma once

#include <string>

namespace devlib_instr {

inline const wchar_t* win32Path(const std::u16string& path) {
    return reinterpret_cast<const wchar_t*>(path.c_str());
}

}  // namespace devlib_instr
