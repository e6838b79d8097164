// Torvik device library: a C++20 API over the C table of instrument_api.h, header-only.
//
//   torvik::Context context;                      // the table of the linked library
//   torvik::Device device(context);
//   device.open("/dev/ttyUSB0");                  // COM3 or \\.\COM10 on Windows
//   std::string document = torvik::Configuration(device).read(torvik::wholeConfigurationRequest);
//   torvik::DatalogReader(device).read("datalog.zip", [](double done) { ... });
//
// - Every object of the table has one owner type here (Context, Device, DatalogReader,
//   Configuration, ByteArray). An owner takes the object's first reference when it creates it and
//   gives it up once, when it is destroyed; owners move and are never copied. The library keeps
//   what an object depends on alive, so owners may be destroyed in any order.
// - A failed call throws torvik::Error, which holds every error record of the failure in order (a
//   configuration's or a datalog reader's whole error list); the records themselves are freed.
// - Texts are UTF-8 std::string in and out; the table's wide texts (UTF-16) are converted in
//   torvik::text only. The serial port name is passed as the platform takes it, unchanged.
// - A host that loads the library at run time (LoadLibrary and GetProcAddress) passes the table it
//   got to Context and ByteArray; every other owner takes the table of the object it is made from.
// - A slot this API does not wrap is called through an owner's get() and api(): takeRecord converts
//   and frees the record such a slot leaves in its InstrError**, ByteArray::adopt owns an array a
//   slot created. The log function lives as long as the owners made from its context: an object
//   the host keeps alive beyond them through a reference of its own (an AddRef slot) must not log
//   then, so the host gives that reference up first, or sets the context's log callback itself.
#ifndef TORVIK_TORVIK_HPP
#define TORVIK_TORVIK_HPP

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "torvik/instrument_api.h"

namespace torvik {

static_assert(sizeof(InstrWChar) == 2, "the table's wide texts are UTF-16 code units");

// --- The numbers a host passes and receives ----------------------------------------------------

enum class Category : uint32_t {
    General = INSTR_CATEGORY_GENERAL,
    Context = INSTR_CATEGORY_CONTEXT,
    Device = INSTR_CATEGORY_DEVICE,
    FirmwareFlasher = INSTR_CATEGORY_FIRMWARE_FLASHER,  // the datalog reader and its archive
    Container = INSTR_CATEGORY_CONTAINER,               // writing the device database
    ContainerWriter = INSTR_CATEGORY_CONTAINER_WRITER,  // reading it, the configuration
};

enum class LogLevel : int32_t {
    Debug = INSTR_LOG_DEBUG,
    Info = INSTR_LOG_INFO,
    Warn = INSTR_LOG_WARN,
    Error = INSTR_LOG_ERROR,
};

// What a datalog read leaves out, or reads from the beginning (see DatalogReader::select).
enum class DatalogOption : uint32_t {
    SkipMeasurement = INSTR_DATALOG_SKIP_MEASUREMENT,
    SkipEvent = INSTR_DATALOG_SKIP_EVENT,
    SkipDebug = INSTR_DATALOG_SKIP_DEBUG,
    ReadAll = INSTR_DATALOG_READ_ALL,
};

// The host's functions the library's work calls back: a log line (UTF-8), a datalog read's progress
// (the fraction done, 0 to 1).
using LogFunction = std::function<void(LogLevel, std::string_view)>;
using ProgressFunction = std::function<void(double)>;

// The request of a configuration read that asks for every value the detector holds.
inline constexpr std::string_view wholeConfigurationRequest =
    R"({"version":"1.0.6","device":null,"channels":null,"sensors":null})";

// --- Texts: UTF-8 here, UTF-16 in the table --------------------------------------------------------

using WideText = std::basic_string<InstrWChar>;

namespace detail {

[[noreturn]] inline void notUtf8() {
    throw std::invalid_argument("torvik: a text is not valid UTF-8");
}

// The code point of the UTF-8 sequence at `at`, and its length in bytes. A malformed or overlong
// sequence, a surrogate and a null character throw.
inline std::pair<char32_t, size_t> codePointAt(std::string_view utf8, size_t at) {
    static constexpr char32_t smallestOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (lead == 0 || length == 0 || length > utf8.size() - at) notUtf8();
    char32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(utf8[at + k]);
        if ((next & 0xC0) != 0x80) notUtf8();
        point = point << 6 | (next & 0x3Fu);
    }
    if (point < smallestOfLength[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) notUtf8();
    return {point, length};
}

inline void appendUtf8(std::string& utf8, char32_t point) {
    const auto byte = [&](char32_t bits) { utf8.push_back(static_cast<char>(bits)); };
    if (point < 0x80) return byte(point);
    if (point < 0x800) {
        byte(0xC0 | point >> 6);
    } else if (point < 0x10000) {
        byte(0xE0 | point >> 12);
        byte(0x80 | (point >> 6 & 0x3F));
    } else {
        byte(0xF0 | point >> 18);
        byte(0x80 | (point >> 12 & 0x3F));
        byte(0x80 | (point >> 6 & 0x3F));
    }
    byte(0x80 | (point & 0x3F));
}

}  // namespace detail

namespace text {

// UTF-8 to a null-terminated UTF-16 text for the table. Malformed UTF-8 (and a null character,
// which would cut the text short) throws std::invalid_argument: a path or a name is never guessed.
inline WideText toWide(std::string_view utf8) {
    WideText wide;
    wide.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        auto [point, length] = detail::codePointAt(utf8, at);
        if (point >= 0x10000) {
            point -= 0x10000;
            wide.push_back(static_cast<InstrWChar>(0xD800 + (point >> 10)));
            point = 0xDC00 + (point & 0x3FF);
        }
        wide.push_back(static_cast<InstrWChar>(point));
        at += length;
    }
    return wide;
}

// A null-terminated UTF-16 text of the table to UTF-8 (null gives ""). A surrogate without its
// partner becomes U+FFFD, so the result is always valid UTF-8.
inline std::string toUtf8(const InstrWChar* wide) {
    std::string utf8;
    for (const InstrWChar* unit = wide; unit != nullptr && *unit != 0; ++unit) {
        char32_t point = static_cast<char16_t>(*unit);
        const char32_t next = static_cast<char16_t>(unit[1]);  // the terminator at the latest
        if (point >= 0xD800 && point <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (next - 0xDC00);
            ++unit;
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            point = 0xFFFD;
        }
        detail::appendUtf8(utf8, point);
    }
    return utf8;
}

}  // namespace text

// --- Errors ------------------------------------------------------------------------------------

struct ErrorRecord {
    Category category;
    uint32_t code;
    std::string message;  // UTF-8
    bool operator==(const ErrorRecord&) const = default;
};

namespace detail {

// A record as Error::what() lists it: "message (category C, code N)".
inline std::string describe(const ErrorRecord& record) {
    return record.message + " (category " + std::to_string(static_cast<uint32_t>(record.category)) + ", code " +
           std::to_string(record.code) + ")";
}

}  // namespace detail

inline std::ostream& operator<<(std::ostream& out, const ErrorRecord& record) {
    return out << detail::describe(record);
}

class Error : public std::runtime_error {
public:
    // `call` names what failed; what() adds each record as "message (category C, code N)".
    Error(std::string_view call, std::vector<ErrorRecord> records)
        : std::runtime_error(describe(call, records)),
          records_(std::make_shared<const std::vector<ErrorRecord>>(std::move(records))) {}

    // Every record of the failure, in order; empty when the library gave none.
    const std::vector<ErrorRecord>& records() const noexcept { return *records_; }

private:
    static std::string describe(std::string_view call, const std::vector<ErrorRecord>& records) {
        std::string text = "torvik: " + std::string(call) + " failed";
        if (records.empty()) return text + " without an error record";
        for (size_t i = 0; i < records.size(); ++i) text += (i == 0 ? ": " : "; ") + detail::describe(records[i]);
        return text;
    }

    std::shared_ptr<const std::vector<ErrorRecord>> records_;  // shared: copying an exception never throws
};

namespace detail {

// An error record of the table, deleted through the table.
struct RecordDeleter {
    const InstrumentAPI* api;
    void operator()(InstrError* record) const noexcept { api->errorDelete(record); }
};
using OwnedRecord = std::unique_ptr<InstrError, RecordDeleter>;

inline ErrorRecord recordOf(const InstrError& record) {
    return {Category{record.category}, record.code, text::toUtf8(record.message)};
}

}  // namespace detail

// The record a slot left in `err`, for a host that calls the slot itself; none when the slot left
// none. The record is freed and `err` set to null either way.
inline std::optional<ErrorRecord> takeRecord(InstrError*& err, const InstrumentAPI& api = *GetInstrumentAPI()) {
    const detail::OwnedRecord record(std::exchange(err, nullptr), detail::RecordDeleter{&api});
    if (!record) return std::nullopt;
    return detail::recordOf(*record);
}

namespace detail {

// The records of an error-list slot (a reader's or a configuration's), each freed.
template <class Object>
std::vector<ErrorRecord> errorList(const InstrumentAPI& api, uint32_t (*getErrors)(Object*, InstrError**, uint32_t),
                                   Object* object) {
    const uint32_t count = getErrors(object, nullptr, 0);
    std::vector<InstrError*> list(count, nullptr);
    std::vector<OwnedRecord> owned;
    owned.reserve(count);  // every allocation before the records exist
    if (count > 0) getErrors(object, list.data(), count);
    for (InstrError* record : list) owned.emplace_back(record, RecordDeleter{&api});  // within capacity
    std::vector<ErrorRecord> records;
    for (const OwnedRecord& record : owned)
        if (record) records.push_back(recordOf(*record));
    return records;
}

// The outcome of an entry with an InstrError** parameter: throws Error with its record on failure;
// the record is freed either way.
inline void check(const InstrumentAPI& api, bool succeeded, InstrError* err, std::string_view call) {
    std::optional<ErrorRecord> record = takeRecord(err, api);
    if (succeeded) return;
    std::vector<ErrorRecord> records;
    if (record) records.push_back(std::move(*record));
    throw Error(call, std::move(records));
}

// The add-reference and release slots of each handle type.
template <class Object>
struct Family;
#define TORVIK_FAMILY_(Object, name, slot)                                                                   \
    template <>                                                                                              \
    struct Family<Object> {                                                                                  \
        static constexpr std::string_view created = name;                                                    \
        static Object* addRef(const InstrumentAPI& api, Object* object) { return api.slot##AddRef(object); } \
        static void release(const InstrumentAPI& api, Object* object) { api.slot##Release(object); }         \
    };
TORVIK_FAMILY_(InstrContext, "contextCreate", context)
TORVIK_FAMILY_(InstrDevice, "deviceCreate", device)
TORVIK_FAMILY_(InstrGdcDatalogReader, "gdcDatalogReaderCreate", gdcDatalogReader)
TORVIK_FAMILY_(InstrConfiguration, "configurationCreate", configuration)
TORVIK_FAMILY_(InstrByteArray, "byteArrayCreate", byteArray)
#undef TORVIK_FAMILY_

// One host reference on an object of the table: taken when the owner is made (on a newly created
// object, its first reference), given up once when the owner is destroyed or assigned. Move only.
template <class Object>
class Handle {
public:
    // A null object (the library could not create it) throws Error.
    Handle(const InstrumentAPI& api, Object* object) : api_(&api), object_(object) {
        if (object_ == nullptr) throw Error(Family<Object>::created, {});
        Family<Object>::addRef(api, object_);
    }
    Handle(Handle&& other) noexcept : api_(other.api_), object_(std::exchange(other.object_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            release();
            api_ = other.api_;
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    ~Handle() { release(); }

    Object* get() const noexcept { return object_; }
    const InstrumentAPI& api() const noexcept { return *api_; }

private:
    void release() noexcept {
        if (object_ != nullptr) Family<Object>::release(*api_, std::exchange(object_, nullptr));
    }

    const InstrumentAPI* api_;
    Object* object_;
};

// The host's log function, shared by every owner that can make the library log, so that it lives
// as long as any of them (a datalog reader logs from its worker thread).
struct LogSink {
    LogFunction function;

    static void forward(int32_t level, const InstrWChar* text, void* user) noexcept {
        try {
            static_cast<LogSink*>(user)->function(static_cast<LogLevel>(level), text::toUtf8(text));
        } catch (...) {
            // Nothing may cross back into the library; a failing log function loses the line.
        }
    }
};

}  // namespace detail

// --- Owners ------------------------------------------------------------------------------------

// The library's context: the log function and the objects made from it.
class Context {
public:
    explicit Context(const InstrumentAPI& api = *GetInstrumentAPI())
        : log_(std::make_shared<detail::LogSink>()), handle_(api, api.contextCreate()) {}

    // The library's log lines (UTF-8), on whichever thread logs; an empty function restores the
    // built-in logger (standard output). Set it before the context is used from several threads.
    void setLogCallback(LogFunction function) {
        if (!log_) log_ = std::make_shared<detail::LogSink>();  // a moved-from context
        if (!function) {
            api().contextSetLogCallback(get(), nullptr, nullptr);
            log_->function = nullptr;
            return;
        }
        log_->function = std::move(function);
        api().contextSetLogCallback(get(), &detail::LogSink::forward, log_.get());
    }

    InstrContext* get() const noexcept { return handle_.get(); }
    const InstrumentAPI& api() const noexcept { return handle_.api(); }

private:
    friend class Device;
    std::shared_ptr<detail::LogSink> log_;
    detail::Handle<InstrContext> handle_;
};

// A byte array of the table (the carrier of JSON documents).
class ByteArray {
public:
    explicit ByteArray(std::string_view bytes = {}, const InstrumentAPI& api = *GetInstrumentAPI())
        : handle_(api, create(api, bytes)) {}

    // The owner of an array the host got from a slot itself (byteArrayCreate with a capacity, say):
    // it takes a reference of its own, the array's first when the array is new. A null array throws
    // Error.
    static ByteArray adopt(InstrByteArray* array, const InstrumentAPI& api = *GetInstrumentAPI()) {
        return ByteArray(detail::Handle<InstrByteArray>(api, array));
    }

    // The bytes, valid until the array changes or is destroyed.
    std::string_view view() const {
        const uint8_t* data = api().byteArrayConstData(get());
        return data != nullptr ? std::string_view(reinterpret_cast<const char*>(data), api().byteArraySize(get()))
                               : std::string_view();
    }

    InstrByteArray* get() const noexcept { return handle_.get(); }
    const InstrumentAPI& api() const noexcept { return handle_.api(); }

private:
    explicit ByteArray(detail::Handle<InstrByteArray> handle) : handle_(std::move(handle)) {}

    static InstrByteArray* create(const InstrumentAPI& api, std::string_view bytes) {
        if (bytes.size() > std::numeric_limits<uint32_t>::max())
            throw std::length_error("torvik: a byte array holds at most 4 GiB");
        return bytes.empty() ? api.byteArrayCreate(0)
                             : api.byteArrayCreateFromData(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }

    detail::Handle<InstrByteArray> handle_;
};

// The detector on a serial port.
class Device {
public:
    explicit Device(const Context& context)
        : log_(context.log_),
          context_(context.api(), context.get()),
          handle_(context.api(), context.api().deviceCreate(context.get())) {}

    // The port as the platform names it, passed on unchanged: a device path on Linux
    // (/dev/ttyUSB0), a port name on Windows (COM3, \\.\COM10).
    void open(const std::string& port) {
        InstrError* err = nullptr;
        const bool opened = api().deviceOpen(get(), port.c_str(), &err);
        detail::check(api(), opened, err, "deviceOpen");
    }
    void close() noexcept { api().deviceClose(get()); }
    bool isOpen() const noexcept { return api().deviceIsOpen(get()); }

    void clearDatalog() {
        InstrError* err = nullptr;
        const bool cleared = api().deviceClearGdcDatalog(get(), &err);
        detail::check(api(), cleared, err, "deviceClearGdcDatalog");
    }

    InstrDevice* get() const noexcept { return handle_.get(); }
    const InstrumentAPI& api() const noexcept { return handle_.api(); }

private:
    friend class Configuration;
    friend class DatalogReader;
    std::shared_ptr<detail::LogSink> log_;
    detail::Handle<InstrContext> context_;  // the context datalog readers of this device are made on
    detail::Handle<InstrDevice> handle_;
};

// Reads and writes the detector's configuration as JSON documents (UTF-8 text).
class Configuration {
public:
    explicit Configuration(const Device& device)
        : log_(device.log_), handle_(device.api(), device.api().configurationCreate(device.get())) {}

    // The document of the values `request` names (wholeConfigurationRequest: every value).
    std::string read(std::string_view request) {
        return std::string(run(request, INSTR_CONFIGURATION_DOCUMENT).view());
    }

    // The 64-bit fingerprint of the values `request` names; it changes when one of them changes.
    uint64_t fingerprint(std::string_view request) {
        const ByteArray result = run(request, INSTR_CONFIGURATION_FINGERPRINT);
        const std::string_view digits = result.view();
        uint64_t value = 0;
        const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (failure != std::errc() || end != digits.data() + digits.size())
            throw Error("configurationRead (fingerprint " + std::string(digits) + ")", {});
        return value;
    }

    // Writes the values of `document` to the detector.
    void write(std::string_view document) {
        const ByteArray in(document, api());
        InstrError* err = nullptr;
        const bool written = api().configurationWrite(get(), in.get(), &err);
        failIfNot(written, err, "configurationWrite");
    }

    // The error list of the last read or write.
    std::vector<ErrorRecord> errors() const { return detail::errorList(api(), api().configurationGetErrors, get()); }

    InstrConfiguration* get() const noexcept { return handle_.get(); }
    const InstrumentAPI& api() const noexcept { return handle_.api(); }

private:
    ByteArray run(std::string_view request, uint32_t option) {
        const ByteArray in(request, api());
        ByteArray result({}, api());
        InstrError* err = nullptr;
        const bool read = api().configurationRead(get(), in.get(), option, result.get(), &err);
        failIfNot(read, err, "configurationRead");
        return result;
    }

    // A record in err means the call failed before the operation ran; otherwise the operation's
    // error list holds the failure.
    void failIfNot(bool succeeded, InstrError* err, std::string_view call) const {
        if (succeeded || err != nullptr) return detail::check(api(), succeeded, err, call);
        throw Error(call, errors());
    }

    std::shared_ptr<detail::LogSink> log_;
    detail::Handle<InstrConfiguration> handle_;
};

// Reads the detector's GDC datalog into a ZIP archive on a worker thread of the library. A reader
// runs once: make a new one for the next read.
class DatalogReader {
public:
    explicit DatalogReader(const Device& device)
        : log_(device.log_), handle_(device.api(), device.api().gdcDatalogReaderCreate(device.context_.get())) {
        api().gdcDatalogReaderSetDevice(get(), device.get());
    }

    // Leaves a section out, or reads measurement, event and debug data from the beginning
    // (ReadAll); by default only the data not read before. The session section is always read.
    void select(DatalogOption option, bool selected = true) {
        api().gdcDatalogReaderSetSectionSelected(get(), static_cast<uint32_t>(option), selected ? 1 : 0);
    }

    // The host's name and version, kept in the archive's metadata ("Unknown" unless set).
    void setGateway(std::string_view name, std::string_view version) {
        api().gdcDatalogReaderSetTexts(get(), text::toWide(name).c_str(), text::toWide(version).c_str());
    }

    // How often read() reports progress and looks at its stop token.
    void setPollInterval(std::chrono::milliseconds interval) { pollInterval_ = interval; }

    // Reads into the archive `path` (UTF-8; the file must not exist) and returns when the read has
    // ended. `progress` gets the fraction done (0 to 1) on this thread while the read runs, and its
    // last value at the end. A stop request aborts the read; the library then removes the
    // unfinished archive and moves no read pointer. A read that did not succeed (an aborted one
    // too) throws Error with the reader's error list.
    void read(std::string_view path, const ProgressFunction& progress = {}, std::stop_token stop = {}) {
        start(path);
        try {
            for (bool aborting = false;;) {
                if (!aborting && stop.stop_requested()) {
                    abort();
                    aborting = true;
                }
                if (wait(pollInterval_)) break;
                if (progress) progress(this->progress());
            }
            if (progress) progress(this->progress());
        } catch (...) {
            abortAndWait();
            throw;
        }
        if (!succeeded()) throw Error("datalog read", errors());
    }

    // The steps of read(), for a host that polls on its own: start, then wait, progress and abort
    // (which any thread may call) until finished, then succeeded and errors.
    void start(std::string_view path) {
        api().gdcDatalogReaderSetOutputPath(get(), text::toWide(path).c_str());
        InstrError* err = nullptr;
        const bool started = api().gdcDatalogReaderStart(get(), &err);
        detail::check(api(), started, err, "gdcDatalogReaderStart");
    }
    // True once the read has ended; a negative timeout waits without limit.
    bool wait(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1)) {
        const auto ms = std::clamp<std::chrono::milliseconds::rep>(timeout.count(), -1, INT32_MAX);
        return api().gdcDatalogReaderWait(get(), static_cast<int32_t>(ms));
    }
    void abort() {
        InstrError* err = nullptr;
        const bool aborted = api().gdcDatalogReaderAbort(get(), &err);
        detail::check(api(), aborted, err, "gdcDatalogReaderAbort");
    }
    double progress() const {
        double fraction = 0.0;
        api().gdcDatalogReaderGetProgress(get(), &fraction);
        return fraction;
    }
    bool succeeded() const { return api().gdcDatalogReaderSucceeded(get()); }
    std::vector<ErrorRecord> errors() const { return detail::errorList(api(), api().gdcDatalogReaderGetErrors, get()); }

    InstrGdcDatalogReader* get() const noexcept { return handle_.get(); }
    const InstrumentAPI& api() const noexcept { return handle_.api(); }

private:
    void abortAndWait() noexcept {
        InstrError* err = nullptr;
        api().gdcDatalogReaderAbort(get(), &err);
        api().errorFree(&err);
        api().gdcDatalogReaderWait(get(), -1);
    }

    std::chrono::milliseconds pollInterval_{100};
    std::shared_ptr<detail::LogSink> log_;
    detail::Handle<InstrGdcDatalogReader> handle_;
};

}  // namespace torvik

#endif  // TORVIK_TORVIK_HPP
