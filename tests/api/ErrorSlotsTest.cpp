// The error-record slots as a host uses them: who owns a record, and what its text becomes. Leaks
// and double frees are the sanitizers' business: every case leaves nothing behind when the
// ownership rules hold.
#include "support/HostApi.hpp"
#include "torvik/torvik.hpp"

namespace torvik_test {
namespace {

using enum torvik::Category;
using torvik::ErrorRecord;
using torvik::takeRecord;

TEST(ErrorSlots, CreateKeepsItsOwnCopyOfTheMessage) {
    std::u16string text = u"Connection failed \u00C5 \U0001F69B";
    InstrError* e = api().errorCreate(2, 6, text.c_str());
    text[0] = u'X';
    EXPECT_EQ(takeRecord(e), (ErrorRecord{Device, 6, "Connection failed \xC3\x85 \xF0\x9F\x9A\x9B"}));
    EXPECT_EQ(e, nullptr);  // taken: freed, and the slot emptied
    EXPECT_EQ(takeRecord(e), std::nullopt);
    InstrError* empty = api().errorCreate(0, 17, u"");
    ASSERT_NE(empty->message, nullptr);  // an empty message stays empty, not null
    EXPECT_EQ(takeRecord(empty), (ErrorRecord{General, 17, ""}));
    InstrError* none = api().errorCreate(0, 1, nullptr);
    EXPECT_EQ(none->message, nullptr);
    api().errorDelete(none);
}

TEST(ErrorSlots, PrependPutsTheTextDirectlyInFront) {
    const struct {
        const char16_t* initial;
        const char16_t* text;
        std::string expected;
    } cases[] = {{u"Connection failed", u"Open: ", "Open: Connection failed"},
                 {nullptr, u"Only", "Only"},
                 {u"Kept", nullptr, "Kept"},
                 {u"", u"", ""}};
    for (const auto& c : cases) {
        InstrError* e = api().errorCreate(5, 19, c.initial);
        api().errorPrependText(&e, c.text);
        EXPECT_EQ(takeRecord(e), (ErrorRecord{ContainerWriter, 19, c.expected}));
    }
    InstrError* none = nullptr;  // missing records are ignored
    api().errorPrependText(&none, u"x");
    api().errorPrependText(nullptr, u"x");
    EXPECT_EQ(none, nullptr);
}

TEST(ErrorSlots, FreeAndDeleteAndClearEmptyTheSlot) {
    for (InstrFn_errorFree clear : {api().errorFree, api().errorDeleteAndClear}) {
        InstrError* e = api().errorCreate(0, 20, u"x");
        clear(&e);
        EXPECT_EQ(e, nullptr);
        clear(&e);  // a slot holding null: nothing happens
        clear(nullptr);
    }
    api().errorDelete(nullptr);
}

TEST(ErrorSlots, SetDoesNotFreeTheRecordAlreadyThere) {
    InstrError* old = api().errorCreate(0, 1, u"old");
    InstrError* slot = old;
    api().errorSet(&slot, 3, 8, u"Aborted by user");
    ASSERT_NE(slot, old);
    EXPECT_EQ(takeRecord(old), (ErrorRecord{General, 1, "old"}));
    EXPECT_EQ(takeRecord(slot), (ErrorRecord{FirmwareFlasher, 8, "Aborted by user"}));
    api().errorSet(nullptr, 0, 1, u"dropped");
}

TEST(ErrorSlots, PassHandsOverPrependsOrDeletes) {
    InstrError* e = api().errorCreate(0, 1, u"x");
    InstrError* out = nullptr;
    api().errorPass(&out, e);
    EXPECT_EQ(out, e);
    api().errorPass(nullptr, out);  // no receiver: the record is deleted
    api().errorPass(nullptr, nullptr);
    out = nullptr;
    api().errorPassWithText(&out, api().errorCreate(3, 19, u"Timeout"), u"Read: ");
    EXPECT_EQ(textOf(out->message), u"Read: Timeout");
    api().errorPassWithText(nullptr, out, u"lost");  // no receiver: deleted
    out = nullptr;
    api().errorPassWithText(&out, nullptr, u"lost");
    EXPECT_EQ(out, nullptr);
}

}  // namespace
}  // namespace torvik_test
