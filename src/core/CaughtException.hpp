// Turns the exception in flight into the library's Error, written once for every module that
// reports failures with texts of its own (the datalog reader, the device's clear, the
// configuration, the API boundary): each supplies its category, code and texts, then logs or
// records the result as it needs.
#pragma once

#include <string>
#include <string_view>

#include "core/Error.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

// How one module words the failures it catches. An empty prefix leaves that kind of failure to
// the next rule: a serial-link error without `commErrorPrefix` counts as a standard exception.
struct FailureWording {
    ErrorCategory category;
    ErrorCode code;
    std::u16string_view commErrorPrefix;  // followed by the CommError's code in decimal
    std::u16string_view exceptionPrefix;  // followed by what(), widened
    std::u16string_view unknownText;      // for anything that is not a standard exception
    // How what() becomes text: widened byte by byte unless the module reads it otherwise.
    std::u16string (*whatText)(const char* what) = static_cast<std::u16string (*)(const char*)>(&widen);
};

struct CaughtException {
    Error error;
    bool worded;  // false: the library's own Error, passed on unchanged (it was logged where raised)
};

// Call only inside a catch block: describes std::current_exception() with `wording`.
CaughtException describeCaughtException(const FailureWording& wording);

}  // namespace devlib_instr
