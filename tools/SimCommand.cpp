// torvik sim: the simulated detector on its own, for host programs under development. Prints the
// port path on stdout (one line, so a script can read it) and serves until Ctrl-C or SIGTERM.
#include <cstdio>

#include "Commands.hpp"
#include "InterruptWatch.hpp"
#include "sim/Simulator.hpp"

namespace torvik::cli {

int runSim(const Arguments& args) {
    sim::LineOptions line;
    line.echo = args.has("echo");
    line.replyDelayMs = args.number("reply-delay").value_or(0);
    line.paceAtBaud = args.has("pace");
    sim::Faults faults;
    faults.silentForever = args.has("silent");

    InterruptWatch interrupt;  // before the simulator's thread starts
    sim::Simulator simulator(line, args.value("link").value_or(""));
    simulator.setFaults(faults);
    std::printf("%s\n", simulator.portPath().c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "torvik: simulated detector serving on %s (Ctrl-C stops it)\n", simulator.portPath().c_str());
    interrupt.wait();
    simulator.stop();
    return 0;
}

}  // namespace torvik::cli
