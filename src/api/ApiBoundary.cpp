#include "api/ApiBoundary.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "core/CaughtException.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr::api {

namespace {

// what() is UTF-8; text that is not is kept byte for byte (each byte one unit), so the host still
// gets a readable code-20 record.
std::u16string standardExceptionText(const char* what) {
    if (what == nullptr) return {};
    try {
        return utf8ToUtf16(what);
    } catch (const std::range_error&) {
        return widen(what);
    }
}

constexpr FailureWording boundaryWording{
    .category = ErrorCategory::General,
    .code = ErrorCode::InternalError,
    .commErrorPrefix = u"",  // a serial-link error counts as a standard exception
    .exceptionPrefix = u"",
    .unknownText = msg::internalError,
    .whatText = &standardExceptionText,
};

}  // namespace

void reportCaughtException(InstrError** err) noexcept {
    if (err == nullptr) return;
    try {
        const Error error = describeCaughtException(boundaryWording).error;
        *err = devlib_instr::errorCreate(error.category, error.code, error.message.c_str());
    } catch (...) {
        // No memory left to word the failure: the fixed text still fits (or the record is null).
        *err = devlib_instr::errorCreate(static_cast<uint32_t>(ErrorCategory::General),
                                         static_cast<uint32_t>(ErrorCode::InternalError), msg::internalError);
    }
}

uint32_t copyErrors(const std::vector<Error>& errors, InstrError** list, uint32_t capacity) {
    const size_t count = list != nullptr ? std::min<size_t>(errors.size(), capacity) : 0;
    for (size_t i = 0; i < count; ++i)
        list[i] = devlib_instr::errorCreate(errors[i].category, errors[i].code, errors[i].message.c_str());
    return static_cast<uint32_t>(errors.size());
}

}  // namespace devlib_instr::api
