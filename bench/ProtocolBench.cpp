// CPU cost of the protocol layer: building request frames and checking and parsing replies.
#include <cstdint>
#include <string>
#include <vector>

#include "BenchClock.hpp"
#include "comm/GdcDatalogReadResponse.hpp"
#include "comm/PayloadCodec.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "core/ByteDecoding.hpp"

using namespace devlib_instr;

namespace {

// A complete reply frame (code + payload + checksum + CR) as the device would send it.
std::vector<uint8_t> replyFrame(const std::string& code, const std::string& payload) {
    std::string text = code + payload;
    uint8_t sum = FirmwareMessage::checksum(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    static constexpr char digits[] = "0123456789ABCDEF";
    text += digits[sum >> 4];
    text += digits[sum & 0x0F];
    text += '\r';
    return {text.begin(), text.end()};
}

std::string hexOf(const std::vector<uint8_t>& bytes) {
    std::string text;
    hexEncode(bytes.data(), bytes.size(), text);
    return text;
}

}  // namespace

int main() {
    constexpr long runs = 20000;
    std::vector<uint8_t> block(256);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i);

    bench::row("encode ReadMemoryRequest",
               bench::nanosecondsPerRun(runs, [] { ReadMemoryRequest request(0x05000000, 256); }), "ns");
    bench::row("encode WriteMemoryRequest (256 bytes)",
               bench::nanosecondsPerRun(runs, [&] { WriteMemoryRequest request(0x04000000, block.data(), 256); }),
               "ns");

    std::vector<uint8_t> header{0x00, 0x00, 0x00, 0x05, 0x00, 0x01};
    header.insert(header.end(), block.begin(), block.end());
    const std::vector<uint8_t> readReply = replyFrame("ar", hexOf(header));
    const auto decodeRead = [&] {
        std::vector<uint8_t> raw = readReply;
        ReadMemoryResponse response;
        response.decode(raw);
    };
    bench::row("decode ReadMemoryResponse (256 bytes)", bench::nanosecondsPerRun(runs, decodeRead), "ns");

    DatalogMemoryConfiguration configuration{};
    configuration.pageSize = 256;
    configuration.controlVersion = 3;
    std::vector<uint8_t> pages{0x04, 0x00};
    for (int page = 0; page < 4; ++page) pages.insert(pages.end(), block.begin(), block.end());
    // Appended, not literal + string: GCC 12 at -O3 reports a false -Wrestrict for that.
    const std::vector<uint8_t> pageReply = replyFrame("dn", std::string("0").append(hexOf(pages)));
    double pageNs = bench::nanosecondsPerRun(runs / 4, [&] {
        std::vector<uint8_t> raw = pageReply;
        GdcDatalogReadNewResponse response(configuration);
        response.decode(raw);
    });
    bench::row("decode datalog reply (4 pages, hex)", pageNs, "ns");
    bench::row("  datalog page data decoded", 1024.0 / pageNs * 1e3, "MB/s");

    std::vector<uint8_t> encoded(1 << 20, 0x41);
    static constexpr uint8_t values[] = {0x00, 0x0D};
    double substitutionNs = bench::nanosecondsPerRun(20, [&] {
        std::vector<uint8_t> work = encoded;
        decodeSubstitutedBlocks(work.data(), work.size(), 253, values, 2);
    });
    bench::row("substitution decoding", static_cast<double>(encoded.size()) / substitutionNs * 1e3, "MB/s");
    bench::row("peak memory", static_cast<double>(bench::peakRssKiB()), "KiB");
    return 0;
}
