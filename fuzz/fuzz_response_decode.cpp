// Fuzzes the decoding of every structured device reply. Input: byte 0 picks the response, byte 1
// the datalog page size and the lowest control version accepted, the rest is the payload. The
// payload is framed with a correct checksum (so parsing runs), with a wrong one (which must be
// refused quietly) and is also offered as a raw frame. Decoding may reject the input with the
// library's exceptions; a parsed reply must hold fields of the documented shape.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FuzzCheck.hpp"
#include "comm/FirmwareMessage.hpp"
#include "comm/Responses.hpp"

namespace {

using namespace devlib_instr;
using torvik_fuzz::require;

struct Shape {
    DatalogMemoryConfiguration configuration;
    uint32_t expectedVersion = 0;
};

Shape shapeOf(uint8_t shape) {
    Shape result;
    result.configuration.pageSize = shape & 0x0F ? 1u << (shape & 0x0F) >> 1 : 0;  // 0, 1, 2, 4 ... 16384
    result.expectedVersion = shape >> 6;                                           // 0..3
    return result;
}

void checkHello(const HelloResponse& hello) {
    require(hello.partNumber.size() == 7, "hello part number is not 7 characters");
    require(hello.serialNumber.size() == 9 && hello.serialNumber[4] == '-', "hello serial number is not NNNN-NNNN");
    const std::tm& t = hello.deviceTime;
    require(t.tm_hour < 24 && t.tm_min < 60 && t.tm_sec < 60, "hello time of day out of range");
    require(t.tm_mon >= 0 && t.tm_mon < 12 && t.tm_mday >= 1 && t.tm_mday <= 31, "hello date out of range");
    require(t.tm_isdst == -1, "hello time claims to know daylight saving");
}

void checkPages(const AbstractGdcDatalogReadResponse& pages) {
    const size_t pageSize = pages.configuration.pageSize;
    require(pages.pageData.size() == size_t{pages.pageCount} * pageSize, "page data is not whole pages");
    require(pages.pageHeader <= 0xFFFF, "page header wider than 16 bits");
}

void checkMemoryConfiguration(const GdcDatalogReadMemoryConfigurationResponse& reply, uint32_t expectedVersion) {
    const DatalogMemoryConfiguration& c = reply.configuration;
    require(c.controlVersion >= expectedVersion, "accepted a control version below the lowest accepted");
    require(c.pageSize <= 0xFFFF && c.value0 <= 0xFFFF && c.value4 <= 0xFFFF, "memory configuration field too wide");
}

// Address and length take 12 hex digits; the data is exactly the rest of the payload.
void checkMemory(const ReadMemoryResponse& reply) {
    require(reply.payload.size() == 12 + 2 * reply.data.size(), "memory data is not the rest of the payload");
}

constexpr auto noCheck = [](const auto&) {};

// A response to decode and the check of its fields once it parsed.
struct Subject {
    std::unique_ptr<FirmwareResponseMessage> response;
    std::function<void()> check;
};

template <class R, class Check, class... Args>
Subject subject(Check check, Args&&... args) {
    auto response = std::make_unique<R>(std::forward<Args>(args)...);
    const R& typed = *response;
    return {std::move(response), [&typed, check] { check(typed); }};
}

Subject makeSubject(uint8_t kind, const Shape& shape) {
    const uint32_t expected = shape.expectedVersion;
    switch (kind % 9) {
        case 0:
            return subject<HelloResponse>(checkHello);
        case 1:
            return subject<ReadDeviceStateResponse>(noCheck);
        case 2:
            return subject<FootprintResponse>(noCheck);
        case 3:
            return subject<ReadMemoryResponse>(checkMemory);
        case 4:
            return subject<WriteMemoryResponse>(noCheck);
        case 5:
            return subject<GdcDatalogReadMemoryConfigurationResponse>(
                [expected](const auto& reply) { checkMemoryConfiguration(reply, expected); }, expected);
        case 6:
            return subject<GdcDatalogReadFromBeginningResponse>(checkPages, shape.configuration);
        case 7:
            return subject<GdcDatalogReadNewResponse>(checkPages, shape.configuration);
        default:
            return subject<ConnectResponse>(noCheck);
    }
}

std::vector<uint8_t> frameOf(const std::string& code, const std::vector<uint8_t>& payload, uint8_t checksumOffset) {
    std::vector<uint8_t> frame(code.begin(), code.end());
    frame.insert(frame.end(), payload.begin(), payload.end());
    static constexpr char digits[] = "0123456789ABCDEF";
    const auto sum = static_cast<uint8_t>(FirmwareMessage::checksum(frame.data(), frame.size()) + checksumOffset);
    frame.push_back(static_cast<uint8_t>(digits[sum >> 4]));
    frame.push_back(static_cast<uint8_t>(digits[sum & 0x0F]));
    frame.push_back(0x0D);
    return frame;
}

// Decodes; true when the reply parsed. Rejections by exception are what the handler passes on.
bool decodes(FirmwareResponseMessage& response, std::vector<uint8_t> raw) {
    try {
        response.decode(raw);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const Shape shape = shapeOf(data[1]);
    const std::vector<uint8_t> payload(data + 2, data + size);

    Subject framed = makeSubject(data[0], shape);
    if (decodes(*framed.response, frameOf(framed.response->code, payload, 0))) {
        require(framed.response->valid, "a correctly framed reply was not accepted");
        require(framed.response->payload == std::string(payload.begin(), payload.end()),
                "the payload is not the text between code and checksum");
        framed.check();
    }

    Subject mismatched = makeSubject(data[0], shape);
    require(decodes(*mismatched.response, frameOf(mismatched.response->code, payload, 1)),
            "a checksum mismatch raised an exception");
    require(!mismatched.response->valid, "a checksum mismatch was accepted");

    Subject raw = makeSubject(data[0], shape);
    if (decodes(*raw.response, payload) && raw.response->valid) raw.check();
    return 0;
}
