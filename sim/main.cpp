// torvik-sim: serves a simulated Torvik detector on a pseudo-terminal until SIGINT or SIGTERM.
// Prints the port path (or the link path) on one line of standard output.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "sim/Simulator.hpp"

namespace {

constexpr const char* kUsage =
    "usage: torvik-sim [--link PATH] [--echo] [--delay MS] [--pace] [--state N] [--page-size N]\n";

struct Options {
    torvik::sim::LineOptions line;
    std::string link;
    std::optional<int32_t> state;
    std::optional<uint16_t> pageSize;
};

// Parses the command line; none on a malformed one.
std::optional<Options> parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        bool hasValue = i + 1 < argc;
        auto number = [&] { return std::strtol(argv[++i], nullptr, 10); };
        if (arg == "--echo") {
            options.line.echo = true;
        } else if (arg == "--pace") {
            options.line.paceAtBaud = true;
        } else if (arg == "--link" && hasValue) {
            options.link = argv[++i];
        } else if (arg == "--delay" && hasValue) {
            options.line.replyDelayMs = static_cast<uint32_t>(number());
        } else if (arg == "--state" && hasValue) {
            options.state = static_cast<int32_t>(number());
        } else if (arg == "--page-size" && hasValue) {
            long size = number();
            if (size <= 0 || size > 0xFFFF) return std::nullopt;
            options.pageSize = static_cast<uint16_t>(size);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    auto options = parse(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }
    // Block the signals before the serving thread starts, so only sigwait below receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    try {
        torvik::sim::Simulator simulator(options->line, options->link);
        simulator.withModel([&](torvik::sim::DetectorModel& model) {
            if (options->state) model.state.force(*options->state);
            if (options->pageSize) model.setPageSize(*options->pageSize);
        });
        std::cout << simulator.portPath() << std::endl;
        int received = 0;
        sigwait(&signals, &received);
        simulator.stop();
    } catch (const std::exception& e) {
        std::cerr << "torvik-sim: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
