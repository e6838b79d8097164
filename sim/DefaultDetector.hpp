// The believable default Torvik that every simulator starts as: identity, clock, footprint key,
// state behaviour, datalog layout and database contents. Tests assert against these constants.
//
// Channel layout (display index = order on the device's display):
//   channel 0: EC, CO   in "ppm"    (unit 1, class 0), display index 2
//   channel 1: EC, H2S  in "mg/m3"  (unit 5, class 2), display index 3
//   channel 2: EC, O2   in "mbar"   (unit 7, class 3), display index 4, channel class 1: no STEL/TWA
//   channel 3: inactive
//   channel 4: IR, CH4  in "%{lel}" (unit 3, class 1), display index 0 (IR index 0, 0x13000000)
//   channel 5: IR, CO2  in "%{vol}" (unit 0, class 0), display index 1 (IR index 1, 0x14000000)
// Alarm levels are stored in ppm, as on the device.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "sim/DatabaseImage.hpp"
#include "sim/DatalogStore.hpp"

namespace torvik::sim::defaults {

// Hello identity: firmware text (characters 0..5 of the hello payload) "V105B3" reads as 1.5.
constexpr std::string_view kFirmwareText = "V105B3";
constexpr std::string_view kFirmwareVersion = "1.5";
constexpr std::string_view kPartNumber = "8327640";
constexpr std::string_view kSerialDigits = "24610137";   // sent as 8 digits
constexpr std::string_view kSerialNumber = "2461-0137";  // as the host shows it
// Device clock: 2026-03-14 09:26:53 (days since 1900-01-01, second of the day); it stands still.
constexpr uint16_t kDayNumber = 46093;
constexpr uint32_t kSecondOfDay = 34013;

// Footprint: the "_f" payload is 1A050200, the device-model key 0x051A (1306) little-endian, then
// the hardware revision 2.
constexpr uint16_t kFootprintKey = 0x051A;
constexpr uint16_t kFootprintRevision = 0x0002;

// Device state word: 9 (on) at start; "AO" gives 1 and "AM" gives 9 after one more "AI" poll
// (the first poll after the switch still shows the old state).
constexpr int32_t kInitialState = 9;
constexpr uint32_t kTransitionPolls = 1;

// GDC datalog: control version 3, versionByte2 1 (long measurement records), 256-byte pages,
// at most 4 pages per "dm"/"dn" reply. The memory configuration reports the stored page counts.
constexpr uint8_t kControlVersion = 3;
constexpr uint8_t kVersionByte2 = 1;
constexpr uint16_t kPageSize = 256;
constexpr uint32_t kMaxPagesPerReply = 4;
// Pages stored per section 0..5 and the read pointer of each (the new data starts there).
constexpr std::array<uint32_t, 6> kSectionPages{10, 3, 1, 2, 5, 1};
constexpr std::array<uint32_t, 6> kReadPointers{4, 0, 0, 0, 5, 0};

// Device settings (device configuration section 0x04000000).
constexpr uint16_t kBumpTestDays = 30;              // key 1, offset 26
constexpr uint8_t kBumpTestReactionByte = 0x04;     // key 3, offset 18: 1 "warning"
constexpr uint8_t kBumpTestWarningDays = 7;         // key 4, offset 65
constexpr uint8_t kCalibrationReactionByte = 0x02;  // key 5, offset 47: 1 "warning"
constexpr uint8_t kCalibrationWarningDays = 14;     // key 6, offset 66
constexpr uint8_t kLifeSignalByte = 0x01;           // keys 8/9, offset 45: horn false, LED true
constexpr uint8_t kSwitchOffByte = 0x02;            // key 10, offset 38: 1 "not allowed during a2"
constexpr uint16_t kQuickMenuWord = 0x0003;         // keys 11/12/16, offset 60: true, true, false
constexpr uint16_t kKey30Value = 500;               // key 30, offset 30
constexpr uint8_t kChannelSelectionByte = 0x06;     // offset 17: IR on channels 4 and 5

// One default channel; the alarm flag byte holds keys 68 (0x10), 69 (0x20), 70 (0x01),
// 74 (0x40), 75 (0x80), 76 (0x04); the enable byte keys 47 (0x02) and 53 (0x01).
struct Channel {
    int channel;
    uint8_t sensorKind;    // 1 EC, 3 IR
    uint8_t channelClass;  // byte 9 + channel, bit 0x01
    uint8_t displayIndex;
    std::string_view gasName;           // key 40
    uint8_t unit;                       // key 41
    float lelPpm;                       // key 84 (0 for gases that do not burn)
    float molarMass;                    // key 85, g/mol
    float upperA1Ppm;                   // key 66
    float upperA2Ppm;                   // key 72
    float stelPpm;                      // key 42
    float twaPpm;                       // key 48
    uint8_t stelTwaEnable;              // keys 47/53
    uint8_t alarmFlags;                 // keys 68..70, 74..76
    uint16_t calibrationDays;           // key 31
    std::string_view sensorPartNumber;  // key 36
    uint8_t sensorVersion;              // key 38
};

// 0x95: A1 acknowledgeable, not latching, rising; A2 not acknowledgeable, latching, rising.
// 0xA4: A1 not acknowledgeable, latching, falling; A2 not acknowledgeable, latching, rising.
constexpr std::array<Channel, 5> kChannels{{
    {0, 1, 0, 2, "CO", 1, 125000.0f, 28.01f, 30.0f, 60.0f, 200.0f, 30.0f, 0x03, 0x95, 180, "6813080", 2},
    {1, 1, 0, 3, "H2S", 5, 40000.0f, 34.08f, 5.0f, 10.0f, 10.0f, 5.0f, 0x03, 0x95, 180, "6813085", 3},
    {2, 1, 1, 4, "O2", 7, 0.0f, 32.0f, 190000.0f, 230000.0f, 0.0f, 0.0f, 0x00, 0xA4, 180, "6813090", 1},
    {4, 3, 0, 0, "CH4", 3, 44000.0f, 16.04f, 4400.0f, 8800.0f, 0.0f, 0.0f, 0x00, 0x95, 365, "6813500", 4},
    {5, 3, 0, 1, "CO2", 0, 0.0f, 44.01f, 5000.0f, 10000.0f, 15000.0f, 5000.0f, 0x03, 0x95, 365, "6813500", 4},
}};

// The two IR channels share the IR sensor data set (0x17000000): part number (key 36, offset 0),
// data set part number (key 37, offset 28) and version (key 38, offset 35).
constexpr std::string_view kIrDataSetPartNumber = "6813510";

// The default database, every section sealed.
DatabaseImage database();
// The default datalog contents: generated pages and read pointers as above.
DatalogStore datalog();

}  // namespace torvik::sim::defaults
