// The exception boundary every entry shares: each kind of failure becomes one record, nothing
// escapes, and a success writes nothing.
#include <stdexcept>

#include "api/ApiBoundary.hpp"
#include "support/HostApi.hpp"

namespace devlib_instr::api {
namespace {

using torvik_test::Record;

struct Throwing {
    void (*raise)();
    Record record;
};

TEST(Boundary, TurnsEachFailureIntoOneRecord) {
    const Throwing kinds[] = {
        {[] { throw Error(ErrorCategory::InstrFirmwareFlasher, ErrorCode::Aborted, u"Aborted by user"); },
         {3, 8, u"Aborted by user"}},
        {[] { throw std::runtime_error("Insufficient data. \xE2\x82\xAC \xF0\x9F\x98\x80"); },
         {0, 20, u"Insufficient data. \u20AC \U0001F600"}},
        {[] { throw std::runtime_error("bad \xFF\xC3 text"); }, {0, 20, u"bad \u00FF\u00C3 text"}},  // byte for byte
        {[] { throw std::length_error("vector too long"); }, {0, 20, u"vector too long"}},
        {[] { throw std::bad_alloc(); }, {0, 20, u"std::bad_alloc"}},
        {[] { throw 42; }, {0, 20, u"An internal error occurred."}},
    };
    for (const Throwing& kind : kinds) {
        const auto failing = [&] {
            kind.raise();
            return 1;
        };
        InstrError* err = nullptr;
        EXPECT_EQ(guarded(&err, -1, failing), -1);
        EXPECT_EQ(torvik_test::takeRecord(err), kind.record);
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
