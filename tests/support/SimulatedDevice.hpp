// A device of the library opened on a fresh simulated detector.
#pragma once

#include "core/Handle.hpp"
#include "device/Device.hpp"
#include "sim/Simulator.hpp"
#include "support/TestContext.hpp"

namespace torvik_test {

struct SimulatedDevice {
    explicit SimulatedDevice(const TestContext& context) : device(new devlib_instr::Device(context.guard())) {
        devlib_instr::addRef(device);
        guard = devlib_instr::lockHandle(device);
        device->open(sim.portPath());
    }
    ~SimulatedDevice() {
        guard.reset();
        devlib_instr::release(device);
    }
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    torvik::sim::Simulator sim;
    devlib_instr::Device* device;
    devlib_instr::DeviceGuard guard;
};

}  // namespace torvik_test
