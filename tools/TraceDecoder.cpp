#include "TraceDecoder.hpp"

#include <utility>

#include "sim/CommandDispatcher.hpp"
#include "sim/FrameCodec.hpp"

namespace torvik::cli::trace {

namespace {

using sim::CommandDispatcher;

constexpr std::string_view standardErrorStart = "?aq";

// Walks the events once, keeping what the host last sent and what the device has sent since.
class Decoder {
public:
    std::vector<Frame> run(const Trace& trace) {
        for (const Event& event : trace.events) take(event);
        endExchange(lastTimeUs_, lastLine_);
        return std::move(frames_);
    }

private:
    void take(const Event& event) {
        lastTimeUs_ = event.timeUs;
        lastLine_ = event.line;
        switch (event.kind) {
            case EventKind::Open:
                baud_ = event.baud;
                emit({.kind = FrameKind::Open, .bytes = {}, .port = event.port}, event);
                break;
            case EventKind::Close:
                endExchange(event.timeUs, event.line);
                emit({.kind = FrameKind::Close}, event);
                break;
            case EventKind::Rate:
                baud_ = event.baud;
                emit({.kind = FrameKind::Rate}, event);
                break;
            case EventKind::Write:
                endExchange(event.timeUs, event.line);
                request(event);
                break;
            case EventKind::Read:
                received(event);
                break;
            case EventKind::Error:
                emit({.kind = FrameKind::LinkError, .description = event.call, .errorCode = event.code}, event);
                break;
        }
    }

    void emit(Frame frame, const Event& event) {
        frame.timeUs = event.timeUs;
        frame.line = event.line;
        frame.baud = baud_;
        frames_.push_back(std::move(frame));
    }

    // A frame with its code, payload and checksum, named by the command table.
    static void describe(Frame& frame, const CommandDispatcher::Command* command, bool reply) {
        std::string_view body = std::string_view(frame.bytes).substr(0, frame.bytes.size() - 1);
        if (command != nullptr) {
            frame.code = reply ? command->replyCode : command->code;
            frame.description = command->description;
        }
        frame.checksumValid = sim::checkedBody(body).has_value();
        size_t end = body.size() >= frame.code.size() + 2 ? body.size() - 2 : frame.code.size();
        frame.payload = std::string(body.substr(frame.code.size(), end - frame.code.size()));
    }

    void request(const Event& event) {
        attempt_ = event.data == request_ && !answered_ ? attempt_ + 1 : 1;
        request_ = event.data;
        requestTimeUs_ = event.timeUs;
        answered_ = false;
        heard_ = false;
        Frame frame{.kind = FrameKind::Request, .bytes = event.data, .attempt = attempt_};
        describe(frame, CommandDispatcher::find(event.data), false);
        emit(std::move(frame), event);
    }

    void received(const Event& event) {
        pending_ += event.data;
        for (size_t end; (end = pending_.find(sim::kFrameEnd)) != std::string::npos;) {
            std::string piece = pending_.substr(0, end + 1);
            pending_.erase(0, end + 1);
            classify(piece, event);
        }
    }

    void classify(const std::string& piece, const Event& event) {
        if (piece == request_) {
            emit({.kind = FrameKind::Echo, .bytes = piece}, event);
            return;
        }
        heard_ = true;
        if (piece.starts_with(standardErrorStart)) {
            standardError(piece, event);
            return;
        }
        // A reply to the request, perhaps behind bytes that belong to no frame.
        const auto* command = CommandDispatcher::find(request_);
        std::string expected = command != nullptr ? std::string(command->replyCode) : std::string();
        size_t start = CommandDispatcher::findReply(piece) != nullptr ? 0 : std::string::npos;
        if (start != 0 && !expected.empty()) start = piece.find(expected);
        if (start == std::string::npos) {
            emit({.kind = FrameKind::Garbage, .bytes = piece}, event);
            return;
        }
        if (start > 0) emit({.kind = FrameKind::Garbage, .bytes = piece.substr(0, start)}, event);
        Frame frame{.kind = FrameKind::Reply, .bytes = piece.substr(start)};
        describe(frame, CommandDispatcher::findReply(frame.bytes), true);
        // Behind garbage a reply does not start where the host looks for it: it is not taken.
        answered_ = answered_ || (start == 0 && frame.checksumValid.value_or(false));
        emit(std::move(frame), event);
    }

    void standardError(const std::string& piece, const Event& event) {
        Frame frame{.kind = FrameKind::StandardError, .bytes = piece};
        auto code = sim::fromHex(std::string_view(piece).substr(standardErrorStart.size(), 2));
        if (code && piece.size() > standardErrorStart.size() + 2) {
            frame.errorCode = code->front();
            frame.description = sim::standardErrorText(code->front());
        } else {
            frame.description = "no error code (two hexadecimal digits) follows \"?aq\"";
        }
        emit(std::move(frame), event);
    }

    // Before the host's next step: what is left of the device's bytes, or that it sent none.
    void endExchange(int64_t timeUs, size_t line) {
        if (request_.empty()) return;
        Event at{.timeUs = timeUs, .line = line};
        if (!pending_.empty()) {
            emit({.kind = FrameKind::Incomplete, .bytes = std::exchange(pending_, {})}, at);
            heard_ = true;
        }
        if (!heard_) {
            Frame silence{.kind = FrameKind::Silence};
            silence.silentUs = timeUs - requestTimeUs_;
            emit(std::move(silence), at);
        }
        heard_ = true;  // reported once per request
    }

    std::vector<Frame> frames_;
    uint32_t baud_ = 0;
    std::string request_;
    int64_t requestTimeUs_ = 0;
    int64_t lastTimeUs_ = 0;
    size_t lastLine_ = 0;
    uint32_t attempt_ = 0;
    bool answered_ = false;  // a valid reply came for the request
    bool heard_ = true;      // the device sent more than the echo since the request
    std::string pending_;    // device bytes not yet ended by a CR
};

}  // namespace

std::vector<Frame> decodeFrames(const Trace& trace) {
    return Decoder().run(trace);
}

const char* frameKindName(FrameKind kind) {
    switch (kind) {
        case FrameKind::Open:
            return "open";
        case FrameKind::Close:
            return "close";
        case FrameKind::Rate:
            return "rate";
        case FrameKind::Request:
            return "request";
        case FrameKind::Reply:
            return "reply";
        case FrameKind::Echo:
            return "echo";
        case FrameKind::StandardError:
            return "standard error";
        case FrameKind::Garbage:
            return "garbage";
        case FrameKind::Incomplete:
            return "incomplete";
        case FrameKind::Silence:
            return "silence";
        case FrameKind::LinkError:
            return "link error";
    }
    return "";
}

}  // namespace torvik::cli::trace
