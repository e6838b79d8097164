// torvik trace show FILE: a wire trace as frames, one a line, for a person (or, with --json, one
// JSON object a line for a script).
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "Commands.hpp"
#include "TraceDecoder.hpp"

namespace torvik::cli {

namespace {

using trace::Frame;
using trace::FrameKind;

constexpr size_t shownPayload = 64;  // characters of a long payload shown in the text form

struct TraceShowOptions {
    std::string path;
    bool json = false;
};

std::string shortened(const std::string& bytes) {
    std::string text = trace::escapeBytes(bytes);
    if (text.size() <= shownPayload) return text;
    return text.substr(0, shownPayload) + "... (" + std::to_string(bytes.size()) + " bytes)";
}

std::string checksumText(const Frame& frame) {
    return frame.checksumValid.value_or(false) ? "checksum ok" : "checksum BAD";
}

std::string commandText(const Frame& frame) {
    std::string code = frame.code.empty() ? "??" : frame.code;
    std::string text = code + " " + (frame.description.empty() ? "unknown command" : frame.description);
    if (!frame.payload.empty()) text += "  payload " + shortened(frame.payload);
    return text + "  " + checksumText(frame);
}

// What one frame line says after its time, rate and direction.
std::string summary(const Frame& frame) {
    switch (frame.kind) {
        case FrameKind::Open:
            return "open " + frame.port;
        case FrameKind::Close:
            return "close";
        case FrameKind::Rate:
            return "rate " + std::to_string(frame.baud);
        case FrameKind::Request:
            return commandText(frame) +
                   (frame.attempt > 1 ? "  (retry, attempt " + std::to_string(frame.attempt) + ")" : "");
        case FrameKind::Reply:
            return "reply " + commandText(frame);
        case FrameKind::Echo:
            return "echo of the request";
        case FrameKind::StandardError:
            return "standard error " + std::to_string(frame.errorCode) + ": " + frame.description;
        case FrameKind::Garbage:
            return "garbage " + shortened(frame.bytes);
        case FrameKind::Incomplete:
            return "incomplete frame (no CR) " + shortened(frame.bytes);
        case FrameKind::Silence:
            return "silence: no reply for " + std::to_string(frame.silentUs / 1000) + " ms";
        case FrameKind::LinkError:
            return "the link's " + frame.description + " failed (CommError code " + std::to_string(frame.errorCode) +
                   ")";
    }
    return {};
}

const char* direction(FrameKind kind) {
    switch (kind) {
        case FrameKind::Request:
            return "host";
        case FrameKind::Open:
        case FrameKind::Close:
        case FrameKind::Rate:
        case FrameKind::LinkError:
            return "link";
        default:
            return "device";
    }
}

nlohmann::ordered_json asJson(const Frame& frame) {
    nlohmann::ordered_json line{{"t_ms", static_cast<double>(frame.timeUs) / 1000.0},
                                {"line", frame.line},
                                {"baud", frame.baud},
                                {"direction", direction(frame.kind)},
                                {"kind", trace::frameKindName(frame.kind)}};
    if (!frame.bytes.empty()) line["bytes"] = trace::bytesAsText(frame.bytes);
    if (!frame.code.empty()) line["code"] = frame.code;
    if (!frame.description.empty()) line["description"] = frame.description;
    if (frame.checksumValid) line["payload"] = trace::bytesAsText(frame.payload);
    if (frame.checksumValid) line["checksum_ok"] = *frame.checksumValid;
    if (frame.kind == FrameKind::Request) line["attempt"] = frame.attempt;
    if (frame.kind == FrameKind::Silence) line["silent_ms"] = static_cast<double>(frame.silentUs) / 1000.0;
    if (frame.kind == FrameKind::StandardError || frame.kind == FrameKind::LinkError) line["error"] = frame.errorCode;
    if (frame.kind == FrameKind::Open) line["port"] = frame.port;
    return line;
}

int runTraceShow(const TraceShowOptions& options) {
    trace::Trace recorded = trace::readTrace(options.path);
    std::vector<Frame> frames = trace::decodeFrames(recorded);
    if (!options.json) std::printf("# %s, recorded %s\n", recorded.recorder.c_str(), recorded.recorded.c_str());
    for (const Frame& frame : frames) {
        if (options.json) {
            std::printf("%s\n", asJson(frame).dump(-1, ' ', true).c_str());
            continue;
        }
        std::printf("%12.3f ms  %6u  %-6s  %s\n", static_cast<double>(frame.timeUs) / 1000.0, frame.baud,
                    direction(frame.kind), summary(frame).c_str());
    }
    return 0;
}

}  // namespace

void addTraceCommand(CLI::App& app, Handler& selected) {
    CLI::App* traceCommand =
        app.add_subcommand("trace", "read a wire trace (made with --record)")->require_subcommand(1);
    auto [command, options] = addCommand(*traceCommand, "show", "print a wire trace as frames", selected, runTraceShow);
    command->footer(
        "One line per frame: the time since the trace began, the line rate, who sent it (host, device,\n"
        "or link for the port's own events) and what it is: a request or reply with its command,\n"
        "payload and checksum, the line's echo, a standard error with its text, garbage, an incomplete\n"
        "frame, a silence, a retry of the same request.");
    command->add_option("FILE", options->path, "the trace")->required();
    command->add_flag("--json", options->json, "one JSON object per frame and line, for scripts");
}

}  // namespace torvik::cli
