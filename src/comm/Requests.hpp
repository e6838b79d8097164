// The requests of the detector's command set. Each is complete once constructed: its payload is
// laid out and its frame encoded.
#pragma once

#include <cstdint>
#include <string>

#include "comm/CommandCatalogue.hpp"
#include "comm/DatalogMemoryConfiguration.hpp"

namespace devlib_instr {

class HelloMessage : public CatalogueRequest<Command::Hello> {};
class ConnectMessage : public CatalogueRequest<Command::Connect> {};
class DisconnectMessage : public CatalogueRequest<Command::Disconnect> {};
class ReadDeviceStateRequest : public CatalogueRequest<Command::ReadDeviceState> {};
class SwitchOnRequest : public CatalogueRequest<Command::SwitchOn> {};
class SwitchOffRequest : public CatalogueRequest<Command::SwitchOff> {};
class GdcDatalogReadMemoryConfigurationRequest : public CatalogueRequest<Command::GdcDatalogReadMemoryConfiguration> {};

// The fixed footprint query.
class FootprintRequest : public CatalogueRequest<Command::Footprint> {
public:
    FootprintRequest();
};

// "1" or "0", then the duration in seconds (clamped to 0..60) as 4 bytes little-endian.
class SetMaintenanceModeRequest : public CatalogueRequest<Command::SetMaintenanceMode> {
public:
    SetMaintenanceModeRequest(bool enable, int32_t durationSeconds);
};

// Address (4 bytes) and length (2 bytes), both big-endian.
class ReadMemoryRequest : public CatalogueRequest<Command::ReadMemory> {
public:
    ReadMemoryRequest(uint32_t address, uint16_t length);
};

// Address (4 bytes) and the low 16 bits of length (2 bytes), both big-endian, then the data.
class WriteMemoryRequest : public CatalogueRequest<Command::WriteMemory> {
public:
    WriteMemoryRequest(uint32_t address, const uint8_t* data, uint32_t length);
};

// The section as one decimal digit.
class GdcDatalogMoveReadPositionRequest : public CatalogueRequest<Command::GdcDatalogMoveReadPosition> {
public:
    explicit GdcDatalogMoveReadPositionRequest(uint32_t section);
};

class GdcDatalogClearRequest : public CatalogueRequest<Command::GdcDatalogClear> {
public:
    GdcDatalogClearRequest();
};

// A datalog page read: section digit, "0", then the request index (2 bytes little-endian).
// requestIndex counts the requests of one read-out of a section, from 0.
class AbstractGdcDatalogReadRequest : public FirmwareCmdMessage {
public:
    DatalogMemoryConfiguration configuration;

protected:
    AbstractGdcDatalogReadRequest(std::string code, const DatalogMemoryConfiguration& configuration, uint32_t section,
                                  uint16_t requestIndex);
};

template <Command C>
class CatalogueDatalogReadRequest : public AbstractGdcDatalogReadRequest {
public:
    CatalogueDatalogReadRequest(const DatalogMemoryConfiguration& configuration, uint32_t section,
                                uint16_t requestIndex)
        : AbstractGdcDatalogReadRequest(std::string(commandSpec(C).sent), configuration, section, requestIndex) {}
};

class GdcDatalogReadFromBeginningRequest : public CatalogueDatalogReadRequest<Command::GdcDatalogReadFromBeginning> {
public:
    using CatalogueDatalogReadRequest::CatalogueDatalogReadRequest;
};

class GdcDatalogReadNewRequest : public CatalogueDatalogReadRequest<Command::GdcDatalogReadNew> {
public:
    using CatalogueDatalogReadRequest::CatalogueDatalogReadRequest;
};

// The payload digit of a datalog section (0..5); others raise std::runtime_error
// "Unknown GDC datalog section.".
char gdcDatalogSectionDigit(uint32_t section);

}  // namespace devlib_instr
