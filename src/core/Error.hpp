// The library's one exception type and its category and code vocabularies.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "core/MessageCatalogue.hpp"
#include "torvik/instrument_api.h"

namespace devlib_instr {

// The categories a host receives, named in the public header.
enum class ErrorCategory : uint32_t {
    General = INSTR_CATEGORY_GENERAL,
    InstrContext = INSTR_CATEGORY_CONTEXT,
    InstrDevice = INSTR_CATEGORY_DEVICE,
    InstrFirmwareFlasher = INSTR_CATEGORY_FIRMWARE_FLASHER,
    InstrContainer = INSTR_CATEGORY_CONTAINER,
    InstrContainerWriter = INSTR_CATEGORY_CONTAINER_WRITER,
};

enum class ErrorCode : uint32_t {
    InvalidArgument = 1,
    DatabaseWriteFailed = 4,
    OutOfRange = 5,
    ConnectionFailed = 6,
    Aborted = 8,
    NotConnected = 9,
    OpenFailed = 13,
    NotSupported = 17,
    ConversionFailed = 18,
    OperationFailed = 19,
    InternalError = 20,
    WriteFailed = 22,
};

// Names of the categories, indexed by category number.
extern const char16_t* const categoryNames[6];

// A standard exception without a text of its own: what() gives "Unknown exception" on every
// platform (the standard libraries differ), so a handler that words a caught exception by its
// what() reads the same everywhere. (CommError of the public header, which cannot reach the
// library's catalogue, spells the same text out.)
class UntextedException : public std::exception {
public:
    const char* what() const noexcept override { return msg::unknownException; }
};

// Raised by value everywhere inside the library. The text lives in `message`; what() is that of
// an untexted exception.
class Error : public UntextedException {
public:
    Error(uint32_t category, uint32_t code, std::u16string message)
        : category(category), code(code), message(std::move(message)) {}
    Error(ErrorCategory category, ErrorCode code, std::u16string message)
        : Error(static_cast<uint32_t>(category), static_cast<uint32_t>(code), std::move(message)) {}

    uint32_t category;
    uint32_t code;
    std::u16string message;
};

}  // namespace devlib_instr
