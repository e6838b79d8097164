// The detector model answering frames: the replies of the protocol byte for byte. Its state
// switching, datalog read-out, clearing and database seals are checked through the library by the
// host tests (a write compares every section, seal included, with the model's own sealing).
#include <gtest/gtest.h>

#include "sim/DetectorModel.hpp"

namespace torvik::sim {
namespace {

// One model answers the exchanges in order: later ones see what earlier ones changed.
struct Exchange {
    std::string frame;  // without CR
    std::string reply;  // with CR
};

TEST(DetectorModel, AnswersFramesByteForByte) {
    const Exchange exchanges[] = {
        {"HB7", "hV105B3-8327640246101370DB4DD84000065\r"},  // identity and clock
        {"_F17008100C9", "_f1A050200A1\r"},                  // the footprint query
        {"_F17008200C8", "?aq03\r"},                         // another query: malformed payload
        {"DK70", "dk03010A00030002000500000190\r"},          // memory configuration
        {"AR0D00001400040F", "ar1400000D04000000F04134\r"},  // 30.0f at 0x0D000014
        {"AR04000000010126", "?aq03\r"},                     // more than 256 bytes
        {"AW040000400002070056", "aw00C7\r"},                // refused without connect
        {"AC7B", "ac3B\r"},
        {"AW040000400002070056", "aw01C6\r"},
        {"AW15000000000100C0", "aw00C7\r"},  // no section there
        {"AD7A", "ad3A\r"},
        {"AC7C", "?aq08\r"},        // wrong checksum
        {"ZZ", "?aq08\r"},          // too short for a checksum
        {"QX56", "?aq0C\r"},        // unknown command
        {"DN60000047", "?aq11\r"},  // no section 6
        {"DLA2E", "?aq0E\r"},       // clear outside maintenance mode
    };
    DetectorModel model;
    for (const Exchange& e : exchanges) EXPECT_EQ(model.answer(e.frame).reply, e.reply) << e.frame;
    EXPECT_EQ(model.database.u16(db::kDeviceConfig + 64), 0x0007);
    EXPECT_FALSE(model.connected);
    EXPECT_EQ(model.commandCount("DL"), 0u);
}

}  // namespace
}  // namespace torvik::sim
