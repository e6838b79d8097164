#include "device/GdcDatalogReaderPrivate.hpp"

#include <fmt/format.h>

#include <string>
#include <utility>

#include "comm/DeviceModels.hpp"
#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "core/CaughtException.hpp"
#include "core/MessageCatalogue.hpp"
#include "core/TextConversion.hpp"
#include "core/Version.hpp"
#include "device/GdcDatalogArchiveWriter.hpp"
#include "device/IsoTime.hpp"

namespace devlib_instr {

namespace {

// The value the reader hands to its task (kept by the task for subclasses, unused here).
constexpr uint32_t readerTaskValue = 3;
// Maintenance mode is renewed once this much of its duration has passed.
constexpr std::time_t maintenanceRetriggerS = 26;
// The oldest datalog memory layout this reader understands.
constexpr uint32_t lowestControlVersion = 3;
// Progress: preparation (four steps) takes the first tenth, the sections the rest.
constexpr double preparationSteps = 4.0;
constexpr double preparationWeight = 0.1;
constexpr double readingWeight = 0.9;

// Options of the host's selection, named in the public header.
constexpr int32_t skipMeasurement = INSTR_DATALOG_SKIP_MEASUREMENT;
constexpr int32_t skipEvent = INSTR_DATALOG_SKIP_EVENT;
constexpr int32_t skipDebug = INSTR_DATALOG_SKIP_DEBUG;
constexpr int32_t readEverything = INSTR_DATALOG_READ_ALL;

std::string libraryVersionText() {
    return fmt::format(msg::libraryVersionFormat, version::major, version::minor, version::patch);
}

Error readerError(ErrorCode code, std::u16string text) {
    return Error(ErrorCategory::InstrFirmwareFlasher, code, std::move(text));
}

// How the reader words what it catches during a run.
constexpr FailureWording readFailure{.category = ErrorCategory::InstrFirmwareFlasher,
                                     .code = ErrorCode::OperationFailed,
                                     .commErrorPrefix = msg::commErrorReadingDatalog,
                                     .exceptionPrefix = msg::exceptionWhileReadingDatalog,
                                     .unknownText = msg::unknownExceptionReadingDatalogDot};

}  // namespace

GdcDatalogReaderPrivate::GdcDatalogReaderPrivate(ContextGuard context)
    : Task(std::move(context), readerTaskValue), gatewayName_(msg::unknownText), gatewayVersion_(msg::unknownText) {}

GdcDatalogReaderPrivate::~GdcDatalogReaderPrivate() {
    CancelAndWait();
}

void GdcDatalogReaderPrivate::setSectionSelected(int32_t option, bool selected) {
    if (selected) {
        selection_.insert(option);
    } else {
        selection_.erase(option);
    }
}

void GdcDatalogReaderPrivate::setTexts(std::u16string gatewayName, std::u16string gatewayVersion) {
    gatewayName_ = std::move(gatewayName);
    gatewayVersion_ = std::move(gatewayVersion);
}

std::vector<Error> GdcDatalogReaderPrivate::errors() const {
    std::lock_guard lock(errorsMutex_);
    return errors_;
}

bool GdcDatalogReaderPrivate::succeeded() {
    return IsFinished() && errors().empty();
}

void GdcDatalogReaderPrivate::log(LogLevel level, std::u16string_view text) const {
    context()->log(level, text);
}

void GdcDatalogReaderPrivate::Prepare() {
    auto fail = [this](ErrorCode code, const char16_t* text) {
        log(LogLevel::Error, text);
        throw readerError(code, text);
    };
    if (outputPath_.empty() || !device_) fail(ErrorCode::InvalidArgument, msg::deviceOrOutputPathUndefined);
    if (!device_->isOpen() || device_->portName().empty()) fail(ErrorCode::NotConnected, msg::deviceNotConnected);
    if (context()->filesystem().exists(outputPath_)) fail(ErrorCode::InvalidArgument, msg::outputFileExists);
    setProgress(0.0);
}

void GdcDatalogReaderPrivate::Run() {
    try {
        readDatalog();
    } catch (...) {
        recordCaughtException();
    }
    if (errors().empty()) return;
    // Once a read pointer move was sent, the device may have marked its new data as read: the
    // archive, complete on disk since before that move, may hold the only copy.
    if (moveSent_) {
        recordLogged(msg::archiveKept);
        return;
    }
    // Otherwise a failed run leaves no archive: an unfinished one was never under the path, and a
    // finished one is taken back (nothing was moved, so the data is still new on the device).
    if (archivePublished_) context()->filesystem().remove(outputPath_);
}

void GdcDatalogReaderPrivate::record(Error error) {
    std::lock_guard lock(errorsMutex_);
    errors_.push_back(std::move(error));
}

void GdcDatalogReaderPrivate::recordLogged(const std::u16string& text) {
    log(LogLevel::Error, text);
    record(readerError(ErrorCode::OperationFailed, text));
}

void GdcDatalogReaderPrivate::recordCaughtException() {
    const CaughtException caught = describeCaughtException(readFailure);
    // The library's own errors are recorded as they are (an abort was logged where it was raised).
    if (caught.worded) log(LogLevel::Error, caught.error.message);
    record(caught.error);
}

void GdcDatalogReaderPrivate::abortCheck() {
    if (!IsCanceled()) return;
    log(LogLevel::Error, msg::abortedByUser);
    throw readerError(ErrorCode::Aborted, msg::abortedByUser);
}

void GdcDatalogReaderPrivate::exchange(const FirmwareCmdMessage& request, FirmwareResponseMessage& response) {
    AbstractUartInterface* link = device_->link();
    if (link == nullptr) throw CommInterface::CommError(1);
    FirmwareMessageHandler::sendRequest(*context(), *link, request, response);
}

void GdcDatalogReaderPrivate::readDatalog() {
    IntervalSegment root;
    const IntervalSegment& preparation = root.addChild(0.0, preparationSteps, preparationWeight);
    IntervalSegment& reading = root.addChild(0.0, 1.0, readingWeight);

    DatalogMetaData metaData;
    metaData.creatingSoftware = toUtf8(msg::creatingSoftware);
    metaData.creatingSoftwareVersion = libraryVersionText();
    metaData.gatewayName = gatewayName_;
    metaData.gatewayVersion = gatewayVersion_;

    triggerMaintenanceMode();
    sayHello(metaData);
    setProgress(preparation.value(1));
    readFootprint(metaData);
    setProgress(preparation.value(2));
    log(LogLevel::Debug,
        widen(fmt::format(msg::metaDataLogFormat, metaData.deviceSerialNumber, metaData.devicePartNumber,
                          metaData.deviceId, metaData.deviceFirmwareVersion)));
    setProgress(preparation.value(3));
    readMemoryConfiguration();
    setProgress(preparation.value(4));

    GdcDatalogArchiveWriter writer(context(), outputPath_);
    writer.setMemoryConfiguration(memoryConfiguration_);
    writer.setMetaData(metaData);

    SectionMap sections = sectionMap();
    for (auto& [section, entry] : sections)
        entry.segment = &reading.addChild(0.0, memoryConfiguration_.pagesOf(section), 1.0 / sections.size());
    for (auto& [section, entry] : sections) {
        const auto number = static_cast<int32_t>(section);
        log(LogLevel::Info, widen(entry.readAll ? fmt::format(msg::readingAllFormat, number)
                                                : fmt::format(msg::readingNewFormat, number)));
        readSection(section, entry);
        writer.addSection(number, entry.firstPageOffset, entry.data);
    }
    // The new data is marked as read only once the whole archive is complete, closed and on
    // stable storage under its path.
    writer.finish();
    archivePublished_ = true;
    moveReadPointers(sections);
    setProgress(1.0);
}

void GdcDatalogReaderPrivate::triggerMaintenanceMode() {
    // Maintenance mode lasts a while on the device; it is renewed before it runs out.
    const ExchangePolicy& policy = context()->exchangePolicy();
    const std::time_t now = std::time(nullptr);
    if (now - lastMaintenanceTrigger_ < maintenanceRetriggerS) return;
    log(LogLevel::Info, msg::retriggeringMaintenance);
    SetMaintenanceModeResponse response;
    exchange(SetMaintenanceModeRequest(true, static_cast<int32_t>(policy.maintenanceDurationS)), response);
    lastMaintenanceTrigger_ = now;
}

void GdcDatalogReaderPrivate::sayHello(DatalogMetaData& metaData) {
    abortCheck();
    log(LogLevel::Debug, msg::sayingHello);
    HelloResponse hello;
    exchange(HelloMessage(), hello);
    metaData.devicePartNumber = hello.partNumber;
    metaData.deviceSerialNumber = hello.serialNumber;
    metaData.deviceFirmwareVersion = hello.firmwareVersion;
    metaData.deviceDate = deviceTimeText(hello.deviceTime);
    const std::time_t now = std::time(nullptr);
    metaData.creationDate = isoTimeText(now, true);
    const CurrentTimeZone zone = hostTimeZone(now);
    metaData.creationTimezone = zone.name;
    metaData.creationDst = zone.daylightSaving ? "true" : "false";
    log(LogLevel::Debug, widen(fmt::format(msg::deviceAndHostTimeFormat, metaData.deviceDate, metaData.creationDate)));
}

void GdcDatalogReaderPrivate::readFootprint(DatalogMetaData& metaData) {
    abortCheck();
    log(LogLevel::Debug, msg::exchangingFootprint);
    FootprintResponse footprint;
    exchange(FootprintRequest(), footprint);
    metaData.deviceId = gsrDeviceId(footprint.deviceType);
}

void GdcDatalogReaderPrivate::readMemoryConfiguration() {
    abortCheck();
    GdcDatalogReadMemoryConfigurationResponse response(lowestControlVersion);
    exchange(GdcDatalogReadMemoryConfigurationRequest(), response);
    memoryConfiguration_ = response.configuration;
}

// Session data is always read in full; measurement, event and debug data unless the host skips
// them, and only their new part unless it asks for everything. Control and diagnostic data stay
// on the device.
GdcDatalogReaderPrivate::SectionMap GdcDatalogReaderPrivate::sectionMap() const {
    const bool readAll = selection_.contains(readEverything);
    SectionMap sections;
    sections[GdcDatalogSection::Session].readAll = true;
    if (!selection_.contains(skipMeasurement)) sections[GdcDatalogSection::Measurement].readAll = readAll;
    if (!selection_.contains(skipEvent)) sections[GdcDatalogSection::Event].readAll = readAll;
    if (!selection_.contains(skipDebug)) sections[GdcDatalogSection::Debug].readAll = readAll;
    return sections;
}

namespace {

// One read-out of a section: requests numbered from 0 until a reply brings no pages; `onReply`
// hears the pages of each reply and the running total.
template <class Request, class Response, class Exchange, class Progress>
void readPages(const DatalogMemoryConfiguration& configuration, GdcDatalogSection section, std::vector<uint8_t>& data,
               uint32_t& firstPageOffset, Exchange&& exchange, Progress&& onReply) {
    uint32_t received = 0;
    for (uint16_t index = 0;; ++index) {
        Response response(configuration);
        exchange(Request(configuration, static_cast<uint32_t>(section), index), response);
        data.insert(data.end(), response.pageData.begin(), response.pageData.end());
        if (index == 0) firstPageOffset = response.pageHeader;
        received += response.pageCount;
        onReply(response.pageCount, received);
        if (response.pageCount == 0) return;
    }
}

}  // namespace

void GdcDatalogReaderPrivate::readSection(GdcDatalogSection section, SectionRead& entry) {
    setProgress(entry.segment->value(0));
    auto exchangeChecked = [this](const FirmwareCmdMessage& request, FirmwareResponseMessage& response) {
        abortCheck();
        exchange(request, response);
    };
    auto onReply = [&](uint32_t pages, uint32_t received) {
        log(LogLevel::Debug, widen(fmt::format(msg::receivedPagesFormat, pages, static_cast<int32_t>(section))));
        setProgress(entry.segment->value(received));
    };
    if (entry.readAll) {
        readPages<GdcDatalogReadFromBeginningRequest, GdcDatalogReadFromBeginningResponse>(
            memoryConfiguration_, section, entry.data, entry.firstPageOffset, exchangeChecked, onReply);
    } else {
        readPages<GdcDatalogReadNewRequest, GdcDatalogReadNewResponse>(memoryConfiguration_, section, entry.data,
                                                                       entry.firstPageOffset, exchangeChecked, onReply);
    }
}

void GdcDatalogReaderPrivate::moveReadPointers(const SectionMap& sections) {
    for (const auto& [section, entry] : sections) {
        if (entry.readAll) continue;
        log(LogLevel::Debug, widen(fmt::format(msg::movingReadPointerFormat, static_cast<int32_t>(section))));
        moveSent_ = true;
        GdcDatalogMoveReadPositionResponse response;
        exchange(GdcDatalogMoveReadPositionRequest(static_cast<uint32_t>(section)), response);
    }
}

}  // namespace devlib_instr
