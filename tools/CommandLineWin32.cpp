#include <windows.h>
// shellapi.h needs windows.h first
#include <shellapi.h>

#include "CommandLine.hpp"
#include "torvik/torvik.hpp"

namespace torvik::cli {

std::vector<std::string> commandLineWords(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return {argv, argv + argc};
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) words.push_back(text::toUtf8(wide[i]));
    LocalFree(wide);
    return words;
}

}  // namespace torvik::cli
