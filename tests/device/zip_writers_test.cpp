// Both archive writers (the platform's, minizip on Linux, and the stored-entry writer that Windows
// uses) pass the same tests: what they write is read back with minizip's reader.
#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "device/AbstractZipWriter.hpp"
#include "device/StoredZipWriter.hpp"
#include "device/ZipReading.hpp"

namespace devlib_instr {
namespace {

using torvik_test::readZip;
using torvik_test::ZipArchive;

struct WriterKind {
    const char* name;
    std::function<std::unique_ptr<AbstractZipWriter>()> make;
};

void PrintTo(const WriterKind& kind, std::ostream* out) {
    *out << kind.name;
}

const WriterKind writerKinds[] = {
    {"Platform", [] { return makeZipWriter(); }},
    {"Stored", [] { return std::unique_ptr<AbstractZipWriter>(std::make_unique<StoredZipWriter>()); }},
};

struct Entry {
    std::string name;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> pattern(size_t size) {
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>((i * 7919 + i / 251) & 0xFF);
    return data;
}

// Entries like a datalog archive's: binary sections (every byte value, an empty one, a large one)
// and a JSON document last.
std::vector<Entry> sampleEntries() {
    std::vector<uint8_t> everyByte(256);
    for (size_t i = 0; i < everyByte.size(); ++i) everyByte[i] = static_cast<uint8_t>(i);
    const std::string json = R"({"content":{"loggerData":[]}})";
    return {{"measurement.ddl", everyByte},
            {"event.ddl", {}},
            {"session.ddl", pattern(300 * 1024)},
            {"gdcdatalogger.json", std::vector<uint8_t>(json.begin(), json.end())}};
}

std::string asText(const std::vector<uint8_t>& data) {
    return std::string(data.begin(), data.end());
}

constexpr std::time_t someTime = 1714557600;  // 2024-05-01 10:00:00 UTC

class ZipWritersTest : public testing::TestWithParam<WriterKind> {
protected:
    void TearDown() override {
        for (const std::string& path : paths_) std::filesystem::remove(path);
    }

    std::string temporaryPath(const std::string& tag) {
        const auto path = std::filesystem::temp_directory_path() / ("torvik_zip_" + std::string(GetParam().name) + "_" +
                                                                    tag + "_" + std::to_string(::getpid()) + ".zip");
        paths_.push_back(path.string());
        return path.string();
    }

    // Writes the entries with a fresh writer of the parameter's kind; false when any step failed.
    bool write(const std::string& path, const std::vector<Entry>& entries) {
        auto writer = GetParam().make();
        if (!writer->open(path)) return false;
        for (const Entry& entry : entries)
            if (!writer->addEntry(entry.name, entry.data, someTime)) return false;
        return writer->close();
    }

private:
    std::vector<std::string> paths_;
};

TEST_P(ZipWritersTest, EntriesReadBackStoredInOrderAndByteForByte) {
    const std::string path = temporaryPath("entries");
    const std::vector<Entry> entries = sampleEntries();
    ASSERT_TRUE(write(path, entries));

    const ZipArchive archive = readZip(path);
    ASSERT_TRUE(archive.opened);
    EXPECT_TRUE(archive.intact);
    ASSERT_EQ(archive.entries.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].name);
        EXPECT_EQ(archive.entries[i].name, entries[i].name);
        EXPECT_EQ(archive.entries[i].method, 0u);
        EXPECT_EQ(archive.entries[i].data, asText(entries[i].data));
    }
}

TEST_P(ZipWritersTest, EntryCarriesTheLocalModificationTime) {
    const std::string path = temporaryPath("time");
    ASSERT_TRUE(write(path, {{"session.ddl", {1, 2, 3}}}));

    unzFile zip = unzOpen64(path.c_str());
    ASSERT_NE(zip, nullptr);
    unz_file_info64 info{};
    ASSERT_EQ(unzGoToFirstFile(zip), UNZ_OK);
    ASSERT_EQ(unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0), UNZ_OK);
    unzClose(zip);

    std::tm local{};
    localtime_r(&someTime, &local);
    EXPECT_EQ(info.tmu_date.tm_year, static_cast<uInt>(local.tm_year + 1900));
    EXPECT_EQ(info.tmu_date.tm_mon, static_cast<uInt>(local.tm_mon));
    EXPECT_EQ(info.tmu_date.tm_mday, static_cast<uInt>(local.tm_mday));
    EXPECT_EQ(info.tmu_date.tm_hour, static_cast<uInt>(local.tm_hour));
    EXPECT_EQ(info.tmu_date.tm_min, static_cast<uInt>(local.tm_min));
    EXPECT_EQ(info.tmu_date.tm_sec / 2, static_cast<uInt>(local.tm_sec / 2));  // two-second resolution
}

TEST_P(ZipWritersTest, ArchiveLeftOpenIsCompletedByTheDestructor) {
    const std::string path = temporaryPath("unclosed");
    {
        auto writer = GetParam().make();
        ASSERT_TRUE(writer->open(path));
        ASSERT_TRUE(writer->addEntry("debug.ddl", {9, 8, 7}, someTime));
    }
    const ZipArchive archive = readZip(path);
    ASSERT_TRUE(archive.opened);
    ASSERT_EQ(archive.names(), std::vector<std::string>{"debug.ddl"});
    EXPECT_EQ(archive.entries[0].data, std::string("\x09\x08\x07"));
}

TEST_P(ZipWritersTest, ReopenedWriterStartsAFreshArchive) {
    const std::string first = temporaryPath("first");
    const std::string second = temporaryPath("second");
    auto writer = GetParam().make();
    ASSERT_TRUE(writer->open(first));
    ASSERT_TRUE(writer->addEntry("event.ddl", {1}, someTime));
    ASSERT_TRUE(writer->close());
    ASSERT_TRUE(writer->open(second));
    ASSERT_TRUE(writer->addEntry("session.ddl", {2}, someTime));
    ASSERT_TRUE(writer->close());

    EXPECT_EQ(readZip(first).names(), std::vector<std::string>{"event.ddl"});
    EXPECT_EQ(readZip(second).names(), std::vector<std::string>{"session.ddl"});
}

TEST_P(ZipWritersTest, FailuresAreReportedNotRaised) {
    auto writer = GetParam().make();
    EXPECT_FALSE(writer->addEntry("event.ddl", {1}, someTime)) << "no archive open";
    const std::string missingDirectory = temporaryPath("dir") + "/nested/archive.zip";
    EXPECT_FALSE(writer->open(missingDirectory));
    EXPECT_FALSE(writer->addEntry("event.ddl", {1}, someTime)) << "the open failed";
}

INSTANTIATE_TEST_SUITE_P(Writers, ZipWritersTest, testing::ValuesIn(writerKinds),
                         [](const testing::TestParamInfo<WriterKind>& info) { return std::string(info.param.name); });

// The two writers agree on every entry's name, method and contents.
TEST(ZipWritersAgreeTest, SameEntriesGiveTheSameContents) {
    const std::vector<Entry> entries = sampleEntries();
    std::vector<ZipArchive> archives;
    for (const WriterKind& kind : writerKinds) {
        const auto path = std::filesystem::temp_directory_path() /
                          ("torvik_zip_agree_" + std::string(kind.name) + "_" + std::to_string(::getpid()) + ".zip");
        auto writer = kind.make();
        ASSERT_TRUE(writer->open(path.string()));
        for (const Entry& entry : entries) ASSERT_TRUE(writer->addEntry(entry.name, entry.data, someTime));
        ASSERT_TRUE(writer->close());
        archives.push_back(readZip(path.string()));
        std::filesystem::remove(path);
    }
    ASSERT_EQ(archives[0].entries.size(), archives[1].entries.size());
    for (size_t i = 0; i < archives[0].entries.size(); ++i) {
        EXPECT_EQ(archives[0].entries[i].name, archives[1].entries[i].name);
        EXPECT_EQ(archives[0].entries[i].method, archives[1].entries[i].method);
        EXPECT_EQ(archives[0].entries[i].data, archives[1].entries[i].data);
    }
}

}  // namespace
}  // namespace devlib_instr
