// The error-record slots (7-14) as a host uses them: who owns a record, and what its text becomes.
// Leaks and double frees are the sanitizers' business: every case leaves nothing behind when the
// ownership rules hold.
#include <gtest/gtest.h>

#include <string>

#include "api/SlotTestSupport.hpp"

namespace {

using slot_test::api;
using slot_test::textOf;
using slot_test::wide;

TEST(ErrorSlots, CreateKeepsItsOwnCopyOfTheMessage) {
    std::u16string text = u"Connection failed";
    InstrError* e = api().errorCreate(2, 6, wide(text.c_str()));
    text[0] = u'X';
    EXPECT_EQ(e->category, 2u);
    EXPECT_EQ(e->code, 6u);
    EXPECT_EQ(textOf(e->message), u"Connection failed");
    api().errorDelete(e);
    InstrError* empty = api().errorCreate(0, 17, wide(u""));
    EXPECT_EQ(textOf(empty->message), u"");  // an empty message stays empty, not null
    api().errorDelete(empty);
    InstrError* none = api().errorCreate(0, 1, nullptr);
    EXPECT_EQ(none->message, nullptr);
    api().errorDelete(none);
}

struct PrependCase {
    const char* name;
    const char16_t* initial;
    const char16_t* text;
    std::u16string expected;
};

void PrintTo(const PrependCase& c, std::ostream* os) {
    *os << c.name;
}

class ErrorPrepend : public testing::TestWithParam<PrependCase> {};

TEST_P(ErrorPrepend, PutsTheTextDirectlyInFront) {
    InstrError* e = api().errorCreate(5, 19, wide(GetParam().initial));
    api().errorPrependText(&e, wide(GetParam().text));
    EXPECT_EQ(textOf(e->message), GetParam().expected);
    api().errorDelete(e);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorPrepend,
    testing::Values(PrependCase{"OnAMessage", u"Connection failed", u"Open: ", u"Open: Connection failed"},
                    PrependCase{"OnNoMessage", nullptr, u"Only", u"Only"},
                    PrependCase{"NoText", u"Kept", nullptr, u"Kept"}, PrependCase{"BothEmpty", u"", u"", u""}),
    [](const testing::TestParamInfo<PrependCase>& info) { return std::string(info.param.name); });

TEST(ErrorSlots, PrependIgnoresMissingRecords) {
    InstrError* none = nullptr;
    api().errorPrependText(&none, wide(u"x"));
    api().errorPrependText(nullptr, wide(u"x"));
    EXPECT_EQ(none, nullptr);
}

TEST(ErrorSlots, FreeAndDeleteAndClearEmptyTheSlot) {
    for (InstrFn_errorFree clear : {api().errorFree, api().errorDeleteAndClear}) {
        InstrError* e = api().errorCreate(0, 20, wide(u"x"));
        clear(&e);
        EXPECT_EQ(e, nullptr);
        clear(&e);  // a slot holding null: nothing happens
        clear(nullptr);
    }
    api().errorDelete(nullptr);
}

TEST(ErrorSlots, SetDoesNotFreeTheRecordAlreadyThere) {
    InstrError* old = api().errorCreate(0, 1, wide(u"old"));
    InstrError* slot = old;
    api().errorSet(&slot, 3, 8, wide(u"Aborted by user"));
    ASSERT_NE(slot, old);
    EXPECT_EQ(textOf(old->message), u"old");
    EXPECT_EQ(textOf(slot->message), u"Aborted by user");
    api().errorSet(nullptr, 0, 1, wide(u"dropped"));
    api().errorDelete(old);
    api().errorDelete(slot);
}

TEST(ErrorSlots, PassHandsOverOrDeletes) {
    InstrError* e = api().errorCreate(0, 1, wide(u"x"));
    InstrError* out = nullptr;
    api().errorPass(&out, e);
    EXPECT_EQ(out, e);
    EXPECT_EQ(textOf(out->message), u"x");
    api().errorPass(nullptr, out);  // no receiver: the record is deleted
    api().errorPass(nullptr, nullptr);
}

TEST(ErrorSlots, PassWithTextPrependsOrDeletes) {
    InstrError* out = nullptr;
    api().errorPassWithText(&out, api().errorCreate(3, 19, wide(u"Timeout")), wide(u"Read: "));
    EXPECT_EQ(textOf(out->message), u"Read: Timeout");
    api().errorPassWithText(nullptr, out, wide(u"lost"));  // no receiver: deleted
    out = nullptr;
    api().errorPassWithText(&out, nullptr, wide(u"lost"));
    EXPECT_EQ(out, nullptr);
}

}  // namespace
