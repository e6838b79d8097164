// One row per model. Types 16 to 19 are registered models that report no footprint key of their
// own yet: they keep their GSR device IDs until their keys are known.
#include "comm/DeviceModels.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace devlib_instr {

namespace {

struct DeviceModel {
    uint16_t footprintKey;  // as the footprint reply carries it (little-endian); 0: none yet
    int32_t deviceType;
    std::string_view gsrId;
};

constexpr std::array<DeviceModel, 19> models{{
    {0x0511, 1, "8320"},    {0x0512, 2, "8321"},    {0x0513, 3, "8322"},    {0x0514, 4, "8323"},
    {0x0515, 5, "8324"},    {0x0516, 6, "8325"},    {0x0517, 7, "8326"},    {0x0518, 8, "8327"},
    {0x0519, 9, "83210"},   {0x051A, 10, "83211"},  {0x051B, 11, "83212"},  {0x051C, 12, "83213"},
    {0x0521, 13, "832140"}, {0x0522, 14, "832141"}, {0x0523, 15, "832142"}, {0, 16, "8330"},
    {0, 17, "8331"},        {0, 18, "8332"},        {0, 19, "8333"},
}};

const DeviceModel* findModel(auto matches) {
    const auto row = std::find_if(models.begin(), models.end(), matches);
    return row != models.end() ? &*row : nullptr;
}

}  // namespace

int32_t deviceTypeForFootprintKey(uint16_t key) {
    if (key == 0) return 0;
    const DeviceModel* model = findModel([key](const DeviceModel& m) { return m.footprintKey == key; });
    return model != nullptr ? model->deviceType : 0;
}

std::string gsrDeviceId(int32_t deviceType) {
    const DeviceModel* model = findModel([deviceType](const DeviceModel& m) { return m.deviceType == deviceType; });
    return model != nullptr ? std::string(model->gsrId) : std::string();
}

}  // namespace devlib_instr
