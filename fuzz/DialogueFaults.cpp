#include "DialogueFaults.hpp"

#include "sim/FrameCodec.hpp"

namespace torvik_fuzz {

namespace {

enum Fault : uint8_t {
    None,
    WrongChecksum,
    NoTerminator,
    CutShort,
    LeadingGarbage,
    StandardError,
    RawReply,
    RefusedPayload,
    FaultCount
};

// The reply's code and payload, re-framed with a correct checksum after `change`.
template <class Change>
std::string reframed(const std::string& reply, Change change) {
    const size_t codeLength = reply[0] == 'h' ? 1 : 2;
    std::string payload = reply.substr(codeLength, reply.size() - codeLength - 3);
    change(payload);
    return torvik::sim::encodeFrame(std::string_view(reply).substr(0, codeLength), payload);
}

// A well-framed payload the host has to refuse: a datalog page reply in an encoding that does not
// exist, any other reply one character longer (a hello too long, hex of odd length; only an
// acknowledgement, which has no fields, takes it).
std::string refusedPayload(std::string_view request, const std::string& reply, uint8_t detail) {
    if (request.starts_with("DM") || request.starts_with("DN"))
        return reframed(reply, [&](std::string& payload) { payload[0] = "13456789"[detail % 8]; });
    return reframed(reply, [](std::string& payload) { payload += '0'; });
}

}  // namespace

std::string DialogueFaults::apply(std::string_view request, std::string reply) {
    const uint8_t choice = input_.byte();
    const uint8_t detail = choice / FaultCount;
    // Standard error replies of the model itself are passed on as they are.
    if (reply.size() < 4 || reply.starts_with("?aq")) return reply;
    switch (choice % FaultCount) {
        case WrongChecksum:
            reply[reply.size() - 2] = reply[reply.size() - 2] == '0' ? '1' : '0';
            return reply;
        case NoTerminator:
            reply.pop_back();
            return reply;
        case CutShort:
            return reply.substr(0, detail % reply.size());
        case LeadingGarbage:
            return std::string(1 + detail % 4, '~') + reply;
        case StandardError:
            return torvik::sim::standardErrorReply(detail);
        case RawReply:
            predictable_ = false;
            return input_.chunk();
        case RefusedPayload:
            return refusedPayload(request, reply, detail);
        default:
            return reply;
    }
}

}  // namespace torvik_fuzz
