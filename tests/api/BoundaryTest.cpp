// The exception boundary every entry shares: three kinds of failure become records, nothing escapes.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "api/ApiBoundary.hpp"

namespace devlib_instr::api {
namespace {

std::u16string messageOf(const InstrError* e) {
    return e->message == nullptr ? u"<null>" : std::u16string(reinterpret_cast<const char16_t*>(e->message));
}

struct Throwing {
    const char* name;
    void (*raise)();
    uint32_t category;
    uint32_t code;
    std::u16string message;
};

class Boundary : public testing::TestWithParam<Throwing> {};

TEST_P(Boundary, TurnsTheFailureIntoOneRecord) {
    const Throwing& c = GetParam();
    InstrError* err = nullptr;
    int result = guarded(&err, -1, [&] {
        c.raise();
        return 1;
    });
    EXPECT_EQ(result, -1);
    ASSERT_NE(err, nullptr);
    EXPECT_EQ(err->category, c.category);
    EXPECT_EQ(err->code, c.code);
    EXPECT_EQ(messageOf(err), c.message);
    errorDelete(err);
    EXPECT_EQ(guarded(nullptr, -1,
                      [&] {  // no err: still nothing escapes
                          c.raise();
                          return 1;
                      }),
              -1);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Boundary,
    testing::Values(
        Throwing{"LibraryError",
                 [] { throw Error(ErrorCategory::InstrFirmwareFlasher, ErrorCode::Aborted, u"Aborted by user"); }, 3, 8,
                 u"Aborted by user"},
        Throwing{"StandardUtf8", [] { throw std::runtime_error("Insufficient data. \xE2\x82\xAC \xF0\x9F\x98\x80"); },
                 0, 20, u"Insufficient data. \u20AC \U0001F600"},
        Throwing{"StandardInvalidUtf8", [] { throw std::runtime_error("bad \xFF\xC3 text"); }, 0, 20,
                 u"bad \u00FF\u00C3 text"},  // kept byte for byte
        Throwing{"LengthError", [] { throw std::length_error("vector too long"); }, 0, 20, u"vector too long"},
        Throwing{"OutOfMemory", [] { throw std::bad_alloc(); }, 0, 20, u"std::bad_alloc"},
        Throwing{"NotStandard", [] { throw 42; }, 0, 20, u"An internal error occurred."}),
    [](const testing::TestParamInfo<Throwing>& info) { return std::string(info.param.name); });

TEST(Boundary, SuccessWritesNothing) {
    InstrError* err = nullptr;
    EXPECT_EQ(guarded(&err, false, [] { return true; }), true);
    int ran = 0;
    guardedVoid(&err, [&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(err, nullptr);
}

}  // namespace
}  // namespace devlib_instr::api
