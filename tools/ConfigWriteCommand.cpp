// torvik config write FILE: writes the document, then reads the same values back so the user
// sees what the device accepted (keys a channel does not support are absent from that report).
#include <cstdio>

#include "Commands.hpp"
#include "ConfigurationAccess.hpp"
#include "DeviceSession.hpp"
#include "TextFile.hpp"

namespace torvik::cli {

int runConfigWrite(const Arguments& args) {
    std::string document = readTextFile(args.positional().front());
    DeviceSession session(args);
    ConfigurationAccess configuration(session);
    configuration.write(document);
    for (const std::string& warning : session.log().takeWarnings()) {
        std::fprintf(stderr, "torvik: warning: %s\n", warning.c_str());
    }
    printJsonText(configuration.read(document, false), args.has("compact"));
    return 0;
}

}  // namespace torvik::cli
