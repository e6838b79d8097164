// One run of the library's GDC datalog reader: the device of a session, the reader's selection
// options, an archive path; progress drawn while it runs and Ctrl-C turned into a stop request,
// after which the reader aborts and removes the unfinished archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DeviceSession.hpp"
#include "InterruptWatch.hpp"

namespace torvik::cli {

struct DatalogTransfer {
    std::vector<DatalogOption> options;
    std::string archivePath;  // UTF-8; must not exist yet
    bool showProgress = false;
};

// Runs the reader to its end and returns the pages read of the sections that hold new data (all
// but the session section); a ToolFailure with the reader's errors when it did not succeed (exit
// code 130 when an interrupt stopped it).
uint32_t transferDatalog(DeviceSession& session, const DatalogTransfer& transfer, InterruptWatch& interrupt);

}  // namespace torvik::cli
