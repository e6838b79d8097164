#pragma once

#include <cstdint>

namespace devlib_instr {

enum class LogLevel : int32_t { Debug = 0, Info = 1, Warn = 2, Error = 3 };

}  // namespace devlib_instr
