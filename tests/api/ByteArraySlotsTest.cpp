// The byte-array slots (16-25) as a host uses them.
#include "support/HostApi.hpp"

namespace torvik_test {
namespace {

using Bytes = std::vector<uint8_t>;

// The array's content as the host reads it.
Bytes contentOf(InstrByteArray* array) {
    const uint8_t* data = api().byteArrayConstData(array);
    return data == nullptr ? Bytes() : Bytes(data, data + api().byteArraySize(array));
}

TEST(ByteArraySlots, GrowShrinkAndRead) {
    auto array = torvik::ByteArray::adopt(api().byteArrayCreate(100));
    EXPECT_EQ(api().byteArraySize(array.get()), 0u);  // capacity only
    const uint8_t three = 3;
    const uint8_t oneTwo[] = {1, 2};
    api().byteArrayAppend(array.get(), &three, 1);
    api().byteArrayPrepend(array.get(), oneTwo, 2);
    EXPECT_EQ(contentOf(array.get()), (Bytes{1, 2, 3}));
    api().byteArrayResize(array.get(), 5);
    EXPECT_EQ(contentOf(array.get()), (Bytes{1, 2, 3, 0, 0}));
    api().byteArrayResize(array.get(), 1);
    EXPECT_EQ(contentOf(array.get()), (Bytes{1}));
    api().byteArrayAppend(array.get(), nullptr, 3);  // nothing to read: unchanged
    api().byteArrayPrepend(array.get(), nullptr, 3);
    EXPECT_EQ(contentOf(array.get()), (Bytes{1}));
}

// The host may pass a pointer into the array itself, also when the array must grow to take it.
TEST(ByteArraySlots, AppendAndPrependFromItself) {
    const uint8_t seed[] = {7, 8};
    auto array = torvik::ByteArray::adopt(api().byteArrayCreateFromData(seed, 2));
    for (int i = 0; i < 10; ++i)  // doubles each time, across reallocations
        api().byteArrayAppend(array.get(), api().byteArrayData(array.get()), api().byteArraySize(array.get()));
    const Bytes grown = contentOf(array.get());
    ASSERT_EQ(grown.size(), 2048u);
    EXPECT_EQ(grown[2046], 7);
    EXPECT_EQ(grown[2047], 8);
    api().byteArrayResize(array.get(), 3);
    api().byteArrayPrepend(array.get(), api().byteArrayData(array.get()), 3);  // room is there already
    EXPECT_EQ(contentOf(array.get()), (Bytes{7, 8, 7, 7, 8, 7}));
}

TEST(ByteArraySlots, CreationLimitsAndEmptyArrays) {
    EXPECT_EQ(api().byteArrayCreate(0x80000000u), nullptr);
    EXPECT_EQ(api().byteArrayCreate(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(api().byteArrayCreateFromData(nullptr, 3), nullptr);
    for (InstrByteArray* created : {api().byteArrayCreateFromData(nullptr, 0), api().byteArrayCreate(0)}) {
        const auto empty = torvik::ByteArray::adopt(created);  // not null, or it throws
        EXPECT_EQ(api().byteArraySize(empty.get()), 0u);
        EXPECT_EQ(api().byteArrayData(empty.get()), nullptr);  // it never held memory
    }
}

TEST(ByteArraySlots, InvalidHandlesDoNothing) {
    uint32_t garbage[16] = {};
    const torvik::Context context;
    for (InstrByteArray* bad : {static_cast<InstrByteArray*>(nullptr), reinterpret_cast<InstrByteArray*>(garbage),
                                reinterpret_cast<InstrByteArray*>(context.get())}) {
        const uint8_t byte = 1;
        EXPECT_EQ(api().byteArrayAppend(bad, &byte, 1), 0);
        EXPECT_EQ(api().byteArrayResize(bad, 10), 0);
        EXPECT_EQ(api().byteArraySize(bad), 0u);
        EXPECT_EQ(api().byteArrayData(bad), nullptr);
    }
    EXPECT_EQ(api().deviceAddRef(nullptr), nullptr);  // the shared reference slots (see c_host.c)
    EXPECT_EQ(api().configurationRelease(nullptr), 0);
}

}  // namespace
}  // namespace torvik_test
