// The detector's command set as one table: codes, request descriptions and reply capacity hints.
// The request and response classes are generated from its rows (Requests.hpp, Responses.hpp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "comm/FirmwareMessage.hpp"
#include "core/MessageCatalogue.hpp"

namespace devlib_instr {

enum class Command : uint8_t {
    Hello,
    Connect,
    Disconnect,
    Footprint,
    ReadDeviceState,
    SwitchOn,
    SwitchOff,
    SetMaintenanceMode,
    ReadMemory,
    WriteMemory,
    GdcDatalogReadMemoryConfiguration,
    GdcDatalogReadFromBeginning,
    GdcDatalogReadNew,
    GdcDatalogMoveReadPosition,
    GdcDatalogClear,
};

struct CommandSpec {
    Command command;
    std::string_view sent;            // request code
    std::string_view reply;           // response code
    std::u16string_view description;  // request description (empty for most)
    uint32_t replyHint;               // receive-buffer capacity hint of the response
};

inline constexpr std::array<CommandSpec, 15> commandTable{{
    {Command::Hello, "H", "h", msg::helloDevice, 200},
    {Command::Connect, "AC", "ac", msg::connectDevice, 200},
    {Command::Disconnect, "AD", "ad", msg::disconnectDevice, 200},
    {Command::Footprint, "_F", "_f", u"", 32},
    {Command::ReadDeviceState, "AI", "ai", u"", 0},
    {Command::SwitchOn, "AM", "am", u"", 0},
    {Command::SwitchOff, "AO", "ao", u"", 0},
    {Command::SetMaintenanceMode, "BH", "bh", u"", 0},
    {Command::ReadMemory, "AR", "ar", u"", 0},
    {Command::WriteMemory, "AW", "aw", u"", 0},
    {Command::GdcDatalogReadMemoryConfiguration, "DK", "dk", msg::readMemoryConfiguration, 32},
    {Command::GdcDatalogReadFromBeginning, "DM", "dm", u"", 521},
    {Command::GdcDatalogReadNew, "DN", "dn", u"", 521},
    {Command::GdcDatalogMoveReadPosition, "DP", "dp", u"", 8},
    {Command::GdcDatalogClear, "DL", "dl", u"", 2},
}};

constexpr const CommandSpec& commandSpec(Command command) {
    return commandTable[static_cast<size_t>(command)];
}

// Rows are indexed by their command.
static_assert([] {
    for (size_t i = 0; i < commandTable.size(); ++i)
        if (static_cast<size_t>(commandTable[i].command) != i) return false;
    return true;
}());

// A request of the table: code and description from the row; the payload is complete when the
// constructor runs, and the frame is encoded before construction ends.
template <Command C>
class CatalogueRequest : public FirmwareCmdMessage {
public:
    static constexpr const CommandSpec& row = commandSpec(C);

    CatalogueRequest() : CatalogueRequest(std::string()) {}
    explicit CatalogueRequest(std::string requestPayload)
        : FirmwareCmdMessage(std::u16string(row.description), std::string(row.sent)) {
        payload = std::move(requestPayload);
        encode();
    }
};

// A response of the table: its code and capacity hint. Without an override of parsePayload a
// valid frame is the whole answer (an acknowledgement); any payload is ignored.
template <Command C, class Base = FirmwareResponseMessage>
class CatalogueResponse : public Base {
public:
    static constexpr const CommandSpec& row = commandSpec(C);

    template <class... Args>
    explicit CatalogueResponse(Args&&... args)
        : Base(std::u16string(), std::string(row.reply), row.replyHint, std::forward<Args>(args)...) {}
};

}  // namespace devlib_instr
