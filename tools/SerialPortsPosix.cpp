#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "SerialPorts.hpp"

namespace torvik::cli {

namespace {

namespace fs = std::filesystem;

// The device directory: /dev, or TORVIK_DEV_DIR (the tests give a directory of their own).
fs::path deviceDirectory() {
    const char* directory = std::getenv("TORVIK_DEV_DIR");
    return directory != nullptr && *directory != 0 ? directory : "/dev";
}

bool isAdapterName(const std::string& name) {
    return name.starts_with("ttyUSB") || name.starts_with("ttyACM");
}

// On-board ports: the kernel makes a ttyS node for every possible UART, most of them without
// hardware (opening those fails), so only the ones that open as a terminal are listed.
bool isOnBoardPort(const fs::path& path) {
    if (!path.filename().string().starts_with("ttyS")) return false;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

// Why the port does not open, or "" when it does (it is closed again at once).
std::string openProblem(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return openProblemText(errno);
    ::close(fd);
    return {};
}

}  // namespace

std::string openProblemText(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "permission denied: the user is not in the dialout group (sudo usermod -aG dialout $USER, then "
                   "log in again)";
        case EBUSY:
        case EWOULDBLOCK:
            return "busy: another program has it open";
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return "no such file or device (is the adapter plugged in?)";
        default:
            return std::strerror(error);
    }
}

const char* portsListed() {
    return "Lists /dev/ttyUSB*, /dev/ttyACM*, /dev/serial/by-id/* and the on-board ports /dev/ttyS* that\n"
           "open (the kernel makes a ttyS node for every possible port, most without hardware): the\n"
           "device path, its by-id name (stable across reconnects, usable as --port) and, for a port\n"
           "this user cannot open, why.";
}

PortSearch findSerialPorts() {
    const fs::path devices = deviceDirectory();
    const std::string d = devices.string();
    PortSearch search{{}, d + "/serial/by-id/*, " + d + "/ttyUSB*, " + d + "/ttyACM*, " + d + "/ttyS*"};
    std::map<std::string, SerialPort> ports;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(devices, error)) {
        std::string name = entry.path().filename().string();
        if (isAdapterName(name) || isOnBoardPort(entry.path()))
            ports[entry.path().string()].path = entry.path().string();
    }
    fs::path byIdDirectory = devices / "serial" / "by-id";
    for (const fs::directory_entry& entry : fs::directory_iterator(byIdDirectory, error)) {
        // udev's links are relative ("../../ttyUSB0"): resolve that one step, so that the name
        // matches the device's own entry.
        std::error_code notALink;
        fs::path link = fs::read_symlink(entry.path(), notALink);
        if (notALink) continue;
        fs::path target = (byIdDirectory / link).lexically_normal();
        SerialPort& port = ports[target.string()];
        port.path = target.string();
        port.byId = entry.path().string();
    }
    for (auto& [path, port] : ports) {
        port.problem = openProblem(path);
        search.ports.push_back(std::move(port));
    }
    return search;
}

}  // namespace torvik::cli
