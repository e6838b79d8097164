#include "device/GdcDatalogArchiveWriter.hpp"

#include <array>
#include <ctime>
#include <nlohmann/json.hpp>
#include <utility>

#include <fmt/format.h>

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

Error archiveError(ErrorCode code, const char16_t* text) {
    return Error(ErrorCategory::InstrFirmwareFlasher, code, text);
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
    : context_(std::move(context)), path_(std::move(path)) {
    StagedFile::Failure failure;
    file_ = createStagedFile(path_, failure);
    if (!file_ || !zip || !zip->open(*file_)) {
        logFailure(msg::archiveCreateFailedFormat, failure.reason);
        throw archiveError(ErrorCode::OpenFailed, msg::unknownExceptionOpeningDatalog);
    }
    zip_ = std::move(zip);
}

void GdcDatalogArchiveWriter::logFailure(const char* format, const std::string& reason) const {
    context_->log(LogLevel::Error, widen(fmt::format(fmt::runtime(format), toUtf8(path_), reason)));
}

Error GdcDatalogArchiveWriter::writeFailed() {
    logFailure(msg::archiveWriteFailedFormat, file_ ? file_->failure().reason : std::string());
    zip_.reset();
    file_.reset();
    return archiveError(ErrorCode::WriteFailed, msg::unknownExceptionWritingDatalog);
}

void GdcDatalogArchiveWriter::addSection(int32_t section, uint32_t firstPageOffset, const std::vector<uint8_t>& data) {
    if (!zip_ || !zip_->addEntry(std::string(datalogSectionNames(section).fileName), data, std::time(nullptr)))
        throw writeFailed();
    firstPageOffsets_[section] = firstPageOffset;
}

void GdcDatalogArchiveWriter::finish() {
    if (!zip_) return;
    const std::string document = metaDataDocument(metaData_, memoryConfiguration_, firstPageOffsets_);
    if (!zip_->addEntry(metaDataEntryName, std::vector<uint8_t>(document.begin(), document.end()), std::time(nullptr)))
        throw writeFailed();
    if (!zip_->close()) throw writeFailed();
    zip_.reset();
    if (file_->publish()) return;
    const StagedFile::Failure failure = file_->failure();
    file_.reset();
    if (!failure.finalPathExists) {
        logFailure(msg::archivePublishFailedFormat, failure.reason);
        throw archiveError(ErrorCode::WriteFailed, msg::unknownExceptionWritingDatalog);
    }
    context_->log(LogLevel::Error, msg::outputFileExists);
    throw archiveError(ErrorCode::InvalidArgument, msg::outputFileExists);
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
