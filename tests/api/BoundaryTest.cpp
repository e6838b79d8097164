// The exception boundary every entry shares: each kind of failure becomes one record, nothing
// escapes, and a success writes nothing.
#include <stdexcept>

#include "api/ApiBoundary.hpp"
#include "support/HostApi.hpp"

namespace devlib_instr::api {
namespace {

using enum torvik::Category;

struct Throwing {
    void (*raise)();
    torvik::ErrorRecord record;
};

TEST(Boundary, TurnsEachFailureIntoOneRecord) {
    const Throwing kinds[] = {
        {[] { throw Error(ErrorCategory::InstrFirmwareFlasher, ErrorCode::Aborted, u"Aborted by user"); },
         {FirmwareFlasher, 8, "Aborted by user"}},
        {[] { throw std::runtime_error("Insufficient data. \xE2\x82\xAC \xF0\x9F\x98\x80"); },
         {General, 20, "Insufficient data. \xE2\x82\xAC \xF0\x9F\x98\x80"}},
        // Not UTF-8: byte for byte, U+00FF and U+00C3.
        {[] { throw std::runtime_error("bad \xFF\xC3 text"); }, {General, 20, "bad \xC3\xBF\xC3\x83 text"}},
        {[] { throw std::length_error("vector too long"); }, {General, 20, "vector too long"}},
        {[] { throw std::bad_alloc(); }, {General, 20, "std::bad_alloc"}},
        {[] { throw 42; }, {General, 20, "An internal error occurred."}},
    };
    for (const Throwing& kind : kinds) {
        const auto failing = [&] {
            kind.raise();
            return 1;
        };
        InstrError* err = nullptr;
        EXPECT_EQ(guarded(&err, -1, failing), -1);
        EXPECT_EQ(torvik::takeRecord(err), kind.record);
        EXPECT_EQ(guarded(nullptr, -1, failing), -1);  // no err: still nothing escapes
    }
    InstrError* err = nullptr;
    EXPECT_EQ(guarded(&err, false, [] { return true; }), true);
    int ran = 0;
    guardedVoid(&err, [&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(err, nullptr);
}

}  // namespace
}  // namespace devlib_instr::api
