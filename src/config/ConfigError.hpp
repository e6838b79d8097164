// Errors of the configuration subsystem: the database layout, the communicator and the document
// all raise category 5 (reading and converting) unless a step says otherwise.
#pragma once

#include <string>

#include "core/Error.hpp"

namespace devlib_instr {

inline Error configError(ErrorCode code, std::u16string message) {
    return Error(ErrorCategory::InstrContainerWriter, code, std::move(message));
}

// The most common one: an operation on the database that could not be carried out.
inline Error configFailure(std::u16string message) {
    return configError(ErrorCode::OperationFailed, std::move(message));
}

}  // namespace devlib_instr
