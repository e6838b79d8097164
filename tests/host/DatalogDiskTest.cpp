// A host process (datalog_host.c) reads the datalog of the simulated detector while its disk fills
// up (the archive's file size limited at every stage of the archive) or while it is killed
// midway. Whatever happens, the host's path holds a complete archive or nothing, and the read
// pointers move only once that archive is complete on disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <thread>

#include "sim/Simulator.hpp"
#include "support/EnvironmentGuard.hpp"
#include "support/HostApi.hpp"
#include "support/ZipReading.hpp"

namespace torvik_test {
namespace {

namespace fs = std::filesystem;

constexpr int sectionCount = 6;

// Starts the host; with a limit, every file it writes stops growing there (writes beyond it fail,
// as on a full disk, instead of raising SIGXFSZ).
pid_t startHost(const std::string& port, const std::string& output, bool all, std::optional<rlim_t> limit) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (limit) {
        const rlimit fileSize{*limit, *limit};
        setrlimit(RLIMIT_FSIZE, &fileSize);
        signal(SIGXFSZ, SIG_IGN);
    }
    execl(TORVIK_DATALOG_HOST, "datalog_host", port.c_str(), output.c_str(), all ? "all" : nullptr, nullptr);
    _exit(127);
}

// The host's exit status, or 128 + the signal that ended it.
int waitForHost(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DatalogDisk : public testing::TestWithParam<bool> {
protected:
    DatalogDisk() {
        fs::remove(path);
        fs::remove(temporary);
        pointersBefore = readPointers();
    }
    ~DatalogDisk() override {
        fs::remove(path);
        fs::remove(temporary);
    }

    bool readsAll() const { return GetParam(); }
    int run(std::optional<rlim_t> limit = std::nullopt) {
        return waitForHost(startHost(sim.portPath(), path.string(), readsAll(), limit));
    }

    std::vector<uint32_t> readPointers() {
        std::vector<uint32_t> pointers;
        sim.withModel([&](torvik::sim::DetectorModel& model) {
            for (int section = 0; section < sectionCount; ++section)
                pointers.push_back(model.datalog.readPointer(section));
        });
        return pointers;
    }
    void restorePointers() {
        sim.withModel([&](torvik::sim::DetectorModel& model) {
            for (int section = 0; section < sectionCount; ++section)
                model.datalog.setReadPointer(section, pointersBefore[section]);
        });
    }
    bool moveSent() const {
        for (const std::string& frame : sim.requests())
            if (torvik::sim::DetectorModel::commandCode(frame) == "DP") return true;
        return false;
    }
    // The archive holds, for every section read, the device's bytes from where the read began.
    void expectCompleteArchive() {
        const ZipArchive archive = readZip(path.string());
        ASSERT_TRUE(archive.opened);
        EXPECT_TRUE(archive.intact);
        const std::pair<const char*, int> sections[] = {
            {"measurement.ddl", 0}, {"event.ddl", 1}, {"session.ddl", 3}, {"debug.ddl", 4}};
        for (const auto& [name, section] : sections) {
            const ZipEntry* entry = archive.find(name);
            ASSERT_NE(entry, nullptr) << name;
            const uint32_t from = readsAll() || section == 3 ? 0 : pointersBefore[size_t(section)];
            std::string expected;
            sim.withModel([&](torvik::sim::DetectorModel& model) {
                const auto& pages = model.datalog.pages(section);
                for (size_t page = from; page < pages.size(); ++page)
                    expected.append(pages[page].begin(), pages[page].end());
            });
            EXPECT_EQ(entry->data, expected) << name;
        }
        EXPECT_NE(archive.find("gdcdatalogger.json"), nullptr);
    }

    EnvironmentGuard policy{"TORVIK_EXCHANGE_POLICY", fastLine};
    torvik::sim::Simulator sim;
    const fs::path path = fs::temp_directory_path() /
                          ("torvik-disk-" + std::to_string(getpid()) + "-" + (GetParam() ? "all" : "new") + ".zip");
    const fs::path temporary = fs::path(path.string() + ".partial");
    std::vector<uint32_t> pointersBefore;
};

// The limits: nothing at all, one byte short of and one byte past the start of every ZIP record
// (each entry's header, the central directory, its end), and one byte short of the whole archive.
std::set<rlim_t> stageLimits(const std::string& archive) {
    std::set<rlim_t> limits{0, archive.size() - 1};
    for (const char* signature : {"PK\x03\x04", "PK\x01\x02", "PK\x05\x06"}) {
        for (size_t at = archive.find(signature); at != std::string::npos; at = archive.find(signature, at + 1)) {
            if (at > 0) limits.insert(at - 1);
            limits.insert(at + 1);
        }
    }
    return limits;
}

TEST_P(DatalogDisk, FullDiskAtAnyStageLosesNothing) {
    ASSERT_EQ(run(), 0);
    const std::string archive = fileBytes(path);
    for (const rlim_t limit : stageLimits(archive)) {
        SCOPED_TRACE("archive limited to " + std::to_string(limit) + " of " + std::to_string(archive.size()) +
                     " bytes");
        fs::remove(path);
        restorePointers();
        sim.clearRequests();
        EXPECT_EQ(run(limit), 1);
        // The device still holds its data as new, and nothing is left under either name.
        EXPECT_FALSE(moveSent());
        EXPECT_EQ(readPointers(), pointersBefore);
        EXPECT_FALSE(fs::exists(path));
        EXPECT_FALSE(fs::exists(temporary));
    }
    restorePointers();
    ASSERT_EQ(run(archive.size()), 0);
    expectCompleteArchive();
    EXPECT_EQ(readPointers() != pointersBefore, !readsAll());
}

// A host killed midway leaves its temporary file, never a file under its path; the next run
// replaces the leftover and completes.
TEST_P(DatalogDisk, KilledHostLeavesNoArchive) {
    sim.setLineOptions({.replyDelayMs = 20});
    const pid_t host = startHost(sim.portPath(), path.string(), readsAll(), std::nullopt);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(temporary) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(host, SIGKILL);
    EXPECT_EQ(waitForHost(host), 128 + SIGKILL);
    EXPECT_TRUE(fs::exists(temporary));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(readPointers(), pointersBefore);

    sim.setLineOptions({});
    ASSERT_EQ(run(), 0);
    expectCompleteArchive();
    EXPECT_FALSE(fs::exists(temporary));
}

INSTANTIATE_TEST_SUITE_P(Selections, DatalogDisk, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "All" : "NewData"; });

}  // namespace
}  // namespace torvik_test
