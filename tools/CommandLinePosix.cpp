#include "CommandLine.hpp"

namespace torvik::cli {

std::vector<std::string> commandLineWords(int argc, char** argv) {
    return {argv, argv + argc};
}

}  // namespace torvik::cli
