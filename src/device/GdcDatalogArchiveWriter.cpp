#include "device/GdcDatalogArchiveWriter.hpp"

#include <array>
#include <ctime>
#include <nlohmann/json.hpp>
#include <utility>

#include "core/Error.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {

namespace {

constexpr std::array<DatalogSectionNames, 6> sectionNames{{
    {"measurement.ddl", "measurementData"},
    {"event.ddl", "eventData"},
    {"control.ddl", "controlData"},
    {"session.ddl", "sessionData"},
    {"debug.ddl", "debugData"},
    {"diagnostic.ddl", "diagnosticData"},
}};
constexpr DatalogSectionNames unknownSectionNames{"unknown.ddl", "unknownData"};

// Layout versions up to 2 carry no version byte and no measurement variant.
constexpr uint32_t lastUnversionedLayout = 2;

Error writeFailed() {
    return Error(ErrorCategory::InstrFirmwareFlasher, ErrorCode::WriteFailed, msg::unknownExceptionWritingDatalog);
}

nlohmann::json loggerInfo(const DatalogMemoryConfiguration& configuration) {
    nlohmann::json info{{"pageSize", configuration.pageSize}};
    if (configuration.controlVersion > lastUnversionedLayout) {
        info["version"] = configuration.controlVersion;
        info["measurementVariant"] = configuration.versionByte2 == 0 ? "short" : "long";
    }
    return info;
}

nlohmann::json loggerData(const std::map<int32_t, uint32_t>& firstPageOffsets) {
    nlohmann::json data = nlohmann::json::array();
    for (const auto& [section, offset] : firstPageOffsets) {
        const DatalogSectionNames& names = datalogSectionNames(section);
        data.push_back({{"loggerDataType", names.dataType},
                        {"loggerDataName", names.fileName},
                        {"loggerDataFirstPageOffset", offset}});
    }
    return data;
}

}  // namespace

const DatalogSectionNames& datalogSectionNames(int32_t section) {
    if (section < 0 || static_cast<size_t>(section) >= sectionNames.size()) return unknownSectionNames;
    return sectionNames[static_cast<size_t>(section)];
}

GdcDatalogArchiveWriter::GdcDatalogArchiveWriter(ContextGuard context, std::u16string path,
                                                 std::unique_ptr<AbstractZipWriter> zip)
    : context_(std::move(context)), path_(std::move(path)), zip_(std::move(zip)) {
    if (!zip_ || !zip_->open(toUtf8(path_))) {
        zip_.reset();
        throw Error(ErrorCategory::InstrFirmwareFlasher, ErrorCode::OpenFailed, msg::unknownExceptionOpeningDatalog);
    }
}

GdcDatalogArchiveWriter::~GdcDatalogArchiveWriter() {
    try {
        finish();
    } catch (...) {
        // A destructor cannot report; the reader has already recorded the run's failure.
    }
}

void GdcDatalogArchiveWriter::addSection(int32_t section, uint32_t firstPageOffset, const std::vector<uint8_t>& data) {
    if (!zip_ || !zip_->addEntry(std::string(datalogSectionNames(section).fileName), data, std::time(nullptr)))
        throw writeFailed();
    firstPageOffsets_[section] = firstPageOffset;
    document_.reset();
}

void GdcDatalogArchiveWriter::composeMetaData() {
    document_ = metaDataDocument(metaData_, memoryConfiguration_, firstPageOffsets_);
}

void GdcDatalogArchiveWriter::finish() {
    if (!zip_) return;
    // Taken out first: whatever happens below, the archive is closed once and only once.
    std::unique_ptr<AbstractZipWriter> zip = std::move(zip_);
    if (!document_) composeMetaData();
    if (!zip->addEntry(metaDataEntryName, std::vector<uint8_t>(document_->begin(), document_->end()),
                       std::time(nullptr)))
        throw writeFailed();
    if (!zip->close()) throw writeFailed();
}

std::string GdcDatalogArchiveWriter::metaDataDocument(const DatalogMetaData& metaData,
                                                      const DatalogMemoryConfiguration& configuration,
                                                      const std::map<int32_t, uint32_t>& firstPageOffsets) {
    const nlohmann::json document{
        {"file",
         {{"fileType", "gdcdatalogger"},
          {"fileVersion", metaData.fileVersion},
          {"fileCreatingSoftware", metaData.creatingSoftware},
          {"fileCreatingSoftwareVersion", metaData.creatingSoftwareVersion},
          {"fileCreationDateISO8601", metaData.creationDate},
          {"fileCreationTimezone", metaData.creationTimezone},
          {"fileCreationDST", metaData.creationDst}}},
        {"gateway", {{"name", toUtf8(metaData.gatewayName)}, {"version", toUtf8(metaData.gatewayVersion)}}},
        {"device",
         {{"deviceId", metaData.deviceId},
          {"devicePartnumber", metaData.devicePartNumber},
          {"deviceSerialnumber", metaData.deviceSerialNumber},
          {"deviceDateISO8601", metaData.deviceDate},
          {"deviceFirmwareVersion", metaData.deviceFirmwareVersion}}},
        {"content", {{"loggerInfo", loggerInfo(configuration)}, {"loggerData", loggerData(firstPageOffsets)}}},
    };
    return document.dump();
}

}  // namespace devlib_instr
