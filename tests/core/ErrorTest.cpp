// The library's exception: handlers that word a caught std::exception by its what() must read the
// same text for an Error on every platform, whatever the standard library's default is.
#include <gtest/gtest.h>

#include <exception>
#include <tuple>

#include "core/Error.hpp"

namespace devlib_instr {
namespace {

TEST(Error, WhatIsUnknownExceptionAndTheTextStaysInMessage) {
    const Error error(ErrorCategory::InstrFirmwareFlasher, ErrorCode::Aborted, u"Aborted by user");
    const std::exception& asStandard = error;
    EXPECT_STREQ(asStandard.what(), "Unknown exception");
    EXPECT_EQ(std::tuple(error.category, error.code, error.message),
              std::tuple(3u, 8u, std::u16string(u"Aborted by user")));
}

}  // namespace
}  // namespace devlib_instr
