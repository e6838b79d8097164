// The table and the slots of the general, error, context and byte-array families, called through
// the table as a host would.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "torvik/instrument_api.h"

namespace {

const InstrumentAPI& api() {
    return *GetInstrumentAPI();
}

std::u16string textOf(const InstrWChar* text) {
    return text == nullptr ? u"<null>" : std::u16string(reinterpret_cast<const char16_t*>(text));
}
const InstrWChar* wide(const char16_t* text) {
    return reinterpret_cast<const InstrWChar*>(text);
}

// A host reference on a new context, given up at the end of the scope.
struct ContextRef {
    ContextRef() : handle(api().contextAddRef(api().contextCreate())) {}
    ~ContextRef() { api().contextRelease(handle); }
    InstrContext* handle;
};

TEST(Table, OneTableWithHeaderAndNullSlots) {
    const InstrumentAPI* first = GetInstrumentAPI();
    EXPECT_EQ(first, GetInstrumentAPI());
    EXPECT_EQ(first->layoutVersion, 2u);
    EXPECT_EQ(first->versionMajor, 2u);
    EXPECT_EQ(first->versionMinor, 9u);
    EXPECT_EQ(first->versionPatch, 0u);
    std::vector<int> nulls;
    std::vector<int> filled;
#define CHECK_SLOT(index, name, result, params) (first->name != nullptr ? filled : nulls).push_back(index);
#define CHECK_SHARED(index, name, result, params, function) CHECK_SLOT(index, name, result, params)
#define CHECK_RESERVED(index, category) (first->reserved##index != nullptr ? filled : nulls).push_back(index);
#define CHECK_NULL(index) (first->unused##index != nullptr ? filled : nulls).push_back(index);
    INSTR_API_SLOTS(CHECK_SLOT, CHECK_SHARED, CHECK_RESERVED, CHECK_NULL)
#undef CHECK_SLOT
#undef CHECK_SHARED
#undef CHECK_RESERVED
#undef CHECK_NULL
    EXPECT_EQ(nulls, (std::vector<int>{73, 74, 75, 99}));
    EXPECT_EQ(filled.size() + nulls.size(), size_t{INSTR_API_SLOT_COUNT});
    EXPECT_EQ(first->isApiAvailable(), 1);
}

TEST(Table, SharedReferenceSlotsWorkOnEveryFamily) {
    InstrByteArray* array = api().byteArrayAddRef(api().byteArrayCreate(0));
    // The context family's slots accept any handle, as the one generic function they forward to.
    auto* asContext = reinterpret_cast<InstrContext*>(array);
    EXPECT_EQ(api().contextAddRef(asContext), asContext);
    EXPECT_EQ(api().byteArrayRelease(array), 1);
    EXPECT_EQ(api().contextRelease(asContext), 0);
    EXPECT_EQ(api().deviceAddRef(nullptr), nullptr);
    EXPECT_EQ(api().configurationRelease(nullptr), 0);
}

// Every not-supported slot: no work, a new record of its family's category, code 17, empty text.
TEST(Table, NotSupportedSlotsReturnACode17Record) {
    struct Stub {
        int index;
        uint32_t category;
        InstrNotSupportedFn fn;
    };
    std::vector<Stub> stubs;
#define IGNORE_SLOT(...)
#define ADD_RESERVED(index, category) stubs.push_back({index, category, api().reserved##index});
    INSTR_API_SLOTS(IGNORE_SLOT, IGNORE_SLOT, ADD_RESERVED, IGNORE_SLOT)
#undef ADD_RESERVED
#undef IGNORE_SLOT
    ASSERT_EQ(stubs.size(), 10u + 2 + 14 + 23 + 1 + 1);
    for (const Stub& stub : stubs) {
        SCOPED_TRACE(stub.index);
        InstrError* e = stub.fn();
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->category, stub.category);
        EXPECT_EQ(e->code, 17u);
        EXPECT_EQ(textOf(e->message), u"");
        api().errorDelete(e);
    }
    InstrError* e = api().deviceWriteContainer(nullptr, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->category, 2u);
    EXPECT_EQ(e->code, 17u);
    api().errorDelete(e);
}

TEST(GeneralSlots, TextEntryZeroOnly) {
    const InstrWChar* category = nullptr;
    const InstrWChar* text = nullptr;
    const InstrWChar* detail = nullptr;
    uint32_t number = 99;
    EXPECT_EQ(api().getTextEntry(0, &category, &text, &number, &detail), 1);
    EXPECT_EQ(textOf(category), u"InstrDevice");
    EXPECT_EQ(textOf(text), u"Unable to connect to serial device.");
    EXPECT_EQ(number, 0u);
    EXPECT_EQ(textOf(detail), u"");
    EXPECT_EQ(api().getTextEntry(0, nullptr, nullptr, nullptr, nullptr), 1);
    category = nullptr;
    EXPECT_EQ(api().getTextEntry(1, &category, &text, &number, &detail), 0);
    EXPECT_EQ(category, nullptr);
}

struct AttributeCase {
    const char* name;
    bool validContext;
    uint32_t attribute;
    bool withValue;
    uint32_t size;
    uint32_t code;  // 0: success
    std::u16string message;
};

class SetAttribute : public testing::TestWithParam<AttributeCase> {};

TEST_P(SetAttribute, ChecksInOrder) {
    const AttributeCase& c = GetParam();
    ContextRef context;
    std::vector<std::u16string> lines;
    api().contextSetLogCallback(
        context.handle,
        [](int32_t, const InstrWChar* text, void* user) {
            static_cast<std::vector<std::u16string>*>(user)->push_back(textOf(text));
        },
        &lines);
    const char16_t comma[2] = {u',', 0};
    uint32_t garbage[16] = {};
    InstrContext* target = c.validContext ? context.handle : reinterpret_cast<InstrContext*>(garbage);
    InstrError* err = nullptr;
    EXPECT_EQ(api().contextSetAttribute(target, c.attribute, c.withValue ? comma : nullptr, c.size, &err), 0);
    if (c.code == 0) {
        EXPECT_EQ(err, nullptr);
        return;
    }
    ASSERT_NE(err, nullptr);
    EXPECT_EQ(err->category, 0u);
    EXPECT_EQ(err->code, c.code);
    EXPECT_EQ(textOf(err->message), c.message);
    api().errorFree(&err);
    EXPECT_EQ(lines.size(), c.code == 17 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetAttribute,
    testing::Values(AttributeCase{"Separator", true, 0, true, 2, 0, u""},
                    AttributeCase{"NullValue", true, 0, false, 2, 1,
                                  u"Invalid buffer size or buffer is a null pointer"},
                    AttributeCase{"ZeroSize", false, 1, true, 0, 1, u"Invalid buffer size or buffer is a null pointer"},
                    AttributeCase{"BadContext", false, 1, true, 2, 1, u"The API pointer is nullptr"},
                    AttributeCase{"UnknownAttribute", true, 1, true, 2, 17, u"Unknown attribute for context: 1"},
                    AttributeCase{"AttributeAboveInt32", true, 4294967295u, true, 2, 17,
                                  u"Unknown attribute for context: -1"},  // the number is read as signed
                    AttributeCase{"WrongSize", true, 0, true, 4, 1, u"Wrong decimal separator in the container"}),
    [](const testing::TestParamInfo<AttributeCase>& info) { return std::string(info.param.name); });

// Slots 15, 30, 66 and 69 do nothing while the caller still holds an unhandled record.
TEST(EntryConvention, PendingErrorIsLeftAlone) {
    ContextRef context;
    InstrError* pending = api().errorCreate(3, 8, wide(u"earlier"));
    InstrError* err = pending;
    const char16_t comma = u',';
    EXPECT_EQ(api().contextSetAttribute(context.handle, 1, &comma, 2, &err), 0);
    EXPECT_FALSE(api().deviceOpen(nullptr, "", &err));
    EXPECT_FALSE(api().gdcDatalogReaderStart(nullptr, &err));
    EXPECT_FALSE(api().gdcDatalogReaderAbort(nullptr, &err));
    EXPECT_EQ(err, pending);
    EXPECT_EQ(textOf(err->message), u"earlier");
    api().errorDeleteAndClear(&err);
}

TEST(ErrorSlots, RoundTripThroughTheTable) {
    InstrError* err = nullptr;
    api().errorSet(&err, 5, 19, wide(u"Reading of the database failed"));
    api().errorPrependText(&err, wide(u"Read: "));
    EXPECT_EQ(textOf(err->message), u"Read: Reading of the database failed");
    InstrError* passed = nullptr;
    api().errorPassWithText(&passed, err, wide(u">"));
    EXPECT_EQ(textOf(passed->message), u">Read: Reading of the database failed");
    api().errorPass(nullptr, passed);  // deleted
    InstrError* made = api().errorCreate(0, 1, nullptr);
    EXPECT_EQ(made->message, nullptr);
    api().errorFree(&made);
    EXPECT_EQ(made, nullptr);
}

TEST(ByteArraySlots, GrowAndRead) {
    InstrByteArray* array = api().byteArrayAddRef(api().byteArrayCreate(100));
    EXPECT_EQ(api().byteArraySize(array), 0u);
    const uint8_t three = 3;
    const uint8_t oneTwo[] = {1, 2};
    api().byteArrayAppend(array, &three, 1);
    api().byteArrayPrepend(array, oneTwo, 2);
    api().byteArrayResize(array, 5);
    ASSERT_EQ(api().byteArraySize(array), 5u);
    EXPECT_EQ(api().byteArrayData(array), api().byteArrayConstData(array));
    const uint8_t expected[] = {1, 2, 3, 0, 0};
    EXPECT_EQ(std::memcmp(api().byteArrayConstData(array), expected, 5), 0);
    api().byteArrayAppend(array, nullptr, 3);  // nothing to read: unchanged
    api().byteArrayPrepend(array, nullptr, 3);
    EXPECT_EQ(api().byteArraySize(array), 5u);
    EXPECT_EQ(api().byteArrayRelease(array), 0);
}

TEST(ByteArraySlots, CreationLimits) {
    EXPECT_EQ(api().byteArrayCreate(0x80000000u), nullptr);
    EXPECT_EQ(api().byteArrayCreate(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(api().byteArrayCreateFromData(nullptr, 3), nullptr);
    InstrByteArray* empty = api().byteArrayAddRef(api().byteArrayCreateFromData(nullptr, 0));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(api().byteArraySize(empty), 0u);
    EXPECT_EQ(api().byteArrayData(empty), nullptr);
    const char json[] = "{\"a\":1}";
    InstrByteArray* copy = api().byteArrayAddRef(api().byteArrayCreateFromData(json, 7));
    EXPECT_EQ(std::memcmp(api().byteArrayData(copy), json, 7), 0);
    api().byteArrayRelease(copy);
    api().byteArrayRelease(empty);
}

TEST(ByteArraySlots, InvalidHandlesDoNothing) {
    uint32_t garbage[16] = {};
    InstrContext* context = api().contextAddRef(api().contextCreate());
    for (InstrByteArray* bad : {static_cast<InstrByteArray*>(nullptr), reinterpret_cast<InstrByteArray*>(garbage),
                                reinterpret_cast<InstrByteArray*>(context)}) {
        const uint8_t byte = 1;
        EXPECT_EQ(api().byteArrayAppend(bad, &byte, 1), 0);
        EXPECT_EQ(api().byteArrayResize(bad, 10), 0);
        EXPECT_EQ(api().byteArraySize(bad), 0u);
        EXPECT_EQ(api().byteArrayData(bad), nullptr);
    }
    EXPECT_EQ(api().contextRelease(context), 0);
}

// A device holds its context: the host may release them in either order.
TEST(HandleOwnership, DeviceKeepsItsContextAlive) {
    InstrContext* context = api().contextAddRef(api().contextCreate());
    InstrDevice* device = api().deviceAddRef(api().deviceCreate(context));
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(api().contextRelease(context), 1);  // the device's usage is left
    EXPECT_FALSE(api().deviceIsOpen(device));
    EXPECT_EQ(api().deviceRelease(device), 0);  // and takes the context with it
}

// The host releases the context while another thread is inside a call on it (blocked in the log
// callback): the call finishes on a live context, which dies when the call's usage ends.
TEST(HandleConcurrency, ReleaseDuringACallOnAnotherThread) {
    struct Gate {
        std::atomic<bool> inside{false};
        std::atomic<bool> released{false};
    } gate;
    InstrContext* context = api().contextAddRef(api().contextCreate());
    api().contextSetLogCallback(
        context,
        [](int32_t, const InstrWChar*, void* user) {
            auto* g = static_cast<Gate*>(user);
            g->inside = true;
            while (!g->released) std::this_thread::yield();
        },
        &gate);
    InstrError* err = nullptr;
    std::thread caller([&] {
        const char16_t comma = u',';
        api().contextSetAttribute(context, 7, &comma, 2, &err);  // logs, then fails with code 17
    });
    while (!gate.inside) std::this_thread::yield();
    EXPECT_EQ(api().contextRelease(context), 1);  // the call's usage is left
    gate.released = true;
    caller.join();
    ASSERT_NE(err, nullptr);
    EXPECT_EQ(err->code, 17u);
    api().errorFree(&err);
}

}  // namespace
