// The "dk" reply: the GDC datalog memory configuration.
#pragma once

#include <cstdint>

#include "comm/CommandCatalogue.hpp"
#include "comm/DatalogMemoryConfiguration.hpp"

namespace devlib_instr {

class GdcDatalogReadMemoryConfigurationResponse : public CatalogueResponse<Command::GdcDatalogReadMemoryConfiguration> {
public:
    // expectedVersion: the lowest control version accepted (kept in configuration.controlVersion
    // until a reply overwrites it). Below 3 the reply is the old record without version bytes.
    explicit GdcDatalogReadMemoryConfigurationResponse(uint32_t expectedVersion);

    void parsePayload() override;

    DatalogMemoryConfiguration configuration;
};

}  // namespace devlib_instr
