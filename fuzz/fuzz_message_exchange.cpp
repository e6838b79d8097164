// Fuzzes one request/response exchange of the message handler: the frame decoder and the receive
// loop (echo skipping, standard error replies, retries) on a scripted in-memory link. Input:
// byte 0 picks the request, byte 1 the number of attempts, the datalog page size and the line's
// rate before the exchange, then one
// reply chunk per write: a control byte (echo, failing write, bytes per read, how the line behaves
// once the chunk is read up) and the escaped bytes the line returns. The exchange must end in a
// valid reply or one of the handler's exceptions, and what it reports must match what the line
// carried.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <utility>

#include "FuzzCheck.hpp"
#include "FuzzInput.hpp"
#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "core/Context.hpp"
#include "support/MemoryLink.hpp"
#include "support/SkippingClock.hpp"

namespace {

using namespace devlib_instr;
using namespace torvik_fuzz;
using Handler = FirmwareMessageHandler;
using torvik_test::MemoryLink;

struct Exchange {
    std::unique_ptr<FirmwareCmdMessage> request;
    std::unique_ptr<FirmwareResponseMessage> response;
};

template <class Request, class Response, class... Args>
Exchange exchangeOf(Request request, Args&&... responseArgs) {
    return {std::make_unique<Request>(std::move(request)),
            std::make_unique<Response>(std::forward<Args>(responseArgs)...)};
}

Exchange makeExchange(uint8_t kind, const DatalogMemoryConfiguration& pages) {
    static const uint8_t data[] = {0x01, 0x02, 0x0D, 0x00};
    switch (kind % 15) {
        case 0:
            return exchangeOf<HelloMessage, HelloResponse>({});
        case 1:
            return exchangeOf<ConnectMessage, ConnectResponse>({});
        case 2:
            return exchangeOf<DisconnectMessage, DisconnectResponse>({});
        case 3:
            return exchangeOf<FootprintRequest, FootprintResponse>({});
        case 4:
            return exchangeOf<ReadDeviceStateRequest, ReadDeviceStateResponse>({});
        case 5:
            return exchangeOf<SwitchOnRequest, SwitchOnResponse>({});
        case 6:
            return exchangeOf<SwitchOffRequest, SwitchOffResponse>({});
        case 7:
            return exchangeOf<SetMaintenanceModeRequest, SetMaintenanceModeResponse>({true, 30});
        case 8:
            return exchangeOf<ReadMemoryRequest, ReadMemoryResponse>({0x04000000, 256});
        case 9:
            return exchangeOf<WriteMemoryRequest, WriteMemoryResponse>({0x04000000, data, sizeof data});
        case 10:
            return exchangeOf<GdcDatalogReadMemoryConfigurationRequest, GdcDatalogReadMemoryConfigurationResponse>({},
                                                                                                                   3u);
        case 11:
            return exchangeOf<GdcDatalogReadFromBeginningRequest, GdcDatalogReadFromBeginningResponse>({pages, 3, 0},
                                                                                                       pages);
        case 12:
            return exchangeOf<GdcDatalogReadNewRequest, GdcDatalogReadNewResponse>({pages, 0, 1}, pages);
        case 13:
            return exchangeOf<GdcDatalogMoveReadPositionRequest, GdcDatalogMoveReadPositionResponse>(
                GdcDatalogMoveReadPositionRequest(4));
        default:
            return exchangeOf<GdcDatalogClearRequest, GdcDatalogClearResponse>({});
    }
}

std::deque<MemoryLink::Reply> scriptOf(FuzzInput& input) {
    std::deque<MemoryLink::Reply> script;
    while (!input.empty()) {
        const uint8_t control = input.byte();
        script.push_back({.bytes = input.chunk(),
                          .echo = (control & 1) != 0,
                          .writeFails = (control & 2) != 0,
                          .readLimit = static_cast<uint32_t>(control >> 2 & 3),
                          .failsWhenReadUp = (control & 16) == 0});
    }
    return script;
}

void ignoreLog(int32_t, const InstrWChar*, void*) {}

void checkReply(const FirmwareResponseMessage& response, const MemoryLink& link) {
    require(response.valid, "the exchange returned without a valid reply");
    std::string frame(response.frame.begin(), response.frame.end());
    require(frame.compare(0, response.code.size(), response.code) == 0, "the reply frame lacks its code");
    require(link.served.find(frame + '\r') != std::string::npos, "the accepted frame never came down the line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t kind = input.byte();
    const uint8_t shape = input.byte();
    const uint32_t attempts = 1 + (shape & 3);
    DatalogMemoryConfiguration pages;
    pages.pageSize = 1u << (shape >> 2 & 7);  // 1 ... 128
    const uint32_t startRate =
        shape & 0x20 ? devlib_instr::line::restingBaudRate : devlib_instr::line::exchangeBaudRate;
    Exchange exchange = makeExchange(kind, pages);
    torvik_test::SkippingClock clock;
    MemoryLink link(clock, startRate);
    link.script = scriptOf(input);
    link.goneWhenSpent = true;

    Context context;
    context.setLogCallback(ignoreLog, nullptr);
    context.setClock(clock);
    const uint32_t timeoutMs = context.exchangePolicy().replyTimeoutMs;
    try {
        Handler::sendRequest(context, link, *exchange.request, *exchange.response, timeoutMs, attempts, 0);
        checkReply(*exchange.response, link);
        require(link.baudRate == startRate, "a successful exchange did not restore the line's rate");
    } catch (const Handler::CommunicationFailedException&) {
        require(!exchange.response->valid, "gave up although a reply was accepted");
    } catch (const Handler::StandardErrorResponseException& e) {
        require(e.errorCode <= 0xFF, "standard error code wider than a byte");
        require(link.served.find("?aq") != std::string::npos, "standard error without \"?aq\" on the line");
    } catch (const Handler::UnexpectedResponseException& e) {
        require(std::string(e.response.begin(), e.response.end()).starts_with("?aq"),
                "unexpected reply that does not start with \"?aq\"");
    } catch (const std::exception&) {
        // Only a frame that passed its checks reaches the payload parser, whose errors these are.
        require(exchange.response->valid, "a parse error from a frame that was not accepted");
    }
    require(exchange.response->valid || link.baudRate == devlib_instr::line::exchangeBaudRate,
            "a failed exchange did not leave the line at the exchange rate");
    require(link.written.size() <= attempts, "more writes than attempts");
    for (const std::string& frame : link.written)
        require(frame == std::string(exchange.request->frame.begin(), exchange.request->frame.end()),
                "wrote something other than the request");
    return 0;
}
