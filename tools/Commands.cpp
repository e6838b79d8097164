#include "Commands.hpp"

#include <array>

namespace torvik::cli {

namespace {
constexpr OptionSpec portOption{"port", true};
constexpr OptionSpec simulateOption{"simulate", false};
constexpr OptionSpec verboseOption{"verbose", false, 'v'};
constexpr OptionSpec helpOption{"help", false, 'h'};
constexpr std::array deviceOptionTable{portOption, simulateOption, verboseOption, helpOption};
}  // namespace

std::span<const OptionSpec> deviceOptions() {
    return deviceOptionTable;
}

const std::string_view deviceOptionsHelp =
    "  --port PATH     the detector's serial port (e.g. /dev/ttyUSB0)\n"
    "  --simulate      use the built-in simulated detector (the default without --port)\n"
    "  -v, --verbose   show the library's log lines on stderr\n"
    "  -h, --help      show this help\n";

const std::vector<Command>& commands() {
    static const std::vector<Command> table{
        {"info",
         "[--compact]",
         "show the detector's identity, firmware, clock, type and state (JSON)",
         "Prints a JSON object: part_number, serial_number, firmware_version, device_time (the\n"
         "detector's clock, local time as the device reports it), device_type, device_state.\n"
         "  --compact       print the object on one line\n",
         {{"compact", false}},
         true,
         0,
         runInfo},
        {"config read",
         "[--request FILE] [--fingerprint] [--compact]",
         "print the configuration document (JSON) or its fingerprint",
         "  --request FILE  read only the values named in this request document (default: all)\n"
         "  --fingerprint   print the 64-bit fingerprint of the values instead of the document\n"
         "  --compact       print the document on one line\n",
         {{"request", true}, {"fingerprint", false}, {"compact", false}},
         true,
         0,
         runConfigRead},
        {"config write",
         "FILE [--compact]",
         "write a configuration document, then print what the device now holds",
         "Writes the values of the JSON document FILE, then reads the same values back and prints\n"
         "them: keys the device does not support on a channel are missing from that report, and\n"
         "the library's warnings about skipped keys are shown on stderr.\n"
         "  --compact       print the document on one line\n",
         {{"compact", false}},
         true,
         1,
         runConfigWrite},
        {"datalog read",
         "-o FILE.zip [--all] [--skip measurement,event,debug]",
         "read the gas-detection datalog into a ZIP archive",
         "A progress bar is drawn on stderr when it is a terminal; Ctrl-C aborts the transfer and\n"
         "removes the unfinished archive.\n"
         "  -o, --output FILE  the archive to create (must not exist yet)\n"
         "  --all              read all data from the beginning, not only the new data\n"
         "  --skip LIST        comma-separated sections to leave out: measurement, event, debug\n",
         {{"output", true, 'o'}, {"all", false}, {"skip", true}},
         true,
         0,
         runDatalogRead},
        {"datalog clear", "", "clear the gas-detection datalog on the detector", "", {}, true, 0, runDatalogClear},
        {"sim",
         "[--link PATH] [--echo] [--reply-delay MS] [--pace] [--silent]",
         "run the simulated detector alone and print its port path",
         "Serves until Ctrl-C; another program (or torvik --port PATH) can connect meanwhile.\n"
         "  --link PATH       also publish the port as a symbolic link at PATH\n"
         "  --echo            echo every request before the reply (a half-duplex line)\n"
         "  --reply-delay MS  wait MS milliseconds before each reply\n"
         "  --pace            send replies no faster than the baud rate the host set\n"
         "  --silent          never answer (to see how a host handles a dead device)\n"
         "  -h, --help        show this help\n",
         {{"link", true}, {"echo", false}, {"reply-delay", true}, {"pace", false}, {"silent", false}, helpOption},
         false,
         0,
         runSim},
    };
    return table;
}

}  // namespace torvik::cli
