// File names are UTF-8 in the tool (its command-line words, the library's texts); the file system
// takes them through std::filesystem::path, which converts them to the platform's own names
// (UTF-16 on Windows; on Linux the bytes stay as they are).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace torvik::cli {

inline std::filesystem::path filePath(std::string_view utf8) {
    return std::u8string(utf8.begin(), utf8.end());
}

inline std::string utf8Name(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return {name.begin(), name.end()};
}

}  // namespace torvik::cli
