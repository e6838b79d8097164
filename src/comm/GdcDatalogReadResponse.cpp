#include "comm/GdcDatalogReadResponse.hpp"

#include <stdexcept>
#include <utility>

#include "comm/PayloadCodec.hpp"
#include "comm/ReplyErrors.hpp"
#include "core/ByteDecoding.hpp"
#include "core/LittleEndian.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {

constexpr char hexEncoding = '0';
constexpr char substitutionEncoding = '2';
constexpr size_t headerDigits = 4;
constexpr size_t substitutionBlockSize = 253;
constexpr uint8_t substitutedValues[] = {0x00, 0x0D};

// Step 1 of parsing: the payload text to bytes.
std::vector<uint8_t> decodePages(const std::string& payload) {
    if (payload.empty()) throw replyOutOfRange(msg::unknownPayloadEncoding);
    std::string_view text(payload);
    std::vector<uint8_t> bytes;
    if (text[0] == hexEncoding) {
        hexDecode(text.substr(1), bytes);
        return bytes;
    }
    if (text[0] != substitutionEncoding) throw replyOutOfRange(msg::unknownPayloadEncoding);
    // The whole raw part is decoded, however long the payload: pages that were sent must never be
    // dropped, or the reader would mark data as read that it never stored.
    hexDecode(text.substr(1, headerDigits), bytes);
    if (text.size() > 1 + headerDigits) {
        std::vector<uint8_t> raw(text.begin() + 1 + headerDigits, text.end());
        raw.resize(decodeSubstitution(raw.data(), raw.size()));
        bytes.insert(bytes.end(), raw.begin(), raw.end());
    }
    return bytes;
}

}  // namespace

size_t decodeSubstitution(uint8_t* data, size_t length) {
    return decodeSubstitutedBlocks(data, length, substitutionBlockSize, substitutedValues, 2);
}

AbstractGdcDatalogReadResponse::AbstractGdcDatalogReadResponse(std::u16string description, std::string code,
                                                               uint32_t expectedLength,
                                                               const DatalogMemoryConfiguration& configuration)
    : FirmwareResponseMessage(std::move(description), std::move(code), expectedLength), configuration(configuration) {}

void AbstractGdcDatalogReadResponse::parsePayload() {
    std::vector<uint8_t> bytes;
    try {
        bytes = decodePages(payload);
    } catch (const std::runtime_error& e) {
        throw replyOutOfRange(widen(e.what()));
    }
    // With a page size of 0 only a reply without pages is whole.
    size_t n = bytes.size();
    size_t pageSize = configuration.pageSize;
    bool whole = n >= 2 && (pageSize == 0 ? n == 2 : (n - 2) % pageSize == 0);
    if (!whole) throw replyOutOfRange(msg::unexpectedHeaderSize);
    pageCount = pageSize == 0 ? 0 : static_cast<uint32_t>((n - 2) / pageSize);
    pageHeader = readLittleEndian(bytes.data(), 2);
    pageData.assign(bytes.begin() + 2, bytes.end());
}

}  // namespace devlib_instr
