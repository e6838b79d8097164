// Writes one datalog read-out into a ZIP archive: one stored entry per section, as it arrives,
// then the metadata document "gdcdatalogger.json" last. The archive is written under a temporary
// name beside its path and appears under the path only when finish() has completed it on stable
// storage; an archive never finished leaves no file at all.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "comm/DatalogMemoryConfiguration.hpp"
#include "core/Context.hpp"
#include "core/Error.hpp"
#include "core/StagedFile.hpp"
#include "device/AbstractZipWriter.hpp"
#include "device/DatalogMetaData.hpp"

namespace devlib_instr {

// Entry file name and data-type name of a datalog section.
struct DatalogSectionNames {
    std::string_view fileName;
    std::string_view dataType;
};
// Sections 0..5 have their own names; any other number is "unknown".
const DatalogSectionNames& datalogSectionNames(int32_t section);

class GdcDatalogArchiveWriter {
public:
    static constexpr char metaDataEntryName[] = "gdcdatalogger.json";

    // Creates the temporary file; Error(3, 13) when it cannot be created (the reason is logged).
    GdcDatalogArchiveWriter(ContextGuard context, std::u16string path,
                            std::unique_ptr<AbstractZipWriter> zip = makeZipWriter());
    // An archive not finished is discarded with its temporary file.
    ~GdcDatalogArchiveWriter() = default;
    GdcDatalogArchiveWriter(const GdcDatalogArchiveWriter&) = delete;
    GdcDatalogArchiveWriter& operator=(const GdcDatalogArchiveWriter&) = delete;

    void setMemoryConfiguration(const DatalogMemoryConfiguration& configuration) {
        memoryConfiguration_ = configuration;
    }
    void setMetaData(const DatalogMetaData& metaData) { metaData_ = metaData; }

    // Writes the section's entry at once and records its first-page offset; Error(3, 22) on failure.
    void addSection(int32_t section, uint32_t firstPageOffset, const std::vector<uint8_t>& data);
    // Writes the metadata document, closes the archive, flushes it to stable storage and moves it
    // to its path; nothing when already finished. Error(3, 22) when a write fails, Error(3, 1)
    // "Output file exists" when a file appeared at the path meanwhile (it is left as it is); the
    // JSON library's exception for a text that is not UTF-8. After a failure nothing is left.
    void finish();

    // The compact metadata document (members sorted by name). Throws the JSON library's exception
    // on text that is not UTF-8.
    static std::string metaDataDocument(const DatalogMetaData& metaData,
                                        const DatalogMemoryConfiguration& configuration,
                                        const std::map<int32_t, uint32_t>& firstPageOffsets);

private:
    // Logs the failure with the archive's path and the system's reason.
    void logFailure(const char* format, const std::string& reason) const;
    // Logs the failed write, discards the archive and gives the error to throw.
    Error writeFailed();

    ContextGuard context_;
    std::u16string path_;
    DatalogMetaData metaData_;
    DatalogMemoryConfiguration memoryConfiguration_;
    std::unique_ptr<StagedFile> file_;
    std::unique_ptr<AbstractZipWriter> zip_;  // writes into file_, so it goes first
    std::map<int32_t, uint32_t> firstPageOffsets_;
};

}  // namespace devlib_instr
