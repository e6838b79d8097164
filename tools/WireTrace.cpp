#include "WireTrace.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>

namespace torvik::cli::trace {

namespace {

using nlohmann::json;

const std::map<EventKind, std::string> eventNames{{EventKind::Open, "open"}, {EventKind::Close, "close"},
                                                  {EventKind::Rate, "rate"}, {EventKind::Write, "write"},
                                                  {EventKind::Read, "read"}, {EventKind::Error, "error"}};

// The inverse of bytesAsText; none when the text holds a character above U+00FF.
std::optional<std::string> textAsBytes(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<uint8_t>(text[i]);
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        if ((c & 0xFE) != 0xC2 || i + 1 == text.size()) return std::nullopt;  // only U+0080..U+00FF
        bytes.push_back(static_cast<char>((c & 0x03) << 6 | (static_cast<uint8_t>(text[++i]) & 0x3F)));
    }
    return bytes;
}

// From the system clock's calendar (no C library time function differs by platform).
std::string utcNow() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(now - day);
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text.data();
}

json toJson(const Event& event) {
    json line{{"t", event.timeUs}, {"event", eventNames.at(event.kind)}};
    switch (event.kind) {
        case EventKind::Open:
            line["port"] = event.port;
            line["baud"] = event.baud;
            break;
        case EventKind::Rate:
            line["baud"] = event.baud;
            break;
        case EventKind::Write:
            line["data"] = bytesAsText(event.data);
            break;
        case EventKind::Read:
            line["asked"] = event.asked;
            line["timeout_ms"] = event.timeoutMs;
            line["data"] = bytesAsText(event.data);
            line["reads"] = event.reads;
            break;
        case EventKind::Error:
            line["call"] = event.call;
            line["code"] = event.code;
            break;
        case EventKind::Close:
            break;
    }
    return line;
}

// Reads the members of one event line; a TraceError naming the line for anything missing.
class LineReader {
public:
    LineReader(const std::string& path, size_t line, const json& value) : path_(path), line_(line), value_(value) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw TraceError(path_ + ":" + std::to_string(line_) + ": " + what);
    }

    uint64_t number(const char* name) const {
        const json* member = find(name);
        if (member == nullptr || !member->is_number_unsigned()) fail(need(name, "a number from 0 up"));
        return member->get<uint64_t>();
    }
    std::string text(const char* name) const {
        const json* member = find(name);
        if (member == nullptr || !member->is_string()) fail(need(name, "a string"));
        return member->get<std::string>();
    }
    std::string bytes(const char* name) const {
        auto data = textAsBytes(text(name));
        if (!data) fail(std::string("\"") + name + "\" holds a character above U+00FF (one character per byte)");
        return *data;
    }

private:
    const json* find(const char* name) const {
        auto it = value_.find(name);
        return it == value_.end() ? nullptr : &*it;
    }
    std::string need(const char* name, const char* type) const {
        std::string event = value_.value("event", std::string("the header"));
        return "\"" + event + "\" needs \"" + name + "\", " + type;
    }

    const std::string& path_;
    size_t line_;
    const json& value_;
};

uint32_t small(const LineReader& reader, const char* name) {
    uint64_t value = reader.number(name);
    if (value > UINT32_MAX) reader.fail(std::string("\"") + name + "\" is too large");
    return static_cast<uint32_t>(value);
}

Event readEvent(const LineReader& reader) {
    Event event;
    std::string name = reader.text("event");
    auto kind = std::find_if(eventNames.begin(), eventNames.end(), [&](const auto& e) { return e.second == name; });
    if (kind == eventNames.end()) reader.fail("unknown event \"" + name + "\"");
    event.kind = kind->first;
    event.timeUs = static_cast<int64_t>(reader.number("t"));
    switch (event.kind) {
        case EventKind::Open:
            event.port = reader.text("port");
            event.baud = small(reader, "baud");
            break;
        case EventKind::Rate:
            event.baud = small(reader, "baud");
            break;
        case EventKind::Write:
            event.data = reader.bytes("data");
            break;
        case EventKind::Read:
            event.asked = small(reader, "asked");
            event.timeoutMs = small(reader, "timeout_ms");
            event.data = reader.bytes("data");
            event.reads = small(reader, "reads");
            if (event.data.size() > event.asked) reader.fail("a \"read\" holds more bytes than it \"asked\" for");
            break;
        case EventKind::Error:
            event.call = reader.text("call");
            event.code = small(reader, "code");
            break;
        case EventKind::Close:
            break;
    }
    return event;
}

void readHeader(Trace& trace, const LineReader& reader, const json& header) {
    if (!header.contains("format") || header["format"] != formatName) {
        reader.fail(std::string("not a torvik wire trace (its first line names no \"format\": \"") + formatName +
                    "\")");
    }
    uint64_t version = reader.number("version");
    if (version != formatVersion) {
        reader.fail("trace format version " + std::to_string(version) + " is not known (this torvik reads version " +
                    std::to_string(formatVersion) + ")");
    }
    trace.recorder = header.value("recorder", std::string());
    trace.recorded = header.value("recorded", std::string());
}

}  // namespace

Trace readTrace(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw TraceError(path + ": cannot be read: " + std::strerror(errno));
    Trace trace;
    std::string text;
    size_t line = 0;
    while (std::getline(in, text)) {
        ++line;
        const bool cutShort = in.eof();  // the last line ends without a line feed
        json value = json::parse(text, nullptr, false);
        LineReader reader(path, line, value);
        if (value.is_discarded() && cutShort) reader.fail("the line is cut short: the trace is truncated");
        if (value.is_discarded()) reader.fail("not JSON");
        if (!value.is_object()) reader.fail("not a JSON object");
        if (line == 1) {
            readHeader(trace, reader, value);
            continue;
        }
        trace.events.push_back(readEvent(reader));
        trace.events.back().line = line;
    }
    if (line == 0) throw TraceError(path + ":1: the trace is empty (it has no header line)");
    return trace;
}

TraceWriter::TraceWriter(const std::string& path, const std::string& recorder)
    : file_(std::fopen(path.c_str(), "wb")), start_(std::chrono::steady_clock::now()) {
    if (file_ == nullptr) throw TraceError("cannot create the trace " + path + ": " + std::strerror(errno));
    pendingRead_.reads = 0;
    json header{{"format", formatName}, {"version", formatVersion}, {"recorder", recorder}, {"recorded", utcNow()}};
    std::fprintf(file_, "%s\n", header.dump(-1, ' ', true).c_str());
    std::fflush(file_);
}

TraceWriter::~TraceWriter() {
    std::lock_guard lock(mutex_);
    flushRead();
    std::fclose(file_);
}

int64_t TraceWriter::now() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count();
}

void TraceWriter::put(const Event& event) {
    flushRead();
    std::fprintf(file_, "%s\n", toJson(event).dump(-1, ' ', true).c_str());
    std::fflush(file_);  // each host frame and link change is on disk when the next call starts
}

void TraceWriter::flushRead() {
    if (pendingRead_.reads == 0) return;
    std::fprintf(file_, "%s\n", toJson(pendingRead_).dump(-1, ' ', true).c_str());
    pendingRead_.reads = 0;
}

void TraceWriter::open(const std::string& port, uint32_t baud) {
    std::lock_guard lock(mutex_);
    put({.kind = EventKind::Open, .timeUs = now(), .port = port, .baud = baud});
}

void TraceWriter::close() {
    std::lock_guard lock(mutex_);
    put({.kind = EventKind::Close, .timeUs = now()});
}

void TraceWriter::rate(uint32_t baud) {
    std::lock_guard lock(mutex_);
    put({.kind = EventKind::Rate, .timeUs = now(), .baud = baud});
}

void TraceWriter::write(const uint8_t* data, uint32_t size) {
    std::lock_guard lock(mutex_);
    put({.kind = EventKind::Write, .timeUs = now(), .data = std::string(reinterpret_cast<const char*>(data), size)});
}

void TraceWriter::read(uint32_t asked, uint32_t timeoutMs, const uint8_t* data, uint32_t got) {
    std::lock_guard lock(mutex_);
    if (pendingRead_.reads != 0 && pendingRead_.timeoutMs != timeoutMs) flushRead();
    if (pendingRead_.reads == 0) {
        pendingRead_ = {.kind = EventKind::Read, .timeUs = now(), .timeoutMs = timeoutMs, .reads = 0};
    }
    pendingRead_.asked += asked;
    pendingRead_.data.append(reinterpret_cast<const char*>(data), got);
    ++pendingRead_.reads;
    if (got < asked) flushRead();  // a time-out ends the run
}

void TraceWriter::error(const char* call, uint32_t code) {
    std::lock_guard lock(mutex_);
    put({.kind = EventKind::Error, .timeUs = now(), .call = call, .code = code});
}

std::string bytesAsText(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        auto b = static_cast<uint8_t>(c);
        if (b < 0x80) {
            text.push_back(c);
            continue;
        }
        text.push_back(static_cast<char>(0xC0 | b >> 6));
        text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
    return text;
}

std::string escapeBytes(const std::string& data) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(data.size());
    for (char c : data) {
        auto b = static_cast<uint8_t>(c);
        if (b == '\r') {
            text += "\\r";
        } else if (b == '\\') {
            text += "\\\\";
        } else if (b >= 0x20 && b < 0x7F) {
            text.push_back(c);
        } else {
            text += "\\x";
            text.push_back(digits[b >> 4]);
            text.push_back(digits[b & 0x0F]);
        }
    }
    return text;
}

}  // namespace torvik::cli::trace
