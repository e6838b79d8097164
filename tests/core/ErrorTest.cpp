// The library's exception: handlers that word a caught std::exception by its what() must read the
// same text for an Error on every platform, whatever the standard library's default is.
#include <gtest/gtest.h>

#include <exception>
#include <tuple>

#include "core/Error.hpp"
#include "torvik/uart_interface.hpp"

namespace devlib_instr {
namespace {

// Every exception without a text of its own reads alike: the library's Error and the serial link's
// CommError of the public header (which spells the text out).
TEST(Error, WhatIsUnknownExceptionAndTheTextStaysInMessage) {
    const Error error(ErrorCategory::InstrFirmwareFlasher, ErrorCode::Aborted, u"Aborted by user");
    const std::exception& asStandard = error;
    EXPECT_STREQ(asStandard.what(), "Unknown exception");
    EXPECT_STREQ(CommInterface::CommError(0).what(), "Unknown exception");
    EXPECT_EQ(std::tuple(error.category, error.code, error.message),
              std::tuple(3u, 8u, std::u16string(u"Aborted by user")));
}

}  // namespace
}  // namespace devlib_instr
