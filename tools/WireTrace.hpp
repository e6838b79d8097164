// The wire trace: what a serial link did, one JSON object per line, so that a person can read it
// and a script can parse it. The first line is the header, {"format":"torvik-wire-trace",
// "version":1,"recorder":...,"recorded":...}; every further line is one event of the link with
// "t", the microseconds since the trace began (a monotonic clock) at which the call returned, and
// "event":
//   "open"   the link opened: "port", "baud"
//   "close"  the link closed
//   "rate"   the line rate changed: "baud"
//   "write"  bytes the host sent: "data"
//   "read"   bytes the host received: "asked" (bytes asked for), "timeout_ms", "data", "reads"
//            (consecutive reads with the same time-out merged into one event; "data" shorter than
//            "asked" means the last of them timed out)
//   "error"  a call of the link failed: "call" ("open", "write", "read", "rate"), "code" (the
//            CommError code)
// "data" holds the bytes as a JSON string of one character per byte (U+0000 to U+00FF), so a
// frame reads as itself: "AC7B\r". Lines are ASCII: other characters are written as \u escapes.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace torvik::cli::trace {

inline constexpr char formatName[] = "torvik-wire-trace";
inline constexpr int formatVersion = 1;

enum class EventKind { Open, Close, Rate, Write, Read, Error };

struct Event {
    EventKind kind = EventKind::Open;
    int64_t timeUs = 0;
    std::string port{};      // open
    uint32_t baud = 0;       // open, rate
    std::string data{};      // write, read: the bytes
    uint32_t asked = 0;      // read
    uint32_t timeoutMs = 0;  // read
    uint32_t reads = 1;      // read
    std::string call{};      // error
    uint32_t code = 0;       // error
    size_t line = 0;         // the line of the trace file it came from

    bool timedOut() const { return kind == EventKind::Read && data.size() < asked; }
};

struct Trace {
    std::string recorder{};  // what wrote it, e.g. "torvik 2.9.0"
    std::string recorded{};  // when, UTC, ISO 8601
    std::vector<Event> events;
};

// A trace file that cannot be used; what() names the file and, where it applies, the line.
class TraceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a whole trace file; TraceError for a file that cannot be read, a first line that is not
// a header of a known version, a line that is not JSON (a cut-short last line: the trace is
// truncated) or an event that lacks a member.
Trace readTrace(const std::string& path);

// Writes a trace as the link's calls happen. Events may come from any thread, one at a time.
class TraceWriter {
public:
    // Creates (or replaces) the file and writes the header; TraceError when it cannot.
    TraceWriter(const std::string& path, const std::string& recorder);
    ~TraceWriter();
    TraceWriter(const TraceWriter&) = delete;
    TraceWriter& operator=(const TraceWriter&) = delete;

    void open(const std::string& port, uint32_t baud);
    void close();
    void rate(uint32_t baud);
    void write(const uint8_t* data, uint32_t size);
    void read(uint32_t asked, uint32_t timeoutMs, const uint8_t* data, uint32_t got);
    void error(const char* call, uint32_t code);

private:
    void put(const Event& event);  // under the lock
    void flushRead();              // under the lock
    int64_t now() const;

    std::mutex mutex_;
    std::FILE* file_;
    std::chrono::steady_clock::time_point start_;
    Event pendingRead_;  // reads being merged; `reads` 0 when there are none
};

// The bytes as the text of a JSON string holds them: each byte the character of the same number
// (U+0000 to U+00FF), in UTF-8.
std::string bytesAsText(const std::string& bytes);

// The bytes of `data` as trace text shows them outside JSON: printable ASCII as itself, CR as \r,
// every other byte as \xNN.
std::string escapeBytes(const std::string& data);

}  // namespace torvik::cli::trace
