// The datalog page replies ("dm", "dn"): a 2-byte page header and whole pages, sent as hex text
// or as substitution-encoded raw bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comm/CommandCatalogue.hpp"
#include "comm/DatalogMemoryConfiguration.hpp"

namespace devlib_instr {

class AbstractGdcDatalogReadResponse : public FirmwareResponseMessage {
public:
    void parsePayload() override;

    DatalogMemoryConfiguration configuration;  // gives the page size
    uint32_t pageCount = 0;
    std::vector<uint8_t> pageData;  // the pages back to back
    uint32_t pageHeader = 0;        // first two decoded bytes, little-endian

protected:
    AbstractGdcDatalogReadResponse(std::u16string description, std::string code, uint32_t expectedLength,
                                   const DatalogMemoryConfiguration& configuration);
};

class GdcDatalogReadFromBeginningResponse
    : public CatalogueResponse<Command::GdcDatalogReadFromBeginning, AbstractGdcDatalogReadResponse> {
public:
    explicit GdcDatalogReadFromBeginningResponse(const DatalogMemoryConfiguration& configuration)
        : CatalogueResponse(configuration) {}
};

class GdcDatalogReadNewResponse : public CatalogueResponse<Command::GdcDatalogReadNew, AbstractGdcDatalogReadResponse> {
public:
    explicit GdcDatalogReadNewResponse(const DatalogMemoryConfiguration& configuration)
        : CatalogueResponse(configuration) {}
};

// Decodes substitution-encoded blocks in place (2 header bytes, up to 253 data bytes; header byte
// 0 stands for 0x00, header byte 1 for 0x0D) and returns the decoded length.
size_t decodeSubstitution(uint8_t* data, size_t length);

}  // namespace devlib_instr
