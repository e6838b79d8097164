// Between the JSON document and the database communicator: parses requests into keys, has the
// communicator read or write them, converts alarm levels between ppm and each channel's unit, and
// builds the response document or the fingerprint.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "config/ConfigurationData.hpp"
#include "config/ConfigurationDatabaseCommunicatorInterface.hpp"
#include "config/ConfigurationRequestParser.hpp"
#include "torvik/instrument_api.h"

namespace devlib_instr {

class ConfigurationConverter {
public:
    static constexpr uint32_t fingerprintOption = INSTR_CONFIGURATION_FINGERPRINT;

    // `note` hears what a refused request got wrong (see RefusalNote).
    explicit ConfigurationConverter(std::shared_ptr<ConfigurationDatabaseCommunicatorInterface> communicator,
                                    RefusalNote note = {});

    // The response document, or with option 1 the fingerprint as unsigned decimal text.
    std::string read(std::string_view request, uint32_t option);
    void write(std::string_view document);

private:
    // Keys 41, 84 and 85 of channels 0 ... 5, read only when the values hold a set alarm level;
    // empty otherwise.
    ConfigurationData readGasFeatures(const ConfigurationData& values);
    // Keys 33 to 35 from the channel map, for active channels.
    void fillChannelMapKeys(ConfigurationData& values) const;

    std::shared_ptr<ConfigurationDatabaseCommunicatorInterface> communicator_;
    RefusalNote note_;
};

// Steps of the conversion, open for tests.
namespace conversion {
// Converts every set alarm level of channels 0 ... 5, from ppm (toUnit) or to ppm. A level
// that has no finite value in ppm is refused as a wrong data type; one that has none in the
// channel's unit becomes unset.
void convertAlarmLevels(ConfigurationData& values, const ConfigurationData& gas, bool toUnit);
// Removes the writable values that equal what the device holds (`current`, in the document's
// units), so that they are not written.
void dropUnchanged(ConfigurationData& values, const ConfigurationData& current);
// Requested keys that are still unset get the document's fixed values; alarm units become the
// channel's measuring unit where it is known (from the gas features, else from the values).
void fillFixedValues(ConfigurationData& values, const ConfigurationData& gas);
}  // namespace conversion

}  // namespace devlib_instr
