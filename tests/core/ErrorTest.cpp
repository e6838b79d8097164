// The library's exception: handlers that word a caught std::exception by its what() must read the
// same text for an Error on every platform, whatever the standard library's default is.
#include <gtest/gtest.h>

#include <exception>

#include "core/Error.hpp"

namespace devlib_instr {
namespace {

TEST(Error, WhatIsUnknownExceptionAndTheTextStaysInMessage) {
    const Error error(ErrorCategory::InstrFirmwareFlasher, ErrorCode::Aborted, u"Aborted by user");
    const std::exception& asStandard = error;
    EXPECT_STREQ(asStandard.what(), "Unknown exception");
    const Error copy = error;
    EXPECT_EQ(copy.category, 3u);
    EXPECT_EQ(copy.code, 8u);
    EXPECT_EQ(copy.message, u"Aborted by user");
}

}  // namespace
}  // namespace devlib_instr
