// Every exchange of a datalog read and of a configuration write, met by each line fault for all its
// attempts: the operation ends with the error worded for that step, leaves no half archive, no
// unread data marked as read, no stopped write called a success, and says what it left on the
// device. The verdict table (exchange x fault) goes to stdout.
#include <future>
#include <iomanip>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>

#include "support/ConfigHost.hpp"
#include "support/DatalogHost.hpp"

namespace torvik_test {
namespace {

using enum torvik::Category;
using torvik::ErrorRecord;
using torvik::sim::Fault;

// Short reply time-outs; a fault lasts for every attempt of its exchange. The cells of one row run
// side by side, so the policy is set once for the whole sweep.
constexpr uint32_t attempts = 2;
const std::string sweepPolicy =
    fastLine + ",reply_timeout_ms=100,attempts=" + std::to_string(attempts) + ",state_wait_timeout_ms=500";
const std::string policyAsSet;
// Not a timing assertion: an operation that has not ended by then hangs.
constexpr uint32_t watchdogMs = 30000;

struct FaultColumn {
    const char* label;
    Fault fault;
};
const FaultColumn columns[] = {{"silence", Fault::Silence},          {"garbage", Fault::Garbage},
                               {"checksum", Fault::BadChecksum},     {"std-error", Fault::StandardError},
                               {"truncated", Fault::Truncated},      {"hang-up", Fault::HangUp},
                               {"short-AR", Fault::ShortMemoryReply}};

const auto commandOf = &torvik::sim::DetectorModel::commandCode;

// What the message handler's failure reads like once the exchange has given up.
std::string handlerText(Fault fault) {
    return fault == Fault::StandardError ? "Received a standard error response from device. Illegal command. (1)"
                                         : "Unknown exception";
}

struct Baseline {  // what the run without faults sent and left in the database
    std::vector<std::string> frames;
    torvik::sim::DatabaseImage database;
};

struct Verdict {  // a run's error list and the checks it failed
    std::vector<ErrorRecord> errors;
    std::vector<std::string> failed;

    void check(bool condition, const std::string& what) {
        if (!condition) failed.push_back(what);
    }
    // `expected` none: the operation succeeds.
    void expectFirstError(const std::optional<ErrorRecord>& expected) {
        const std::string seen = errors.empty() ? "success" : testing::PrintToString(errors[0]);
        if (!expected) return check(errors.empty(), "expected success, got " + seen);
        check(!errors.empty() && errors[0] == *expected,
              "expected " + testing::PrintToString(*expected) + ", got " + seen);
    }
    bool mentions(const std::string& words) const {
        return std::any_of(errors.begin(), errors.end(),
                           [&](const ErrorRecord& r) { return r.message.find(words) != std::string::npos; });
    }
    std::string entry() const {  // the table's cell
        std::string text = errors.empty() ? "ok"
                                          : std::to_string(static_cast<uint32_t>(errors[0].category)) + "/" +
                                                std::to_string(errors[0].code);
        return failed.empty() ? text : text + " FAIL";
    }
};

// Both cells echo on the line, on which a standard error reply arrives whole.
class DatalogCell final : public DatalogHost {
public:
    DatalogCell() : DatalogHost(policyAsSet) { sim.setLineOptions({.echo = true}); }
    void TestBody() override {}
    using DatalogHost::sim;

    // Reads with the default selection (new data, read pointers moved).
    Verdict run(const Baseline*, size_t, Fault fault) {
        const std::vector<uint32_t> pointersBefore = readPointers();
        for (int section : {0, 1, 3, 4})
            expected_.push_back(sectionBytes(section, section == 3 ? 0 : pointersBefore[section]));
        Verdict verdict;
        verdict.check(!start(), "the read did not start");
        if (!api->gdcDatalogReaderWait(reader.get(), watchdogMs)) {
            verdict.check(false, "the read has not ended");
            sim.stop();
            api->gdcDatalogReaderWait(reader.get(), -1);
        }
        verdict.errors = errors();
        const bool succeeded = api->gdcDatalogReaderSucceeded(reader.get());
        verdict.check(succeeded == verdict.errors.empty(), "success and the error list disagree");
        verdict.expectFirstError(
            fault == Fault::None ? std::nullopt
                                 : std::optional<ErrorRecord>(ErrorRecord{
                                       FirmwareFlasher, 19,
                                       "Caught an exception while reading the GDC datalog. " + handlerText(fault)}));

        const bool moveSent = std::ranges::any_of(commands(), [](auto& c) { return c.starts_with("DP"); });
        const bool kept = std::filesystem::exists(path);
        verdict.check(kept == (succeeded || moveSent), kept ? "an archive is left" : "no archive is left");
        verdict.check(!kept || archiveComplete(), "the archive misses bytes the device sent");
        verdict.check(readPointers() == pointersBefore || (kept && archiveComplete()),
                      "read pointers moved without a complete archive");
        return verdict;
    }

private:
    bool archiveComplete() const {
        const auto archive = torvik_test::readZip(path);
        if (!archive.intact || archive.entries.size() != expected_.size() + 1) return false;
        for (size_t i = 0; i < expected_.size(); ++i)
            if (archive.entries[i].data != expected_[i]) return false;
        return archive.entries.back().name == "gdcdatalogger.json";
    }

    std::vector<std::string> expected_;
};

class ConfigCell final : public ConfigHost {
public:
    ConfigCell() : ConfigHost(policyAsSet) { sim.setLineOptions({.echo = true}); }
    void TestBody() override {}
    using ConfigHost::sim;

    // Writes a device key and a channel key: two sections read, the device switched off, both
    // written between Connect and Disconnect, the device switched on again.
    Verdict run(const Baseline* baseline, size_t index, Fault fault) {
        const std::string changes =
            document(R"("device":{"switch_off":"allowed"},"channels":{"0":{"calibration_interval":{"duration":90}}})");
        Verdict verdict;
        auto writing = std::async(std::launch::async, [&] { return write(changes); });
        if (writing.wait_for(std::chrono::milliseconds(watchdogMs)) != std::future_status::ready) {
            verdict.check(false, "the write has not ended");
            sim.stop();
        }
        const bool succeeded = writing.get().ok;
        verdict.errors = errors();
        verdict.check(succeeded == verdict.errors.empty(), "success and the error list disagree");
        verdict.expectFirstError(baseline ? expectedFailure(baseline->frames, index, fault) : std::nullopt);

        // The state the device shows once a switch it heard has taken effect.
        int32_t state = 0;
        bool connected = false;
        sim.withModel([&](torvik::sim::DetectorModel& model) {
            for (uint32_t poll = 0; poll <= model.state.transitionPolls; ++poll) state = model.state.poll();
            connected = model.connected;
        });
        verdict.check(!succeeded || (state == torvik::sim::kStateOn && !connected && holdsWrite(baseline)),
                      "a write reported as success did not complete");
        verdict.check(state == torvik::sim::kStateOn || verdict.mentions("switched off"),
                      "the device is left off and the error list does not say so");
        verdict.check(!connected || verdict.mentions("connected"),
                      "the device is left connected and the error list does not say so");
        return verdict;
    }

private:
    // The database holds what the write without faults left in it.
    bool holdsWrite(const Baseline* baseline) {
        if (baseline == nullptr) return true;
        const torvik::sim::DatabaseImage now = database();
        return std::all_of(
            std::begin(torvik::sim::kDatabaseSections), std::end(torvik::sim::kDatabaseSections),
            [&](const auto& row) { return now.section(row.address) == baseline->database.section(row.address); });
    }

    // The error a write gives when exchange `index` fails with `fault`; none when it is overcome.
    static std::optional<ErrorRecord> expectedFailure(const std::vector<std::string>& frames, size_t index,
                                                      Fault fault) {
        const std::string code = commandOf(frames[index]);
        if (code == "H") return ErrorRecord{ContainerWriter, 6, "Device communication failed"};
        if (fault == Fault::ShortMemoryReply) return ErrorRecord{ContainerWriter, 1, "Response data size is invalid"};
        if (code == "AR")
            return ErrorRecord{ContainerWriter, 19,
                               "Caught an exception while writing the configuration. " + handlerText(fault)};
        if (code == "AW") {
            const unsigned long address = std::stoul(frames[index].substr(2, 8), nullptr, 16);
            return ErrorRecord{Container, 4,
                               "Writing {256} byte(s) to database failed at address " + std::to_string(address)};
        }
        // A state poll that fails is waited out; a line that is gone is not.
        const auto switched = std::find_if(frames.rend() - static_cast<std::ptrdiff_t>(index), frames.rend(),
                                           [](auto& f) { return commandOf(f) == "AO" || commandOf(f) == "AM"; });
        if (code == "AI" && switched != frames.rend()) {
            if (fault != Fault::HangUp) return std::nullopt;
            return ErrorRecord{
                ContainerWriter, 19,
                commandOf(*switched) == "AO" ? "Unable to switch off device" : "Unable to switch on device"};
        }
        return ErrorRecord{ContainerWriter, 19, handlerText(fault)};
    }
};

// One cell of the sweep. A reply that comes late for an earlier exchange makes the host retry it,
// which moves the fault onto another exchange: such a run is repeated.
// A cell is a gtest Test, whose constructor and destructor save and restore gtest's flags: one at a time.
template <class Cell>
Verdict runCell(const Baseline& baseline, size_t index, Fault fault) {
    static std::mutex lifetimes;
    for (int run = 1;; ++run) {
        std::unique_lock lifetime(lifetimes);
        auto cell = std::make_unique<Cell>();
        lifetime.unlock();
        cell->sim.setFaults({.fault = fault, .faultAt = uint32_t(index), .faultCount = attempts});
        Verdict verdict = cell->run(&baseline, index, fault);
        const std::vector<std::string> seen = cell->sim.requests();
        lifetime.lock();
        cell.reset();
        const bool inPlace =
            seen.size() > index && std::equal(seen.begin(), seen.begin() + index + 1, baseline.frames.begin());
        if (inPlace || run == 3) {
            verdict.check(inPlace, "the fault did not meet its exchange in three runs");
            return verdict;
        }
    }
}

// The table's row label: the command, with the datalog section or the database address it is for.
std::string rowLabel(const std::string& frame) {
    const std::string code = commandOf(frame);
    if (code == "DN" || code == "DM" || code == "DP") return code + frame.substr(2, 1);
    if (code == "AR" || code == "AW") return code + " " + frame.substr(2, 8);
    return code;
}

// Runs the operation once without faults, then once per exchange and fault, the faults of one
// exchange side by side, and prints the table.
template <class Cell>
void sweep(const std::string& title) {
    EnvironmentGuard policy("TORVIK_EXCHANGE_POLICY", sweepPolicy);
    Baseline baseline;
    {
        Cell cell;
        const Verdict verdict = cell.run(nullptr, 0, Fault::None);
        for (const std::string& failure : verdict.failed) ADD_FAILURE() << title << " without faults: " << failure;
        baseline.frames = cell.sim.requests();
        cell.sim.withModel([&](torvik::sim::DetectorModel& model) { baseline.database = model.database; });
    }
    std::ostringstream table;
    table << title << ": exchange x fault -> outcome (ok, or the first error's category/code)\n"
          << std::left << std::setw(16) << "";
    for (const FaultColumn& column : columns) table << std::setw(12) << column.label;
    for (size_t i = 0; i < baseline.frames.size(); ++i) {
        const std::string label = rowLabel(baseline.frames[i]);
        table << "\n" << std::right << std::setw(3) << i << " " << std::left << std::setw(12) << label;
        std::vector<std::future<std::optional<Verdict>>> row;
        for (const FaultColumn& column : columns)
            row.push_back(std::async(std::launch::async, [&, fault = column.fault]() -> std::optional<Verdict> {
                if (fault == Fault::ShortMemoryReply && commandOf(baseline.frames[i]) != "AR") return std::nullopt;
                return runCell<Cell>(baseline, i, fault);
            }));
        for (size_t c = 0; c < row.size(); ++c) {
            const std::optional<Verdict> verdict = row[c].get();
            table << std::setw(12) << (verdict ? verdict->entry() : "n/a");
            for (const std::string& failure : verdict ? verdict->failed : std::vector<std::string>{})
                ADD_FAILURE() << title << ", exchange " << i << " " << label << ", " << columns[c].label << ": "
                              << failure;
        }
    }
    std::cout << table.str() << std::endl;
}

TEST(FaultSweep, DatalogRead) {
    sweep<DatalogCell>("datalog read");
}

TEST(FaultSweep, ConfigurationWrite) {
    sweep<ConfigCell>("configuration write");
}

}  // namespace
}  // namespace torvik_test
