// The staged file on the real file system: nothing under the final name before publish, a stale
// temporary file replaced, a link in its place never followed, a file another writer holds left
// alone, and a file that appeared under the final name never replaced.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/StagedFile.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class StagedFileTest : public testing::Test {
protected:
    StagedFileTest() {
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    ~StagedFileTest() override { fs::remove_all(directory); }

    std::unique_ptr<StagedFile> create() { return createStagedFile(utf8ToUtf16(target.string()), failure); }
    static bool write(StagedFile& file, const std::string& text) {
        return file.write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }

    const fs::path directory = fs::temp_directory_path() / ("torvik-staged-" + std::to_string(getpid()));
    const fs::path target = directory / "datalog.zip";
    const fs::path temporary = directory / "datalog.zip.partial";
    StagedFile::Failure failure;
};

TEST_F(StagedFileTest, AppearsUnderTheFinalNameOnlyWhenPublished) {
    auto file = create();
    ASSERT_TRUE(file);
    ASSERT_TRUE(write(*file, "head-XXXX-tail"));
    ASSERT_TRUE(file->seek(5));
    ASSERT_TRUE(write(*file, "body"));
    EXPECT_EQ(file->size(), 14u);
    EXPECT_FALSE(fs::exists(target));
    ASSERT_TRUE(file->publish());
    EXPECT_EQ(contents(target), "head-body-tail");
    EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(StagedFileTest, UnpublishedFileIsRemoved) {
    {
        auto file = create();
        ASSERT_TRUE(file && write(*file, "partial"));
        EXPECT_TRUE(fs::exists(temporary));
    }
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_FALSE(fs::exists(target));
}

// What stands at the temporary name before a run: a crash's leftover is replaced; a link is removed
// without touching what it points to (nor writing through it).
TEST_F(StagedFileTest, StaleFileAndLinkAtTheTemporaryNameAreReplaced) {
    const fs::path victim = directory / "victim";
    for (const bool link : {false, true}) {
        SCOPED_TRACE(link ? "link" : "stale file");
        put(victim, "precious");
        if (link) {
            fs::create_symlink(victim, temporary);
        } else {
            put(temporary, "left by a crash");
        }
        auto file = create();
        ASSERT_TRUE(file) << failure.reason;
        ASSERT_TRUE(write(*file, "new") && file->publish());
        EXPECT_EQ(contents(target), "new");
        EXPECT_EQ(contents(victim), "precious");
        fs::remove(target);
    }
}

TEST_F(StagedFileTest, FileAnotherWriterHoldsIsLeftAlone) {
    auto first = create();
    ASSERT_TRUE(first && write(*first, "first"));
    EXPECT_FALSE(create());
    EXPECT_EQ(failure.reason, "another run is writing this archive");
    ASSERT_TRUE(first->publish());
    EXPECT_EQ(contents(target), "first");
}

TEST_F(StagedFileTest, PublishNeverReplacesAFileThatAppeared) {
    auto file = create();
    ASSERT_TRUE(file && write(*file, "archive"));
    put(target, "the host's own file");
    EXPECT_FALSE(file->publish());
    EXPECT_TRUE(file->failure().finalPathExists);
    EXPECT_EQ(contents(target), "the host's own file");
    EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(StagedFileTest, MissingDirectoryGivesTheSystemsReason) {
    fs::remove_all(directory);
    EXPECT_FALSE(create());
    EXPECT_EQ(failure.reason, "No such file or directory");
}

}  // namespace
}  // namespace devlib_instr
