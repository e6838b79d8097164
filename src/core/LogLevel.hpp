#pragma once

#include <cstdint>

#include "torvik/instrument_api.h"

namespace devlib_instr {

// The levels a host's log callback receives, named in the public header.
enum class LogLevel : int32_t {
    Debug = INSTR_LOG_DEBUG,
    Info = INSTR_LOG_INFO,
    Warn = INSTR_LOG_WARN,
    Error = INSTR_LOG_ERROR,
};

}  // namespace devlib_instr
