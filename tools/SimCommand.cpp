// torvik sim: the simulated detector on its own, for host programs under development. Prints the
// port path on stdout (one line, so a script can read it) and serves until Ctrl-C or SIGTERM.
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Commands.hpp"
#include "InterruptWatch.hpp"
#include "Terminal.hpp"
#include "TraceReplay.hpp"
#include "sim/Simulator.hpp"

namespace torvik::cli {

namespace {

struct SimOptions {
    std::string link;
    sim::LineOptions line;
    bool silent = false;
    std::optional<int32_t> state;
    std::optional<uint16_t> pageSize;
    std::string replay;
    bool fast = false;
    std::vector<std::string> faults;  // N:KIND
};

const std::map<std::string, sim::Fault> faultNames{{"silence", sim::Fault::Silence},
                                                   {"garbage", sim::Fault::Garbage},
                                                   {"checksum", sim::Fault::BadChecksum},
                                                   {"standard-error", sim::Fault::StandardError},
                                                   {"truncated", sim::Fault::Truncated},
                                                   {"hang-up", sim::Fault::HangUp},
                                                   {"short-memory-reply", sim::Fault::ShortMemoryReply}};

// "N:KIND": request number N (0 is the first) meets the fault KIND.
std::string checkFault(const std::string& text) {
    size_t colon = text.find(':');
    bool numbered =
        colon != std::string::npos && colon > 0 && text.find_first_not_of("0123456789") == colon && colon < 10;
    if (!numbered || !faultNames.contains(text.substr(colon + 1))) {
        return "a fault is N:KIND, N a request number (0 is the first), KIND one of silence, garbage, checksum, "
               "standard-error, truncated, hang-up, short-memory-reply";
    }
    return {};
}

int runSim(const SimOptions& options) {
    if (!options.replay.empty()) return serveReplay(options.replay, options.fast, options.link);
    sim::Faults faults;
    faults.silentForever = options.silent;
    for (const std::string& fault : options.faults) {
        size_t colon = fault.find(':');
        faults.faultsAt[static_cast<uint32_t>(std::stoul(fault.substr(0, colon)))] =
            faultNames.at(fault.substr(colon + 1));
    }

    InterruptWatch interrupt;  // before the simulator's thread starts
    sim::Simulator simulator(options.line, options.link);
    simulator.setFaults(faults);
    simulator.withModel([&](sim::DetectorModel& model) {
        if (options.state) model.state.force(*options.state);
        if (options.pageSize) model.setPageSize(*options.pageSize);
    });
    std::printf("%s\n", simulator.portPath().c_str());
    std::fflush(stdout);
    printMessage("torvik: simulated detector serving on " + simulator.portPath() + " (Ctrl-C stops it)\n");
    interrupt.wait();
    simulator.stop();
    return 0;
}

}  // namespace

void addSimCommand(CLI::App& app, Handler& selected) {
    auto [command, options] =
        addCommand(app, "sim", "run the simulated detector alone and print its port path", selected, runSim);
    command->footer(
        "Serves until Ctrl-C; another program (or torvik --port PATH) can connect meanwhile. torvik-sim\n"
        "is the same command. --link refuses a PATH that exists and removes only the link it made.\n"
        "--replay FILE serves the device side of a wire trace (made with --record) instead: it answers\n"
        "each request as recorded and stops at the first one that differs, naming it and its line in\n"
        "the trace; the exit code is 0 when the host sent every recorded request unchanged.");
    command->add_option("--link", options->link, "also publish the port as a symbolic link at PATH")->type_name("PATH");
    command->add_flag("--echo", options->line.echo, "echo every request before the reply (a half-duplex line)");
    command->add_option("--reply-delay", options->line.replyDelayMs, "wait MS milliseconds before each reply")
        ->type_name("MS");
    command->add_flag("--pace", options->line.paceAtBaud, "send replies no faster than the baud rate the host set");
    command->add_option("--state", options->state, "start in device state N (1 switched off, 9 on)")->type_name("N");
    command->add_option("--page-size", options->pageSize, "datalog pages of N bytes (default 256)")
        ->type_name("N")
        ->check(
            CLI::Validator([](std::string& size) { return size == "0" ? "a page holds at least 1 byte" : ""; }, ""));
    command
        ->add_option("--fault", options->faults,
                     "request N (0 is the first) meets KIND: silence, garbage, checksum, standard-error (code 1), "
                     "truncated, hang-up or short-memory-reply; repeatable")
        ->type_name("N:KIND")
        ->check(CLI::Validator(checkFault, ""));
    CLI::Option* silent =
        command->add_flag("--silent", options->silent, "never answer (to see how a host handles a dead device)");
    CLI::Option* replay =
        command
            ->add_option("--replay", options->replay,
                         "answer as the device in a wire trace did; stop at the first request that differs")
            ->type_name("FILE")
            ->excludes(silent)
            ->excludes("--echo")
            ->excludes("--reply-delay")
            ->excludes("--pace")
            ->excludes("--state")
            ->excludes("--page-size")
            ->excludes("--fault");
    command->add_flag("--fast", options->fast, "with --replay: every reply at once, not at the recorded pace")
        ->needs(replay);
}

}  // namespace torvik::cli
