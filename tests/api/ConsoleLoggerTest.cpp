// The built-in logger as a host sees it: a context without a log callback of the host's writes
// each line to standard output, in order with the host's own output, whether the host writes
// bytes or wide characters there. The host is a C program on the shared library (console_host.c);
// its standard output is a pipe.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Runs the console host with its two arguments and returns everything it wrote to stdout.
std::string hostOutput(const std::string& before, const std::string& after) {
    const std::string command = std::string(TORVIK_CONSOLE_HOST) + " " + before + " " + after;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return "<popen failed>";
    std::string output;
    char buffer[256];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    if (pclose(pipe) != 0) output += "<exit status>";
    return output;
}

const std::string logLines =
    "DEBUG: Unknown attribute for context: 1\n"
    "ERROR: Writing to container is not supported for Torvik.\n";

TEST(ConsoleLogger, LinesReachTheHostsStandardOutputInOrder) {
    // How the host writes before and after the library logs: bytes, wide or - (nothing; the host's
    // own callback was set and taken back).
    EXPECT_EQ(hostOutput("bytes", "bytes"), "host before\n" + logLines + "host after\n");
    EXPECT_EQ(hostOutput("wide", "wide"), "host before\n" + logLines + "host after\n");
    EXPECT_EQ(hostOutput("-", "wide"), logLines + "host after\n");
}

}  // namespace
