// The datalog archive read back with a real ZIP reader, for both ZIP writers the library has: the
// platform's (minizip on Linux) and its own stored-entry writer (Windows). Both must write the same
// archive; a new writer is added to `writers` below.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <tuple>

#include "core/TextConversion.hpp"
#include "device/GdcDatalogArchiveWriter.hpp"
#include "device/StoredZipWriter.hpp"
#include "support/TestContext.hpp"
#include "support/Thrown.hpp"
#include "support/ZipReading.hpp"

namespace devlib_instr {
namespace {

using torvik_test::readZip;

struct WriterFactory {
    const char* name;
    std::unique_ptr<AbstractZipWriter> (*make)();
};

const WriterFactory writers[] = {
    {"Platform", &makeZipWriter},
    {"Stored", []() -> std::unique_ptr<AbstractZipWriter> { return std::make_unique<StoredZipWriter>(); }},
};

// Every byte value, and a section larger than 64 KiB.
std::vector<uint8_t> everyByte(size_t size) {
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>((i * 7919 + i / 251) & 0xFF);
    return data;
}

DatalogMemoryConfiguration configuration(uint32_t controlVersion, uint32_t versionByte2) {
    return {.pageSize = 256, .controlVersion = controlVersion, .versionByte2 = versionByte2};
}

using Bytes = std::vector<uint8_t>;

class ArchiveWriter : public testing::TestWithParam<WriterFactory> {
protected:
    void TearDown() override { std::filesystem::remove(toUtf8(path)); }

    torvik_test::TestContext context;
    std::u16string path = utf8ToUtf16((std::filesystem::temp_directory_path() /
                                       ("torvik-archive-" + std::to_string(getpid()) + "-" + GetParam().name + ".zip"))
                                          .string());
};

// Nothing stands under the archive's path until finish() has completed it.
TEST_P(ArchiveWriter, SectionsInOrderThenMetadataAllStoredOnceFinished) {
    GdcDatalogArchiveWriter writer(context.guard(), path, GetParam().make());
    writer.setMemoryConfiguration(configuration(3, 1));
    writer.addSection(0, 12, everyByte(300 * 1024));
    writer.addSection(3, 0, {});
    writer.addSection(4, 7, Bytes{1, 2, 3, 4});
    writer.addSection(9, 1, Bytes{5});
    EXPECT_FALSE(std::filesystem::exists(toUtf8(path)));
    writer.finish();
    EXPECT_FALSE(std::filesystem::exists(toUtf8(path) + ".partial"));
    const auto archive = readZip(toUtf8(path));
    ASSERT_TRUE(archive.opened);
    EXPECT_TRUE(archive.intact);
    EXPECT_EQ(archive.names(), (std::vector<std::string>{"measurement.ddl", "session.ddl", "debug.ddl", "unknown.ddl",
                                                         "gdcdatalogger.json"}));
    for (const auto& entry : archive.entries) EXPECT_EQ(entry.method, 0u) << entry.name;
    const std::vector<uint8_t> large = everyByte(300 * 1024);
    EXPECT_EQ(archive.entries[0].data, std::string(large.begin(), large.end()));
    EXPECT_EQ(archive.entries[1].data, "");
    EXPECT_EQ(archive.entries[2].data, "\x01\x02\x03\x04");

    const auto document = nlohmann::json::parse(archive.entries[4].data);
    const auto& data = document["content"]["loggerData"];
    ASSERT_EQ(data.size(), 4u);
    EXPECT_EQ(data[1], (nlohmann::json{{"loggerDataFirstPageOffset", 0},
                                       {"loggerDataName", "session.ddl"},
                                       {"loggerDataType", "sessionData"}}));
    EXPECT_EQ(data[2]["loggerDataFirstPageOffset"], 7);
    EXPECT_EQ(data[3]["loggerDataType"], "unknownData");
}

TEST_P(ArchiveWriter, UnfinishedArchiveLeavesNoFile) {
    {
        GdcDatalogArchiveWriter writer(context.guard(), path, GetParam().make());
        writer.addSection(0, 12, Bytes{1});
    }
    EXPECT_FALSE(std::filesystem::exists(toUtf8(path)));
    EXPECT_FALSE(std::filesystem::exists(toUtf8(path) + ".partial"));
}

TEST_P(ArchiveWriter, OpenFailureIsCode13) {
    const std::u16string missingDirectory = path + u".d/archive.zip";
    const Error e = torvik_test::thrown<Error>([&] {
                        GdcDatalogArchiveWriter writer(context.guard(), missingDirectory, GetParam().make());
                    }).value();
    EXPECT_EQ(std::tuple(e.category, e.code, e.message),
              std::tuple(3u, 13u, std::u16string(u"Caught an unknown exception while opening the GDC datalog")));
}

TEST_P(ArchiveWriter, EntryCarriesTheLocalModificationTime) {
    constexpr std::time_t mayFirst10Utc = 1714557600;
    StagedFile::Failure failure;
    const auto file = createStagedFile(path, failure);
    auto writer = GetParam().make();
    ASSERT_TRUE(writer->open(*file));
    ASSERT_TRUE(writer->addEntry("session.ddl", {1, 2, 3}, mayFirst10Utc));
    ASSERT_TRUE(writer->close());
    ASSERT_TRUE(file->publish());
    std::tm local{};
    localtime_r(&mayFirst10Utc, &local);
    const tm_unz date = readZip(toUtf8(path)).entries.at(0).time;
    EXPECT_EQ((std::vector<uInt>{date.tm_year, date.tm_mon, date.tm_mday, date.tm_hour, date.tm_min, date.tm_sec / 2}),
              (std::vector<uInt>{uInt(local.tm_year + 1900), uInt(local.tm_mon), uInt(local.tm_mday),
                                 uInt(local.tm_hour), uInt(local.tm_min), uInt(local.tm_sec / 2)}));  // 2 s steps
}

INSTANTIATE_TEST_SUITE_P(Writers, ArchiveWriter, testing::ValuesIn(writers),
                         [](const testing::TestParamInfo<WriterFactory>& info) { return info.param.name; });

// A writer that keeps entries in memory and refuses the entry named `failing`.
struct MemoryZipWriter : AbstractZipWriter {
    explicit MemoryZipWriter(std::vector<std::string>& names, std::string failing = {})
        : names(names), failing(std::move(failing)) {}
    bool open(StagedFile&) override { return true; }
    bool addEntry(const std::string& name, const std::vector<uint8_t>&, std::time_t) override {
        if (name == failing) return false;
        names.push_back(name);
        return true;
    }
    bool close() override { return true; }
    std::vector<std::string>& names;
    std::string failing;
};

// A refused section entry or metadata entry is code 22 and ends the archive: nothing more is
// written and no file is left.
TEST(ArchiveWriterFailure, RefusedEntryIsCode22) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"event.ddl", {"measurement.ddl"}}, {"gdcdatalogger.json", {"measurement.ddl", "event.ddl"}}};
    for (const auto& [refused, written] : cases) {
        torvik_test::TestContext context;
        const std::string path =
            (std::filesystem::temp_directory_path() / ("torvik-refused-" + std::to_string(getpid()) + ".zip")).string();
        std::vector<std::string> names;
        {
            GdcDatalogArchiveWriter writer(context.guard(), utf8ToUtf16(path),
                                           std::make_unique<MemoryZipWriter>(names, refused));
            writer.addSection(0, 1, {});
            const Error e = torvik_test::thrown<Error>([&] {
                                writer.addSection(1, 2, {});
                                writer.finish();
                            }).value();
            EXPECT_EQ(
                std::tuple(e.category, e.code, e.message),
                std::tuple(3u, 22u, std::u16string(u"Caught an unknown exception while writing the GDC datalog")));
        }
        EXPECT_EQ(names, written) << refused;
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
    }
}

// The variant follows the second version byte; layouts before version 3 carry only the page size.
TEST(MetaDataDocument, LoggerInfoFollowsTheLayoutVersion) {
    for (const auto& [controlVersion, versionByte2, loggerInfo] :
         {std::tuple{3u, 0u, R"("loggerInfo":{"measurementVariant":"short","pageSize":256,"version":3})"},
          std::tuple{4u, 7u, R"("loggerInfo":{"measurementVariant":"long","pageSize":256,"version":4})"},
          std::tuple{2u, 1u, R"("loggerInfo":{"pageSize":256})"}}) {
        const std::string document =
            GdcDatalogArchiveWriter::metaDataDocument({}, configuration(controlVersion, versionByte2), {});
        EXPECT_NE(document.find(std::string(R"({"content":{"loggerData":[],)") + loggerInfo), std::string::npos)
            << document;
    }
}

}  // namespace
}  // namespace devlib_instr
