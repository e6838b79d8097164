// The simulated Torvik detector on a pseudo-terminal: it opens a pty, publishes the slave path and
// answers every command of the detector's protocol from a DetectorModel, in a thread of its own;
// or, given a Responder, answers each request as that decides (the replay of a recorded line).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/DetectorModel.hpp"
#include "sim/SimFaults.hpp"

namespace torvik::sim {

// What goes on the line after one request: each part `after` the request arrived, in order.
struct LineReply {
    struct Part {
        std::chrono::microseconds after{0};
        std::string bytes;
    };
    std::vector<Part> parts;
    bool hangUp = false;  // close the line instead (after the parts), and serve no more
};

// Decides the answer to each request frame in place of the model; called on the serving thread.
class Responder {
public:
    virtual ~Responder() = default;
    // `frame` without its CR; `baud` the rate the host had set when it arrived.
    virtual LineReply respond(const std::string& frame, uint32_t baud) = 0;
};

class Simulator {
public:
    // Opens the pty and starts serving. `linkPath`, when given, becomes a symbolic link to the
    // slave device (removed again by the destructor).
    explicit Simulator(LineOptions line = {}, std::string linkPath = {});
    // Serves every frame, at whatever rate it came, through `responder` (which must outlive the
    // simulator) instead of the model; the line options and faults do not apply.
    explicit Simulator(Responder& responder, std::string linkPath = {});
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
