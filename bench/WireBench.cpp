// End-to-end cost on a real pty line paced at the baud rate the library sets (115200 during
// exchanges), through the C table as a host uses it: a full datalog read-out and a full
// configuration read, with the number of exchanges and the share of the line's capacity used.
// The read-out runs over the library's own serial link, the torvik tool's, and the tool's with
// the wire recorder over it (`torvik --record`), so the recorder's cost shows beside the link's.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "BenchClock.hpp"
#include "RecordingLink.hpp"
#include "SerialLink.hpp"
#include "sim/Simulator.hpp"
#include "torvik/instrument_api.h"

namespace {

const InstrumentAPI* api = GetInstrumentAPI();

void quiet(int32_t, const InstrWChar*, void*) {}

void fail(const char* what, InstrError* error) {
    std::fprintf(stderr, "bench_wire: %s failed (category %u, code %u)\n", what, error ? error->category : 0,
                 error ? error->code : 0);
    std::exit(1);
}

void benchDatalog(torvik::sim::Simulator& sim, InstrContext* context, InstrDevice* device, uint32_t measurementPages) {
    sim.withModel([&](torvik::sim::DetectorModel& model) {
        model.datalog.clear();
        model.datalog.appendGeneratedPages(0, measurementPages);
    });
    std::string path = "/tmp/torvik-bench-" + std::to_string(getpid()) + ".zip";
    std::u16string widePath(path.begin(), path.end());
    unlink(path.c_str());

    InstrGdcDatalogReader* reader = api->gdcDatalogReaderAddRef(api->gdcDatalogReaderCreate(context));
    api->gdcDatalogReaderSetDevice(reader, device);
    api->gdcDatalogReaderSetOutputPath(reader, reinterpret_cast<const InstrWChar*>(widePath.c_str()));
    api->gdcDatalogReaderSetSectionSelected(reader, 3, 1);  // everything from the beginning
    sim.clearRequests();
    InstrError* error = nullptr;
    auto start = std::chrono::steady_clock::now();
    if (!api->gdcDatalogReaderStart(reader, &error)) fail("datalog start", error);
    api->gdcDatalogReaderWait(reader, -1);
    double seconds = bench::secondsSince(start);
    if (!api->gdcDatalogReaderSucceeded(reader)) fail("datalog read", nullptr);
    api->gdcDatalogReaderRelease(reader);
    unlink(path.c_str());

    const double payloadBytes = measurementPages * 256.0;
    bench::row("  wall time", seconds, "s");
    bench::row("  exchanges", static_cast<double>(sim.requests().size()), "");
    bench::row("  page data per second", payloadBytes / seconds, "B/s");
    // Hex encoding doubles the bytes; 10 bits per byte at 115200 baud.
    bench::row("  share of the line (hex payload, 115200 baud)", 100.0 * (2 * payloadBytes / seconds) / 11520.0, "%");
}

void benchConfiguration(torvik::sim::Simulator& sim, InstrDevice* device) {
    static const char request[] = R"({"version":"1.0.6","device":null,"channels":null,"sensors":null})";
    InstrConfiguration* configuration = api->configurationAddRef(api->configurationCreate(device));
    InstrByteArray* in = api->byteArrayAddRef(api->byteArrayCreateFromData(request, sizeof request - 1));
    InstrByteArray* out = api->byteArrayAddRef(api->byteArrayCreate(0));
    sim.clearRequests();
    InstrError* error = nullptr;
    auto start = std::chrono::steady_clock::now();
    if (!api->configurationRead(configuration, in, 0, out, &error)) fail("configuration read", error);
    double seconds = bench::secondsSince(start);
    std::printf("full configuration read\n");
    bench::row("  wall time", seconds, "s");
    bench::row("  exchanges", static_cast<double>(sim.requests().size()), "");
    bench::row("  document size", static_cast<double>(api->byteArraySize(out)), "bytes");
    api->byteArrayRelease(out);
    api->byteArrayRelease(in);
    api->configurationRelease(configuration);
}

// Opens a device on the simulator's port through `links` (null: the library's own link).
struct Host {
    Host(const std::string& port, devlib_instr::AbstractUartInterfaceFactory* links)
        : context(api->contextAddRef(api->contextCreate())) {
        api->contextSetLogCallback(context, &quiet, nullptr);
        if (links != nullptr) devlib_instr::SetUARTInterfaceFactory(context, links);
        device = api->deviceAddRef(api->deviceCreate(context));
        InstrError* error = nullptr;
        if (!api->deviceOpen(device, port.c_str(), &error)) fail("device open", error);
    }
    ~Host() {
        api->deviceRelease(device);
        api->contextRelease(context);
    }
    InstrContext* context;
    InstrDevice* device = nullptr;
};

void benchLinks(torvik::sim::Simulator& sim, uint32_t pages) {
    std::printf("datalog read-out, %u measurement pages of 256 bytes\n", pages);
    std::printf(" over the library's serial link\n");
    {
        Host host(sim.portPath(), nullptr);
        benchDatalog(sim, host.context, host.device, pages);
    }
    torvik::cli::LinkFactory toolLinks;
    std::printf(" over the torvik tool's serial link\n");
    {
        Host host(sim.portPath(), &toolLinks);
        benchDatalog(sim, host.context, host.device, pages);
    }
    std::string trace = "/tmp/torvik-bench-" + std::to_string(getpid()) + ".jsonl";
    torvik::cli::RecordingFactory recorder(toolLinks, trace, "bench_wire");
    std::printf(" over the torvik tool's serial link, recorded\n");
    {
        Host host(sim.portPath(), &recorder);
        benchDatalog(sim, host.context, host.device, pages);
    }
    std::FILE* file = std::fopen(trace.c_str(), "rb");
    if (file != nullptr && std::fseek(file, 0, SEEK_END) == 0)
        bench::row("  trace size", std::ftell(file) / 1024.0, "KiB");
    if (file != nullptr) std::fclose(file);
    unlink(trace.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t pages = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 64;
    torvik::sim::LineOptions line;
    line.paceAtBaud = true;
    torvik::sim::Simulator sim(line);

    benchLinks(sim, pages);
    {
        Host host(sim.portPath(), nullptr);
        benchConfiguration(sim, host.device);
    }
    bench::row("peak memory", static_cast<double>(bench::peakRssKiB()), "KiB");
    return 0;
}
