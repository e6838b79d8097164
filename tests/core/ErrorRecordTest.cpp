// Ownership rules of the host-owned error records. Leaks and double frees are the sanitizers'
// business: every test leaves nothing behind when the rules hold.
#include <gtest/gtest.h>

#include <string>

#include "core/ErrorRecord.hpp"

namespace devlib_instr {
namespace {

std::u16string messageOf(const InstrError* e) {
    return e->message == nullptr ? u"<null>" : std::u16string(reinterpret_cast<const char16_t*>(e->message));
}

TEST(ErrorRecord, CreateCopiesTheMessage) {
    std::u16string text = u"Connection failed";
    InstrError* e = errorCreate(2, 6, text.c_str());
    text[0] = u'X';
    EXPECT_EQ(e->category, 2u);
    EXPECT_EQ(e->code, 6u);
    EXPECT_EQ(messageOf(e), u"Connection failed");
    errorDelete(e);
}

TEST(ErrorRecord, EmptyAndNullMessagesStayAsTheyAre) {
    InstrError* empty = errorCreate(0, 17, u"");
    ASSERT_NE(empty->message, nullptr);
    EXPECT_EQ(messageOf(empty), u"");
    InstrError* none = errorCreate(0, 1, nullptr);
    EXPECT_EQ(none->message, nullptr);
    errorDelete(empty);
    errorDelete(none);
}

struct PrependCase {
    const char16_t* initial;
    const char16_t* text;
    std::u16string expected;
};

class ErrorPrepend : public testing::TestWithParam<PrependCase> {};

TEST_P(ErrorPrepend, PutsTheTextDirectlyInFront) {
    InstrError* e = errorCreate(5, 19, GetParam().initial);
    errorPrependText(&e, GetParam().text);
    EXPECT_EQ(messageOf(e), GetParam().expected);
    errorDelete(e);
}

INSTANTIATE_TEST_SUITE_P(Cases, ErrorPrepend,
                         testing::Values(PrependCase{u"Connection failed", u"Open: ", u"Open: Connection failed"},
                                         PrependCase{nullptr, u"Only", u"Only"},
                                         PrependCase{u"Kept", nullptr, u"Kept"},
                                         PrependCase{u"", u"", u""}));

TEST(ErrorRecord, PrependIgnoresMissingRecords) {
    InstrError* none = nullptr;
    errorPrependText(&none, u"x");
    errorPrependText(nullptr, u"x");
    EXPECT_EQ(none, nullptr);
}

TEST(ErrorRecord, FreeAndDeleteAndClearEmptyTheSlot) {
    for (auto clear : {&errorFree, &errorDeleteAndClear}) {
        InstrError* e = errorCreate(0, 20, u"x");
        clear(&e);
        EXPECT_EQ(e, nullptr);
        clear(&e);  // a slot holding null: nothing happens
        clear(nullptr);
    }
    errorDelete(nullptr);
}

TEST(ErrorRecord, SetDoesNotFreeTheRecordAlreadyThere) {
    InstrError* old = errorCreate(0, 1, u"old");
    InstrError* slot = old;
    errorSet(&slot, 3, 8, u"Aborted by user");
    ASSERT_NE(slot, old);
    EXPECT_EQ(messageOf(old), u"old");
    EXPECT_EQ(messageOf(slot), u"Aborted by user");
    errorSet(nullptr, 0, 1, u"dropped");
    errorDelete(old);
    errorDelete(slot);
}

TEST(ErrorRecord, PassHandsOverOrDeletes) {
    InstrError* e = errorCreate(0, 1, u"x");
    InstrError* out = nullptr;
    errorPass(&out, e);
    EXPECT_EQ(out, e);
    EXPECT_EQ(messageOf(out), u"x");
    errorPass(nullptr, out);  // no receiver: the record is deleted
    errorPass(nullptr, nullptr);
}

TEST(ErrorRecord, PassWithTextPrependsOrDeletes) {
    InstrError* out = nullptr;
    errorPassWithText(&out, errorCreate(3, 19, u"Timeout"), u"Read: ");
    EXPECT_EQ(messageOf(out), u"Read: Timeout");
    errorPassWithText(nullptr, out, u"lost");
    errorPassWithText(&out, nullptr, u"lost");
    EXPECT_EQ(out, nullptr);
}

}  // namespace
}  // namespace devlib_instr
