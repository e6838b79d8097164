// What a host sets up through the C table before it reads a configuration or a datalog: a context
// that logs nowhere, with a factory of in-memory links installed, and a device opened through it.
// Every object is referenced as a host does and released again at the end of the scope. The
// context times its exchanges on the links' clock (the C++ setter a static-library user has), a
// clock of virtual time, so silence and pauses cost no real time.
#pragma once

#include "FuzzCheck.hpp"
#include "api/ApiBoundary.hpp"
#include "core/Context.hpp"
#include "support/MemoryLink.hpp"
#include "torvik/instrument_api.h"
#include "torvik/uart_interface.hpp"

namespace torvik_fuzz {

class HostSession {
public:
    explicit HostSession(torvik_test::MemoryLinkFactory& factory)
        : api(GetInstrumentAPI()), context(api->contextAddRef(api->contextCreate())) {
        api->contextSetLogCallback(
            context, [](int32_t, const InstrWChar*, void*) {}, nullptr);
        devlib_instr::api::fromHost<devlib_instr::Context>(context)->setClock(factory.clock());
        devlib_instr::SetUARTInterfaceFactory(context, &factory);
        device = api->deviceAddRef(api->deviceCreate(context));
        InstrError* err = nullptr;
        require(api->deviceOpen(device, "fuzz", &err) && err == nullptr, "the device did not open on the fake link");
    }
    ~HostSession() {
        api->deviceRelease(device);
        api->contextRelease(context);
    }
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    const InstrumentAPI* api;
    InstrContext* context;
    InstrDevice* device = nullptr;
};

}  // namespace torvik_fuzz
