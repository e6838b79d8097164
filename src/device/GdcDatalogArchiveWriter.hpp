// Writes one datalog read-out into a ZIP archive: one stored entry per section, as it arrives,
// then the metadata document "gdcdatalogger.json" last.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comm/DatalogMemoryConfiguration.hpp"
#include "core/Context.hpp"
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

    // Creates the archive file; Error(3, 13) when it cannot be opened.
    GdcDatalogArchiveWriter(ContextGuard context, std::u16string path,
                            std::unique_ptr<AbstractZipWriter> zip = makeZipWriter());
    // Finishes an archive still open (an exception left it so), swallowing any failure.
    ~GdcDatalogArchiveWriter();
    GdcDatalogArchiveWriter(const GdcDatalogArchiveWriter&) = delete;
    GdcDatalogArchiveWriter& operator=(const GdcDatalogArchiveWriter&) = delete;

    void setMemoryConfiguration(const DatalogMemoryConfiguration& configuration) {
        memoryConfiguration_ = configuration;
        document_.reset();
    }
    void setMetaData(const DatalogMetaData& metaData) {
        metaData_ = metaData;
        document_.reset();
    }

    // Writes the section's entry at once and records its first-page offset; Error(3, 22) on failure.
    void addSection(int32_t section, uint32_t firstPageOffset, const std::vector<uint8_t>& data);
    // Builds the metadata document from what the writer holds now, so that a text the document
    // cannot carry fails here, before the caller does anything it cannot undo; finish then writes
    // this document. Setting the metadata or adding a section afterwards builds it anew in finish.
    void composeMetaData();
    // Writes the metadata document and closes the archive; nothing when already closed.
    void finish();

    // The compact metadata document (members sorted by name). Throws the JSON library's exception
    // on text that is not UTF-8.
    static std::string metaDataDocument(const DatalogMetaData& metaData,
                                        const DatalogMemoryConfiguration& configuration,
                                        const std::map<int32_t, uint32_t>& firstPageOffsets);

private:
    ContextGuard context_;
    std::u16string path_;
    DatalogMetaData metaData_;
    DatalogMemoryConfiguration memoryConfiguration_;
    std::unique_ptr<AbstractZipWriter> zip_;
    std::map<int32_t, uint32_t> firstPageOffsets_;
    std::optional<std::string> document_;  // composed, and nothing changed since
};

}  // namespace devlib_instr
