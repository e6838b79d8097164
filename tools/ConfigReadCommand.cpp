// torvik config read: the configuration document (all of it, or the values a request names) or
// its fingerprint on stdout.
#include <cstdio>

#include "Commands.hpp"
#include "ConfigurationAccess.hpp"
#include "DeviceSession.hpp"
#include "FullConfigRequest.hpp"
#include "TextFile.hpp"

namespace torvik::cli {

int runConfigRead(const Arguments& args) {
    std::optional<std::string> requestPath = args.value("request");
    std::string request = requestPath ? readTextFile(*requestPath) : fullConfigRequest();
    DeviceSession session(args);
    ConfigurationAccess configuration(session);
    bool fingerprint = args.has("fingerprint");
    std::string result = configuration.read(request, fingerprint);
    if (fingerprint) {
        std::printf("%s\n", result.c_str());
    } else {
        printJsonText(result, args.has("compact"));
    }
    return 0;
}

}  // namespace torvik::cli
