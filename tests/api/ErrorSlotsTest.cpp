// The error-record slots as a host uses them: who owns a record, and what its text becomes. Leaks
// and double frees are the sanitizers' business: every case leaves nothing behind when the
// ownership rules hold.
#include "support/HostApi.hpp"

namespace torvik_test {
namespace {

TEST(ErrorSlots, CreateKeepsItsOwnCopyOfTheMessage) {
    std::u16string text = u"Connection failed";
    InstrError* e = api().errorCreate(2, 6, hostText(text.c_str()));
    text[0] = u'X';
    EXPECT_EQ(takeRecord(e), (Record{2, 6, u"Connection failed"}));
    InstrError* empty = api().errorCreate(0, 17, hostText(u""));
    ASSERT_NE(empty->message, nullptr);  // an empty message stays empty, not null
    EXPECT_EQ(takeRecord(empty).message, u"");
    InstrError* none = api().errorCreate(0, 1, nullptr);
    EXPECT_EQ(none->message, nullptr);
    api().errorDelete(none);
}

TEST(ErrorSlots, PrependPutsTheTextDirectlyInFront) {
    const struct {
        const char16_t* initial;
        const char16_t* text;
        std::u16string expected;
    } cases[] = {{u"Connection failed", u"Open: ", u"Open: Connection failed"},
                 {nullptr, u"Only", u"Only"},
                 {u"Kept", nullptr, u"Kept"},
                 {u"", u"", u""}};
    for (const auto& c : cases) {
        InstrError* e = api().errorCreate(5, 19, hostText(c.initial));
        api().errorPrependText(&e, hostText(c.text));
        EXPECT_EQ(takeRecord(e).message, c.expected);
    }
    InstrError* none = nullptr;  // missing records are ignored
    api().errorPrependText(&none, hostText(u"x"));
    api().errorPrependText(nullptr, hostText(u"x"));
    EXPECT_EQ(none, nullptr);
}

TEST(ErrorSlots, FreeAndDeleteAndClearEmptyTheSlot) {
    for (InstrFn_errorFree clear : {api().errorFree, api().errorDeleteAndClear}) {
        InstrError* e = api().errorCreate(0, 20, hostText(u"x"));
        clear(&e);
        EXPECT_EQ(e, nullptr);
        clear(&e);  // a slot holding null: nothing happens
        clear(nullptr);
    }
    api().errorDelete(nullptr);
}

TEST(ErrorSlots, SetDoesNotFreeTheRecordAlreadyThere) {
    InstrError* old = api().errorCreate(0, 1, hostText(u"old"));
    InstrError* slot = old;
    api().errorSet(&slot, 3, 8, hostText(u"Aborted by user"));
    ASSERT_NE(slot, old);
    EXPECT_EQ(takeRecord(old), (Record{0, 1, u"old"}));
    EXPECT_EQ(takeRecord(slot), (Record{3, 8, u"Aborted by user"}));
    api().errorSet(nullptr, 0, 1, hostText(u"dropped"));
}

TEST(ErrorSlots, PassHandsOverPrependsOrDeletes) {
    InstrError* e = api().errorCreate(0, 1, hostText(u"x"));
    InstrError* out = nullptr;
    api().errorPass(&out, e);
    EXPECT_EQ(out, e);
    api().errorPass(nullptr, out);  // no receiver: the record is deleted
    api().errorPass(nullptr, nullptr);
    out = nullptr;
    api().errorPassWithText(&out, api().errorCreate(3, 19, hostText(u"Timeout")), hostText(u"Read: "));
    EXPECT_EQ(textOf(out->message), u"Read: Timeout");
    api().errorPassWithText(nullptr, out, hostText(u"lost"));  // no receiver: deleted
    out = nullptr;
    api().errorPassWithText(&out, nullptr, hostText(u"lost"));
    EXPECT_EQ(out, nullptr);
}

}  // namespace
}  // namespace torvik_test
