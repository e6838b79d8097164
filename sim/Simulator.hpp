// The simulated Torvik detector on a pseudo-terminal: it opens a pty, publishes the slave path and
// answers every command of the detector's protocol from a DetectorModel, in a thread of its own.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/DetectorModel.hpp"
#include "sim/SimFaults.hpp"

namespace torvik::sim {

class Simulator {
public:
    // Opens the pty and starts serving. `linkPath`, when given, becomes a symbolic link to the
    // slave device (removed again by the destructor).
    explicit Simulator(LineOptions line = {}, std::string linkPath = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // The slave device path (or the link path) a host opens as its serial port.
    const std::string& portPath() const;

    void setLineOptions(const LineOptions& line);
    void setFaults(const Faults& faults);

    // Runs fn on the model under the simulator's lock (read or change the device's contents).
    void withModel(const std::function<void(DetectorModel&)>& fn);

    // Every request frame received so far (without its CR), in order; cleared by clearRequests.
    std::vector<std::string> requests() const;
    void clearRequests();

    // Stops serving and closes the master side: an open host port sees a hang-up.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace torvik::sim
