#include "sim/DefaultDetector.hpp"

namespace torvik::sim::defaults {
namespace {

// Where a channel's values live, relative to its channel configuration (cfg) and sensor record.
struct ChannelLayout {
    uint32_t gasName, unit, lel, upperA1, upperA2, stel, twa, enable, alarmFlags, calibrationDays;
    uint32_t molarMass;  // in the sensor record
};
constexpr ChannelLayout kEcLayout{0, 16, 56, 20, 24, 32, 28, 37, 36, 44, 480};
constexpr ChannelLayout kIrLayout{0, 28, 20, 32, 36, 44, 40, 49, 48, 56, 36};

constexpr uint32_t kDeviceActiveOffset = 3;  // + channel: 1 = active
constexpr uint32_t kDeviceClassOffset = 9;   // + channel: bit 0x01 = class 1

void writeDeviceSettings(DatabaseImage& db) {
    constexpr uint32_t base = db::kDeviceConfig;
    db.setU16(base + 26, kBumpTestDays);
    db.setU8(base + 18, kBumpTestReactionByte);
    db.setU8(base + 65, kBumpTestWarningDays);
    db.setU8(base + 47, kCalibrationReactionByte);
    db.setU8(base + 66, kCalibrationWarningDays);
    db.setU8(base + 45, kLifeSignalByte);
    db.setU8(base + 38, kSwitchOffByte);
    db.setU16(base + 60, kQuickMenuWord);
    db.setU16(base + 30, kKey30Value);
    db.setU8(base + 17, kChannelSelectionByte);
}

void writeChannel(DatabaseImage& db, const Channel& ch) {
    bool ir = ch.sensorKind == 3;
    const ChannelLayout& at = ir ? kIrLayout : kEcLayout;
    uint32_t cfg = ir ? db::irChannelConfig(ch.channel - 4) : db::ecChannelConfig(ch.channel);
    uint32_t record = ir ? db::irSensorRecord(ch.channel - 4) : db::ecSensorRecord(ch.channel);
    db.setU8(db::kDeviceConfig + kDeviceActiveOffset + static_cast<uint32_t>(ch.channel), 1);
    db.setU8(db::kDeviceConfig + kDeviceClassOffset + static_cast<uint32_t>(ch.channel), ch.channelClass);
    db.setText(cfg + at.gasName, ch.gasName, 4);
    db.setU8(cfg + at.unit, ch.unit);
    db.setFloat(cfg + at.lel, ch.lelPpm);
    db.setFloat(cfg + at.upperA1, ch.upperA1Ppm);
    db.setFloat(cfg + at.upperA2, ch.upperA2Ppm);
    db.setFloat(cfg + at.stel, ch.stelPpm);
    db.setFloat(cfg + at.twa, ch.twaPpm);
    db.setU8(cfg + at.enable, ch.stelTwaEnable);
    db.setU8(cfg + at.alarmFlags, ch.alarmFlags);
    db.setU16(cfg + at.calibrationDays, ch.calibrationDays);
    db.setFloat(record + at.molarMass, ch.molarMass);
    if (ir) {
        db.setText(db::kIrSensorDataSet + 0, ch.sensorPartNumber, 7);
        db.setText(db::kIrSensorDataSet + 28, kIrDataSetPartNumber, 7);
        db.setU8(db::kIrSensorDataSet + 35, ch.sensorVersion);
    } else {
        db.setText(record + 0, ch.sensorPartNumber, 7);
        db.setU8(record + 21, ch.sensorVersion);
    }
}

}  // namespace

DatabaseImage database() {
    DatabaseImage db;
    writeDeviceSettings(db);
    for (const Channel& ch : kChannels) writeChannel(db, ch);
    db.sealAll();
    return db;
}

DatalogStore datalog() {
    DatalogStore store(kPageSize);
    for (int s = 0; s < kDatalogSectionCount; ++s) {
        store.appendGeneratedPages(s, kSectionPages[static_cast<size_t>(s)]);
        store.setReadPointer(s, kReadPointers[static_cast<size_t>(s)]);
    }
    return store;
}

}  // namespace torvik::sim::defaults
