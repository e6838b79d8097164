// Requests parsed into keys and values, and what the converter refuses before the database sees
// it; whole documents against the simulated detector are the host tests' part.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "config/ConfigurationConverter.hpp"
#include "config/ConfigurationDocument.hpp"
#include "config/ConfigurationRequestParser.hpp"
#include "config/KeyTable.hpp"
#include "core/Error.hpp"
#include "support/Thrown.hpp"

using namespace devlib_instr;

namespace {

// A database with channels 0, 1, 4 and 5; the values it does not hold read as unset.
class FakeCommunicator : public ConfigurationDatabaseCommunicatorInterface {
public:
    FakeCommunicator() {
        std::vector<uint8_t> image(256, 0);
        for (int channel : {0, 1, 4, 5}) image[3 + channel] = 1;
        image[17] = 0x04;
        map = ChannelMap::build(image);
    }
    bool readValues(const ConfigurationRequest& request, ConfigurationData& result) override {
        for (const auto& [channel, keys] : request)
            for (ConfigurationKey key : keys) {
                const Value* value = database.find(channel, key);
                result.set(channel, key, value != nullptr ? *value : unsetValue(key));
            }
        return true;
    }
    bool writeValues(const ConfigurationData&) override { return true; }
    void clear() override {}
    const ChannelMap& channelMap() const override { return map; }

    ConfigurationData database;
    ChannelMap map;
};

std::u16string parseError(const std::string& text, bool withValues = false) {
    ConfigurationData data;
    return torvik_test::thrown<Error>([&] { parseConfigurationRequest(text, withValues, data); }).value().message;
}

const std::string v = R"("version":"1.0.6")";

}  // namespace

// The messages the host tests do not reach: other roots and numbers the database cannot hold.
TEST(RequestParsing, MessagesForBadRequests) {
    struct Case {
        std::string body;
        bool withValues;
        std::u16string message;
    };
    const std::u16string key = u"Invalid key in JSON for node path: ";
    const std::u16string type = u"Invalid data type in JSON for node path: ";
    const Case cases[] = {
        {R"("channels":{"x":null})", false, key + u"channels.x"},
        {R"("sensors":{"4":null})", false, key + u"sensors.4"},
        {R"("gadgets":{})", false, key + u"gadgets"},
        {R"("device":{"switch_off":3})", false, type + u"device.switch_off"},
        {R"("device":{"switch_off":"sometimes"})", true, type + u"device.switch_off"},
        {R"("device":{"bumptest_interval":{"duration":70000}})", true, type + u"device.bumptest_interval.duration"},
        {R"("device":{"bumptest_interval":{"warning_period":-1}})", true,
         type + u"device.bumptest_interval.warning_period"},
        {R"("channels":{"0":{"calibration_interval":{"duration":1.5}}})", true,
         type + u"channels.0.calibration_interval.duration"},
    };
    for (const Case& c : cases) EXPECT_EQ(parseError("{" + v + "," + c.body + "}", c.withValues), c.message);
    EXPECT_EQ(parseError("[]"), u"JSON data can not be parsed");
}

TEST(ConfigurationConverter, AlarmLevelsOfAChannelWithoutUnitFailTheRead) {
    const auto fake = std::make_shared<FakeCommunicator>();
    fake->database.set(0, 66, 50.0f);  // an alarm level, but no unit
    ConfigurationConverter converter{fake};
    const std::string request = "{" + v + R"(,"channels":{"0":{"alarms":{"upper_a1":{"level":null}}}}})";
    EXPECT_EQ(torvik_test::thrown<Error>([&] { converter.read(request, 0); }).value().message,
              u"the gas features must return a valid unit for all configured channels");
}

// The fingerprint mixes whole values in key order: texts by character, floats truncated toward
// zero, signed values sign-extended.
TEST(Fingerprint, MixesWholeValuesInKeyOrder) {
    ConfigurationData data;
    EXPECT_EQ(configurationFingerprint(data), 0xCBF29CE484222325ULL);
    data.set(255, 10, int32_t{-1});
    data.set(0, 66, -2.9f);
    data.set(0, 40, makeText("CO"));
    data.set(0, 4, unsetValue(4));
    EXPECT_EQ(configurationFingerprint(data), 0x20B4AC9C7D6B39ACULL);
}
