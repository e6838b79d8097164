// The C++ API (torvik/torvik.hpp) as a host uses it, through libtorvik.so against the simulated
// detector: owners, errors with several records, UTF-8 texts and the cancellation of a datalog read.
#include <unistd.h>

#include <atomic>
#include <clocale>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <stop_token>
#include <thread>

#include "support/HostApi.hpp"
#include "support/ZipReading.hpp"

namespace torvik_test {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using torvik::Category;
using torvik::ErrorRecord;

// The names of the numbers a host passes, against their documented values.
static_assert(INSTR_DATALOG_SKIP_MEASUREMENT == 0 && INSTR_DATALOG_SKIP_EVENT == 1 && INSTR_DATALOG_SKIP_DEBUG == 2 &&
              INSTR_DATALOG_READ_ALL == 3);
static_assert(INSTR_CATEGORY_GENERAL == 0 && INSTR_CATEGORY_CONTEXT == 1 && INSTR_CATEGORY_DEVICE == 2 &&
              INSTR_CATEGORY_FIRMWARE_FLASHER == 3 && INSTR_CATEGORY_CONTAINER == 4 &&
              INSTR_CATEGORY_CONTAINER_WRITER == 5);
static_assert(INSTR_LOG_DEBUG == 0 && INSTR_LOG_INFO == 1 && INSTR_LOG_WARN == 2 && INSTR_LOG_ERROR == 3);
static_assert(INSTR_CONFIGURATION_DOCUMENT == 0 && INSTR_CONFIGURATION_FINGERPRINT == 1 &&
              INSTR_CONTEXT_DECIMAL_SEPARATOR == 0);

// --- Owners ------------------------------------------------------------------------------------

// What an owner of each family is made from.
struct Parents {
    torvik::Context context;
    torvik::Device device{context};
};

struct ContextCase {
    static torvik::Context make(Parents&) { return torvik::Context(); }
    static constexpr auto addRef = &InstrumentAPI::contextAddRef;
    static constexpr auto release = &InstrumentAPI::contextRelease;
};
struct DeviceCase {
    static torvik::Device make(Parents& p) { return torvik::Device(p.context); }
    static constexpr auto addRef = &InstrumentAPI::deviceAddRef;
    static constexpr auto release = &InstrumentAPI::deviceRelease;
};
struct ReaderCase {
    static torvik::DatalogReader make(Parents& p) { return torvik::DatalogReader(p.device); }
    static constexpr auto addRef = &InstrumentAPI::gdcDatalogReaderAddRef;
    static constexpr auto release = &InstrumentAPI::gdcDatalogReaderRelease;
};
struct ConfigurationCase {
    static torvik::Configuration make(Parents& p) { return torvik::Configuration(p.device); }
    static constexpr auto addRef = &InstrumentAPI::configurationAddRef;
    static constexpr auto release = &InstrumentAPI::configurationRelease;
};
struct ByteArrayCase {
    static torvik::ByteArray make(Parents&) { return torvik::ByteArray("bytes"); }
    static constexpr auto addRef = &InstrumentAPI::byteArrayAddRef;
    static constexpr auto release = &InstrumentAPI::byteArrayRelease;
};
// An array a slot created, adopted.
struct AdoptedByteArrayCase : ByteArrayCase {
    static torvik::ByteArray make(Parents&) { return torvik::ByteArray::adopt(api().byteArrayCreate(16)); }
};

// The test takes two references of its own on an owner's object through the C table. Giving them
// up afterwards leaves 1, then 0 usages exactly when the owner took one reference and gave it up
// once: a reference never taken, one never given up or one given up twice changes the counts.
// Every object is made, moved and destroyed; one is moved over another, which gives that one up.
template <class Case>
class Ownership : public testing::Test {
protected:
    using Owner = decltype(Case::make(std::declval<Parents&>()));
    using Object = std::remove_pointer_t<decltype(std::declval<Owner&>().get())>;

    Object* twoMore(const Owner& owner) {
        (api().*Case::addRef)(owner.get());
        return (api().*Case::addRef)(owner.get());
    }
    void expectOnlyTheTwoLeft(Object* object) {
        EXPECT_EQ((api().*Case::release)(object), 1);
        EXPECT_EQ((api().*Case::release)(object), 0);
    }

    Parents parents;
};
using Families =
    testing::Types<ContextCase, DeviceCase, ReaderCase, ConfigurationCase, ByteArrayCase, AdoptedByteArrayCase>;
TYPED_TEST_SUITE(Ownership, Families);

TYPED_TEST(Ownership, MovesHandOverTheReference) {
    typename TestFixture::Object* first = nullptr;
    {
        typename TestFixture::Owner owner = TypeParam::make(this->parents);
        typename TestFixture::Owner other = TypeParam::make(this->parents);
        first = this->twoMore(owner);
        typename TestFixture::Object* second = this->twoMore(other);
        typename TestFixture::Owner moved(std::move(owner));
        other = std::move(moved);  // gives up the second object
        EXPECT_EQ(owner.get(), nullptr);
        EXPECT_EQ(moved.get(), nullptr);
        EXPECT_EQ(other.get(), first);
        this->expectOnlyTheTwoLeft(second);
    }
    this->expectOnlyTheTwoLeft(first);
}

// --- A host on the simulated detector ----------------------------------------------------------

// A host with a directory of its own for archives.
class CppHost : public SimulatedHost {
protected:
    explicit CppHost(const std::string& policy = fastLine, torvik::sim::LineOptions line = {})
        : SimulatedHost(policy, line) {
        std::filesystem::create_directories(directory);
    }
    ~CppHost() override { std::filesystem::remove_all(directory); }

    const std::string directory =
        (std::filesystem::temp_directory_path() / ("torvik-cpp-" + std::to_string(getpid()) + "-" +
                                                   testing::UnitTest::GetInstance()->current_test_info()->name()))
            .string();
    const std::string archive = directory + "/datalog.zip";
};

const std::string switchOffRequest = R"({"version":"1.0.6","device":{"switch_off":null}})";
const std::string switchOffAllowed = R"({"version":"1.0.6","device":{"switch_off":"allowed"}})";

TEST_F(CppHost, ConfigurationFingerprintAndClear) {
    torvik::Configuration configuration(device);
    const uint64_t before = configuration.fingerprint(switchOffRequest);
    configuration.write(switchOffAllowed);
    EXPECT_EQ(json::parse(configuration.read(switchOffRequest))["device"], (json{{"switch_off", "allowed"}}));
    EXPECT_NE(configuration.fingerprint(switchOffRequest), before);
    EXPECT_TRUE(configuration.errors().empty());

    device.clearDatalog();
    sim.withModel([](torvik::sim::DetectorModel& model) { EXPECT_EQ(model.datalog.pageCount(0), 0u); });
}

// The library keeps what an object depends on alive, and the log function lives with the owners
// that can make the library log: readers and configurations work on after their device's and
// context's owners are gone.
TEST_F(CppHost, ObjectsOutliveTheOwnersTheyWereMadeFrom) {
    device.close();  // the port is claimed exclusively
    LogCollector<std::string> ownLog;
    std::optional<torvik::Context> ownContext(contextWith(fastLine));
    ownContext->setLogCallback(ownLog.function());
    std::optional<torvik::Device> ownDevice(std::in_place, *ownContext);
    ownDevice->open(sim.portPath());
    torvik::Configuration configuration(*ownDevice);
    torvik::DatalogReader reader(*ownDevice);
    reader.select(torvik::DatalogOption::SkipMeasurement);
    ownContext.reset();
    ownDevice.reset();

    EXPECT_EQ(json::parse(configuration.read(switchOffRequest))["device"]["switch_off"], "not allowed during a2");
    reader.read(archive);
    EXPECT_TRUE(readZip(archive).opened);
    EXPECT_TRUE(ownLog.contains(1, "Reading _all_ GDC datalog data for section 3 from device."));
}

// --- Errors --------------------------------------------------------------------------------------

struct FailedCall {
    const char* name;
    torvik::sim::Faults faults;
    std::function<void(torvik::Device&, const std::string& archive)> call;
    std::string what;  // what() starts with it
    std::vector<ErrorRecord> records;
};

class CppHostErrors : public CppHost, public testing::WithParamInterface<FailedCall> {
protected:
    // Standard error replies arrive whole on an echoing line; a silent device is given up soon.
    CppHostErrors() : CppHost(shortReplies, {.echo = true}) {}
};

TEST_P(CppHostErrors, ThrowEveryRecordInOrder) {
    const FailedCall& c = GetParam();
    sim.setFaults(c.faults);
    try {
        c.call(device, archive);
        ADD_FAILURE() << "no exception";
    } catch (const torvik::Error& e) {
        EXPECT_EQ(e.records(), c.records);
        EXPECT_TRUE(std::string_view(e.what()).starts_with(c.what)) << e.what();
    }
}

const std::string readFailed = "Caught an exception while reading the GDC datalog. ";

INSTANTIATE_TEST_SUITE_P(
    Cases, CppHostErrors,
    testing::Values(
        FailedCall{"PortNameEmpty",
                   {},
                   [](torvik::Device& d, auto&) { d.open(""); },
                   "torvik: deviceOpen failed: Invalid argument. (category 0, code 1)",
                   {{Category::General, 1, "Invalid argument."}}},
        FailedCall{
            "WriteStopsSwitchedOff",
            {.standardErrorFor = "AC"},
            [](torvik::Device& d, auto&) { torvik::Configuration(d).write(switchOffAllowed); },
            "torvik: configurationWrite failed: Received a standard error response from device. Illegal "
            "command. (1) (category 5, code 19); The write stopped",
            {{Category::ContainerWriter, 19, "Received a standard error response from device. Illegal command. (1)"},
             {Category::ContainerWriter, 19,
              "The write stopped with the device switched off; sections written before stay written. Switch the "
              "device on and write the configuration again."}}},
        FailedCall{"MoveReplyLost",
                   {.corruptChecksumFor = "DP"},
                   [](torvik::Device& d, auto& archive) { torvik::DatalogReader(d).read(archive); },
                   "torvik: datalog read failed: " + readFailed,
                   {{Category::FirmwareFlasher, 19, readFailed + "Unknown exception"},
                    {Category::FirmwareFlasher, 19,
                     "The archive was kept: the device may already have marked its new data as read."}}},
        FailedCall{"ClearRefused",
                   {.standardErrorFor = "DL", .standardErrorCode = 14},
                   [](torvik::Device& d, auto&) { d.clearDatalog(); },
                   "torvik: deviceClearGdcDatalog failed: ",
                   {{Category::FirmwareFlasher, 19,
                     "Caught an exception while clearing the GDC datalog. Received a standard error response from "
                     "device. Command received in wrong state. (14)"}}}),
    [](const testing::TestParamInfo<FailedCall>& info) { return std::string(info.param.name); });

// --- Texts ---------------------------------------------------------------------------------------

// Texts outside ASCII, and outside the Basic Multilingual Plane, reach the archive's metadata and
// the file system as the host wrote them; progress runs up to 1.
TEST_F(CppHost, DatalogTextsKeepTheirCharacters) {
    const std::string gateway = "Gateway \xC3\x85 \xF0\x9F\x9A\x9B";  // Å, a truck
    const std::string version = "7.1 \xE2\x80\x94 \xC3\x9F";          // an em dash, ß
    const std::string path = directory + "/\xC3\x84rchiv \xF0\x9F\x9A\x80.zip";
    torvik::DatalogReader reader(device);
    reader.setGateway(gateway, version);
    reader.setPollInterval(1ms);
    std::vector<double> progress;
    reader.read(path, [&](double done) { progress.push_back(done); });

    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 1.0);
    const ZipArchive zip = readZip(path);
    ASSERT_TRUE(zip.opened && zip.find("gdcdatalogger.json") != nullptr);
    EXPECT_EQ(json::parse(zip.find("gdcdatalogger.json")->data)["gateway"],
              (json{{"name", gateway}, {"version", version}}));
    EXPECT_TRUE(logged(1, "Reading _all_ GDC datalog data for section 3 from device."));

    // A text that is not UTF-8, or that a null character would cut short, is refused.
    torvik::DatalogReader next(device);
    EXPECT_THROW(next.setGateway("\xC3(", "1"), std::invalid_argument);
    EXPECT_THROW(next.setGateway("\xED\xA0\x80", "1"), std::invalid_argument);  // a surrogate
    EXPECT_THROW(next.read(std::string("a\0b.zip", 7)), std::invalid_argument);
}

// Under a UTF-8 locale the library reads a request's keys as UTF-8, so the message that names an
// unknown one reaches the host as the host wrote it.
TEST(CppApiLocale, ErrorMessageKeepsItsCharacters) {
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
    {
        torvik::sim::Simulator sim;  // its thread runs only while the locale stays as it is
        torvik::Context context = contextWith(fastLine);
        torvik::Device device(context);
        device.open(sim.portPath());
        const std::string key = "ger\xC3\xA4t \xF0\x9F\x9A\x80";  // ä, a rocket
        try {
            torvik::Configuration(device).read(R"({"version":"1.0.6","device":{")" + key + R"(":null}})");
            ADD_FAILURE() << "no exception";
        } catch (const torvik::Error& e) {
            EXPECT_EQ(e.records(), (std::vector<ErrorRecord>{{Category::ContainerWriter, 1,
                                                              "Invalid key in JSON for node path: device." + key}}));
            std::ostringstream printed;
            printed << e.records().front();
            EXPECT_EQ(printed.str(), "Invalid key in JSON for node path: device." + key + " (category 5, code 1)");
        }
    }
    std::setlocale(LC_CTYPE, previous.c_str());
}

// --- Cancellation --------------------------------------------------------------------------------

enum class Cancel { StopBeforeStart, StopFromProgress, AbortFromAnotherThread, ProgressThrows };

class DatalogCancel : public CppHost, public testing::WithParamInterface<Cancel> {
protected:
    DatalogCancel() : CppHost(fastLine, {.replyDelayMs = 20}) {}  // a read of many poll intervals
};

// However the host cancels, the read ends aborted: no archive under either name, no read pointer
// moved.
TEST_P(DatalogCancel, LeavesNoArchiveAndMovesNoPointer) {
    const Cancel how = GetParam();
    const std::vector<uint32_t> pointersBefore = readPointers();
    torvik::DatalogReader reader(device);
    reader.setPollInterval(2ms);
    std::stop_source stop;
    if (how == Cancel::StopBeforeStart) stop.request_stop();
    std::atomic<bool> running{false}, ended{false};
    std::jthread aborter;
    if (how == Cancel::AbortFromAnotherThread) {
        aborter = std::jthread([&] {
            while (!running && !ended) std::this_thread::sleep_for(1ms);
            if (running) reader.abort();
        });
    }
    const auto progress = [&](double) {
        running = true;
        if (how == Cancel::StopFromProgress) stop.request_stop();
        if (how == Cancel::ProgressThrows) throw std::runtime_error("the host gives up");
    };
    const ErrorRecord aborted{Category::FirmwareFlasher, 8, "Aborted by user"};
    try {
        reader.read(archive, progress, stop.get_token());
        ADD_FAILURE() << "the read was not cancelled";
    } catch (const torvik::Error& e) {
        EXPECT_NE(how, Cancel::ProgressThrows);
        EXPECT_EQ(e.records(), std::vector<ErrorRecord>{aborted});
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(how, Cancel::ProgressThrows);
        EXPECT_STREQ(e.what(), "the host gives up");
    }
    ended = true;
    EXPECT_TRUE(reader.wait(0ms));
    EXPECT_EQ(reader.errors(), std::vector<ErrorRecord>{aborted});
    expectNothingLeft(archive, pointersBefore);
}

std::string cancelName(const testing::TestParamInfo<Cancel>& info) {
    static const char* const names[] = {"StopBeforeStart", "StopFromProgress", "AbortFromAnotherThread",
                                        "ProgressThrows"};
    return names[static_cast<int>(info.param)];
}
INSTANTIATE_TEST_SUITE_P(Cases, DatalogCancel,
                         testing::Values(Cancel::StopBeforeStart, Cancel::StopFromProgress,
                                         Cancel::AbortFromAnotherThread, Cancel::ProgressThrows),
                         cancelName);

}  // namespace
}  // namespace torvik_test
