// The responses of the detector's command set. Acknowledgements carry no fields: a valid frame
// with the right code is the answer.
#pragma once

#include <cstdint>
#include <vector>

#include "comm/CommandCatalogue.hpp"
#include "comm/GdcDatalogReadMemoryConfigurationResponse.hpp"
#include "comm/GdcDatalogReadResponse.hpp"
#include "comm/HelloResponse.hpp"
#include "comm/ReadDeviceStateResponse.hpp"

namespace devlib_instr {

class ConnectResponse : public CatalogueResponse<Command::Connect> {};
class DisconnectResponse : public CatalogueResponse<Command::Disconnect> {};
class SwitchOnResponse : public CatalogueResponse<Command::SwitchOn> {};
class SwitchOffResponse : public CatalogueResponse<Command::SwitchOff> {};
class SetMaintenanceModeResponse : public CatalogueResponse<Command::SetMaintenanceMode> {};
class GdcDatalogMoveReadPositionResponse : public CatalogueResponse<Command::GdcDatalogMoveReadPosition> {};
class GdcDatalogClearResponse : public CatalogueResponse<Command::GdcDatalogClear> {};

// 4 bytes: a little-endian key of the device model, looked up in the device-type table.
class FootprintResponse : public CatalogueResponse<Command::Footprint> {
public:
    void parsePayload() override;
    int32_t deviceType = 0;  // 0 for an unknown key
};

// Address (4 bytes, unused) and length (2 bytes), little-endian, then exactly length data bytes.
class ReadMemoryResponse : public CatalogueResponse<Command::ReadMemory> {
public:
    void parsePayload() override;
    std::vector<uint8_t> data;
};

// One status byte; its meaning belongs to the database communicator.
class WriteMemoryResponse : public CatalogueResponse<Command::WriteMemory> {
public:
    void parsePayload() override;
    uint8_t status = 0;
};

}  // namespace devlib_instr
