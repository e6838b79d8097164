// torvik info: who the detector is. The API table offers the identity only inside a datalog
// archive, so this command reads the session section alone (which moves no read pointer and
// leaves the detector's data as it was) into a temporary archive and shows the device part of
// the archive's "gdcdatalogger.json" and the datalog memory's layout.
#include <nlohmann/json.hpp>

#include "ArchiveEntry.hpp"
#include "Commands.hpp"
#include "DatalogTransfer.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"
#include "FilePath.hpp"
#include "TempDirectory.hpp"
#include "TextFile.hpp"

namespace torvik::cli {

namespace {

struct InfoOptions {
    DeviceOptions device;
    bool compact = false;
};

// The metadata document of a session-only datalog read.
nlohmann::json readSessionMetadata(DeviceSession& session, InterruptWatch& interrupt) {
    TempDirectory directory;
    std::string archive = utf8Name(directory.path() / "session.zip");
    DatalogTransfer transfer{{DatalogOption::SkipMeasurement, DatalogOption::SkipEvent, DatalogOption::SkipDebug},
                             archive};
    transferDatalog(session, transfer, interrupt);
    nlohmann::json metadata = nlohmann::json::parse(readArchiveEntry(archive, "gdcdatalogger.json"), nullptr, false);
    if (!metadata.is_object()) throw ToolFailure("the datalog archive's gdcdatalogger.json is not a JSON object");
    return metadata;
}

// The member at `pointer`, or null when the document lacks it.
nlohmann::json member(const nlohmann::json& document, const char* pointer) {
    return document.value(nlohmann::json::json_pointer(pointer), nlohmann::json());
}

int runInfo(const InfoOptions& options) {
    InterruptWatch interrupt;  // before the simulator's and the reader's threads start
    DeviceSession session(options.device);
    DeviceState state = session.state();  // before the datalog read, which sets maintenance mode
    nlohmann::json metadata = readSessionMetadata(session, interrupt);
    printJson({{"port", session.port()},
               {"state", state.name()},
               {"maintenance_mode", state.maintenance},
               {"device_id", member(metadata, "/device/deviceId")},
               {"part_number", member(metadata, "/device/devicePartnumber")},
               {"serial_number", member(metadata, "/device/deviceSerialnumber")},
               {"firmware_version", member(metadata, "/device/deviceFirmwareVersion")},
               {"device_time", member(metadata, "/device/deviceDateISO8601")},
               {"datalog",
                {{"page_size", member(metadata, "/content/loggerInfo/pageSize")},
                 {"version", member(metadata, "/content/loggerInfo/version")},
                 {"measurement_variant", member(metadata, "/content/loggerInfo/measurementVariant")}}}},
              options.compact);
    return 0;
}

}  // namespace

void addInfoCommand(CLI::App& app, Handler& selected) {
    auto [command, options] = addCommand(
        app, "info", "show the detector's identity, firmware, clock and datalog layout (JSON)", selected, runInfo);
    command->footer(
        "Prints a JSON object: port, state (on, switched off, or the state number), maintenance_mode,\n"
        "device_id (the detector's GSR device ID), part_number, serial_number, firmware_version,\n"
        "device_time (the detector's clock read as the host's local time) and datalog (page_size,\n"
        "version, measurement_variant). They come from a device state request and a read of the\n"
        "datalog's session section, which change nothing on the detector. A detector left switched\n"
        "off shows \"state\": \"switched off\": switch it on at the detector.");
    addDeviceOptions(*command, options->device);
    command->add_flag("--compact", options->compact, "print the object on one line");
}

}  // namespace torvik::cli
