// The table and the slots of the general and context families, and handle lifetimes, called
// through the table as a host would.
#include <atomic>
#include <thread>

#include "support/HostApi.hpp"

namespace torvik_test {
namespace {

using enum torvik::Category;
using torvik::ErrorRecord;
using torvik::takeRecord;

// Each test runs in a process of its own, so this is the process's first call: two host threads
// making it at once get the same, complete table (ThreadSanitizer watches the filling).
TEST(Table, FirstCallFromTwoThreadsAtOnce) {
    std::atomic<int> ready{0};
    const InstrumentAPI* seen[2] = {};
    auto call = [&](int index) {
        ++ready;
        while (ready.load() < 2) {
        }
        seen[index] = GetInstrumentAPI();
    };
    std::thread first(call, 0), second(call, 1);
    first.join();
    second.join();
    ASSERT_EQ(seen[0], seen[1]);
    EXPECT_EQ((std::vector<uint32_t>{seen[0]->layoutVersion, seen[0]->versionMajor, seen[0]->versionMinor,
                                     seen[0]->versionPatch}),
              (std::vector<uint32_t>{2, 2, 9, 0}));
    EXPECT_EQ(seen[1]->isApiAvailable(), 1);
}

// The not-supported slots by their place in the table (slot n is word n + 4): no work, a new
// record of the family's category, code 17 and an empty message.
TEST(Table, NotSupportedSlotsReturnACode17Record) {
    struct Range {
        int first;
        int last;
        torvik::Category category;
    };
    const Range ranges[] = {{32, 41, General}, {42, 43, Device},    {45, 58, Device},
                            {76, 98, General}, {100, 100, General}, {108, 108, Device}};
    const auto* slots = reinterpret_cast<const InstrNotSupportedFn*>(reinterpret_cast<const char*>(GetInstrumentAPI()) +
                                                                     4 * sizeof(uint32_t));
    for (const Range& range : ranges) {
        for (int index = range.first; index <= range.last; ++index) {
            SCOPED_TRACE(index);
            ASSERT_NE(slots[index], nullptr);
            InstrError* e = slots[index]();
            EXPECT_EQ(takeRecord(e), (ErrorRecord{range.category, 17, ""}));
        }
    }
    InstrError* e = api().deviceWriteContainer(nullptr, nullptr);  // slot 44: the device family's record
    EXPECT_EQ(takeRecord(e), (ErrorRecord{Device, 17, ""}));
}

TEST(GeneralSlots, TextEntryZeroOnly) {
    const InstrWChar *category = nullptr, *text = nullptr, *detail = nullptr;
    uint32_t number = 99;
    EXPECT_EQ(api().getTextEntry(0, &category, &text, &number, &detail), 1);
    EXPECT_EQ(textOf(category) + u"|" + textOf(text) + u"|" + textOf(detail),
              u"InstrDevice|Unable to connect to serial device.|");
    EXPECT_EQ(number, 0u);
    EXPECT_EQ(api().getTextEntry(0, nullptr, nullptr, nullptr, nullptr), 1);
    category = nullptr;
    EXPECT_EQ(api().getTextEntry(1, &category, &text, &number, &detail), 0);
    EXPECT_EQ(category, nullptr);
}

// Each check in its order: the value, the context, the attribute, the value's size.
TEST(ContextSlots, SetAttributeChecksInOrder) {
    struct Case {
        bool validContext;
        uint32_t attribute;
        bool withValue;
        uint32_t size;
        std::optional<ErrorRecord> record;  // none: success
    };
    const std::string badBuffer = "Invalid buffer size or buffer is a null pointer";
    const std::string badSeparator = "Wrong decimal separator in the container";
    const Case cases[] = {
        {true, 0, true, 2, std::nullopt},
        {true, 0, false, 2, ErrorRecord{General, 1, badBuffer}},
        {false, 1, true, 0, ErrorRecord{General, 1, badBuffer}},
        {false, 1, true, 2, ErrorRecord{General, 1, "The API pointer is nullptr"}},
        {true, 1, true, 2, ErrorRecord{General, 17, "Unknown attribute for context: 1"}},
        {true, 4294967295u, true, 2, ErrorRecord{General, 17, "Unknown attribute for context: -1"}},  // read as signed
        {true, 0, true, 4, ErrorRecord{General, 1, badSeparator}},
        {true, 0, true, 1, ErrorRecord{General, 1, badSeparator}},
    };
    const char16_t comma[2] = {u',', 0};
    uint32_t garbage[16] = {};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.record));
        const torvik::Context context;
        LogCollector<> log;
        api().contextSetLogCallback(context.get(), &LogCollector<>::callback, &log);
        InstrContext* target = c.validContext ? context.get() : reinterpret_cast<InstrContext*>(garbage);
        InstrError* err = nullptr;
        EXPECT_EQ(api().contextSetAttribute(target, c.attribute, c.withValue ? comma : nullptr, c.size, &err), 0);
        EXPECT_EQ(takeRecord(err), c.record);
        EXPECT_EQ(log.all().size(), c.record && c.record->code == 17 ? 1u : 0u);  // unknown attributes are logged
    }
}

// Slots 15, 30, 66 and 69 do nothing while the caller still holds an unhandled record.
TEST(EntryConvention, PendingErrorIsLeftAlone) {
    const torvik::Context context;
    InstrError* pending = api().errorCreate(3, 8, u"earlier");
    InstrError* err = pending;
    const char16_t comma = u',';
    EXPECT_EQ(api().contextSetAttribute(context.get(), 1, &comma, 2, &err), 0);
    EXPECT_FALSE(api().deviceOpen(nullptr, "", &err));
    EXPECT_FALSE(api().gdcDatalogReaderStart(nullptr, &err));
    EXPECT_FALSE(api().gdcDatalogReaderAbort(nullptr, &err));
    EXPECT_EQ(err, pending);
    EXPECT_EQ(takeRecord(err), (ErrorRecord{FirmwareFlasher, 8, "earlier"}));
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
        std::atomic<bool> inside{false}, released{false};
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
    EXPECT_EQ(takeRecord(err), (ErrorRecord{General, 17, "Unknown attribute for context: 7"}));
}

}  // namespace
}  // namespace torvik_test
