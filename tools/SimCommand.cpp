// torvik sim: the simulated detector on its own, for host programs under development. Prints the
// port path on stdout (one line, so a script can read it) and serves until Ctrl-C or SIGTERM.
#include <cstdio>
#include <optional>

#include "Commands.hpp"
#include "InterruptWatch.hpp"
#include "sim/Simulator.hpp"

namespace torvik::cli {

namespace {

struct SimOptions {
    std::string link;
    sim::LineOptions line;
    bool silent = false;
    std::optional<int32_t> state;
    std::optional<uint16_t> pageSize;
};

int runSim(const SimOptions& options) {
    sim::Faults faults;
    faults.silentForever = options.silent;

    InterruptWatch interrupt;  // before the simulator's thread starts
    sim::Simulator simulator(options.line, options.link);
    simulator.setFaults(faults);
    simulator.withModel([&](sim::DetectorModel& model) {
        if (options.state) model.state.force(*options.state);
        if (options.pageSize) model.setPageSize(*options.pageSize);
    });
    std::printf("%s\n", simulator.portPath().c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "torvik: simulated detector serving on %s (Ctrl-C stops it)\n", simulator.portPath().c_str());
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
        "is the same command. --link refuses a PATH that exists and removes only the link it made.");
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
    command->add_flag("--silent", options->silent, "never answer (to see how a host handles a dead device)");
}

}  // namespace torvik::cli
