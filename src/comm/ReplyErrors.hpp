// The failures of reply parsing: Error of category 0, code 5 with a fixed text, or the text of a
// failed payload primitive.
#pragma once

#include <exception>
#include <string>

#include "core/Error.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

inline Error replyOutOfRange(std::u16string text) {
    return Error(ErrorCategory::General, ErrorCode::OutOfRange, std::move(text));
}

// The plain standard exception a malformed reply raises where no text is defined.
class UnknownReplyException : public UntextedException {};

}  // namespace devlib_instr
