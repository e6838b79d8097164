// torvik info: who the detector is and what it is doing. The API table has no entry for the
// device identity, so this command runs the hello, footprint and device-state exchanges through
// the library's device class on the device the session opened.
#include <ctime>
#include <string>
#include <string_view>

#include "Commands.hpp"
#include "DeviceSession.hpp"
#include "ErrorReport.hpp"
#include "TextFile.hpp"
#include "api/ApiBoundary.hpp"
#include "comm/FirmwareMessageHandler.hpp"
#include "comm/Requests.hpp"
#include "comm/Responses.hpp"
#include "device/Device.hpp"

namespace torvik::cli {

namespace {

using devlib_instr::Device;

// Runs one exchange; its failures become ToolFailure naming the exchange.
template <class Work>
void identityExchange(std::string_view what, Work&& work) {
    std::string name(what);
    try {
        work();
    } catch (const devlib_instr::Error& e) {
        throw ToolFailure(describeError(e.category, e.code, reinterpret_cast<const InstrWChar*>(e.message.c_str())));
    } catch (const devlib_instr::FirmwareMessageHandler::CommunicationFailedException&) {
        throw ToolFailure("no valid answer from the device to the " + name + " request");
    } catch (const devlib_instr::CommInterface::CommError& e) {
        throw ToolFailure("serial link error " + std::to_string(e.code) + " during the " + name + " request");
    } catch (const std::exception& e) {
        throw ToolFailure("the " + name + " request failed: " + e.what());
    }
}

std::string isoText(const std::tm& time) {
    char text[32];
    size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &time);
    return std::string(text, length);
}

}  // namespace

int runInfo(const Arguments& args) {
    DeviceSession session(args);
    devlib_instr::HandleGuard<Device> device =
        devlib_instr::lockHandle(devlib_instr::api::fromHost<Device>(session.device()));
    if (!device) throw ToolFailure("the device handle is not valid");

    devlib_instr::HelloResponse hello;
    identityExchange("hello", [&] { device->exchange(devlib_instr::HelloMessage(), hello); });
    devlib_instr::FootprintResponse footprint;
    identityExchange("footprint", [&] { device->exchange(devlib_instr::FootprintRequest(), footprint); });
    int32_t state = 0;
    identityExchange("device state", [&] { state = device->readDeviceState(); });

    printJson({{"port", device->portName()},
               {"part_number", hello.partNumber},
               {"serial_number", hello.serialNumber},
               {"firmware_version", hello.firmwareVersion},
               {"device_time", isoText(hello.deviceTime)},
               {"device_type", footprint.deviceType},
               {"device_state", state}},
              args.has("compact"));
    return 0;
}

}  // namespace torvik::cli
