// The read request that names every value of the configuration document: the device settings,
// channels 0 to 5 and sensors 0 to 3, built from the library's table of document paths.
#pragma once

#include <string>

namespace torvik::cli {

// The request as JSON text. Each leaf carries a value of the leaf's JSON type (the first text of
// an enumerated leaf) so the request is also a valid document.
std::string fullConfigRequest();

}  // namespace torvik::cli
