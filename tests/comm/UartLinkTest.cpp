// The byte-stream rules every serial link shares.
#include <gtest/gtest.h>

#include "support/MemoryLink.hpp"
#include "support/SkippingClock.hpp"
#include "support/Thrown.hpp"

namespace devlib_instr {
namespace {

using torvik_test::MemoryLink;

// Accepts only the first 3 bytes of every write.
class ShortWriter : public MemoryLink {
public:
    using MemoryLink::MemoryLink;

protected:
    uint32_t writeBytes(const uint8_t* data, uint32_t size) override {
        return MemoryLink::writeBytes(data, std::min<uint32_t>(size, 3));
    }
};

uint16_t codeOf(const std::function<void()>& fn) {
    return torvik_test::thrown<CommInterface::CommError>(fn).value().code;
}

TEST(CommInterface, ErrorCodesAndDiscard) {
    torvik_test::SkippingClock clock;
    MemoryLink link{clock};
    uint8_t buffer[8] = {};
    EXPECT_EQ(codeOf([&] { link.read(nullptr, 1, 1); }), 5);
    EXPECT_EQ(codeOf([&] { link.write(nullptr, 1); }), 5);
    ShortWriter shortWriter{clock};
    EXPECT_EQ(codeOf([&] { shortWriter.write(buffer, 5); }), 4);
    link.pending.assign(250, 'x');
    EXPECT_EQ(link.discardInput(0), 100u);  // at most 100 bytes at a time
    link.close();
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(codeOf([&] { link.read(buffer, 1, 1); }), 1);
    EXPECT_EQ(codeOf([&] { link.write(buffer, 1); }), 1);
    EXPECT_EQ(codeOf([&] { link.discardInput(0); }), 1);
}

}  // namespace
}  // namespace devlib_instr
