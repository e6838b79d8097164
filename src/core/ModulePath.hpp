// Where the host executable lives (the directory of the running program's file).
#pragma once

#include <string>

namespace devlib_instr {

// The directory of the host process's executable, without a trailing separator; empty when the
// platform cannot tell. One implementation per platform.
std::u16string hostExecutableDirectory();

}  // namespace devlib_instr
