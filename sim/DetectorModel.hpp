// The simulated detector itself, free of any line: it takes one request frame (without its CR)
// and gives the reply frame (with its CR), holding the identity, clock, operating state,
// maintenance mode, GDC datalog and configuration database that the commands read and change.
// Its members are open on purpose: tests set up and inspect the device through them, under the
// simulator's lock (Simulator::withModel).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "sim/DatabaseImage.hpp"
#include "sim/DatalogStore.hpp"
#include "sim/DefaultDetector.hpp"
#include "sim/DeviceStateMachine.hpp"

namespace torvik::sim {

// The hello identity. The texts go on the wire as they are, so a test that wants a malformed hello
// payload (33 or 35 characters) only has to make one of them shorter or longer.
struct DeviceIdentity {
    std::string firmwareText{defaults::kFirmwareText};  // hello characters 0..5
    std::string partNumber{defaults::kPartNumber};      // 7 characters
    std::string serialDigits{defaults::kSerialDigits};  // 8 digits, shown as XXXX-YYYY
    uint16_t footprintKey = defaults::kFootprintKey;
    uint16_t footprintRevision = defaults::kFootprintRevision;
};

struct DeviceClock {
    uint16_t dayNumber = defaults::kDayNumber;  // days since 1900-01-01
    uint32_t secondOfDay = defaults::kSecondOfDay;
};

// How "dm"/"dn" replies carry their pages: Auto uses the substitution encoding "2" while the
// payload stays below 1024 characters (the most some hosts decode), else hex "0"; Substitution
// sends "2" at any length.
enum class DatalogEncoding { Auto, Hex, Substitution };

struct DatalogOptions {
    uint32_t maxPagesPerReply = defaults::kMaxPagesPerReply;
    DatalogEncoding encoding = DatalogEncoding::Auto;
    uint8_t controlVersion = defaults::kControlVersion;
    uint8_t versionByte2 = defaults::kVersionByte2;
};

class DetectorModel {
public:
    DetectorModel();

    struct Answer {
        std::string code;   // the command code recognised (or the first two characters)
        std::string reply;  // the complete reply frame, CR included
    };
    // Answers one request frame (without its CR): a bad checksum gets the standard error 8, an
    // unknown command 12, a malformed payload 3.
    Answer answer(std::string_view frame);

    // The command code a frame starts with, as the fault knobs name it ("AR", "H", ...).
    static std::string commandCode(std::string_view frame);

    // Reconfigures the datalog page size; the sections are refilled with the default page counts.
    void setPageSize(uint16_t pageSize);

    DeviceIdentity identity;
    DeviceClock clock;
    DeviceStateMachine state{defaults::kInitialState, defaults::kTransitionPolls};
    bool maintenanceMode = false;  // set by "BH1...", cleared by "BH0..."
    uint32_t maintenanceDuration = 0;
    bool connected = false;  // between "AC" and "AD"
    DatalogStore datalog;
    DatalogOptions datalogOptions;
    DatabaseImage database;

    // Device rules a careless host would break: "AW" is refused (status 0) unless connected, and
    // "DL" gets the standard error 14 unless maintenance mode is on. Either can be switched off.
    bool requireConnectForWrite = true;
    bool requireMaintenanceForClear = true;

    // How often each command code has been answered (checksum errors and unknown codes not counted).
    uint32_t commandCount(std::string_view code) const;

private:
    friend class CommandDispatcher;

    std::string onHello(std::string_view payload);
    std::string onConnect(std::string_view payload);
    std::string onDisconnect(std::string_view payload);
    std::string onFootprint(std::string_view payload);
    std::string onReadState(std::string_view payload);
    std::string onSwitchOn(std::string_view payload);
    std::string onSwitchOff(std::string_view payload);
    std::string onMaintenance(std::string_view payload);
    std::string onReadMemory(std::string_view payload);
    std::string onWriteMemory(std::string_view payload);
    std::string onMemoryConfiguration(std::string_view payload);
    std::string onReadFromBeginning(std::string_view payload);
    std::string onReadNew(std::string_view payload);
    std::string onMoveReadPosition(std::string_view payload);
    std::string onClearDatalog(std::string_view payload);

    std::string readDatalog(std::string_view payload, bool fromBeginning);
    std::string encodePages(const PageGroup& group) const;

    std::map<std::string, uint32_t, std::less<>> counts_;
};

}  // namespace torvik::sim
