#include "TextFile.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ErrorReport.hpp"
#include "FilePath.hpp"

namespace torvik::cli {

std::string readTextFile(const std::string& path) {
    std::ostringstream content;
    if (path == "-") {
        content << std::cin.rdbuf();
        return content.str();
    }
    std::ifstream file(filePath(path), std::ios::binary);
    if (!file) throw ToolFailure("cannot read " + path + ": " + std::strerror(errno));
    content << file.rdbuf();
    return content.str();
}

void printJson(const nlohmann::ordered_json& value, bool compact) {
    std::cout << value.dump(compact ? -1 : 2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    std::cout.flush();
}

void printJsonText(const std::string& text, bool compact) {
    nlohmann::ordered_json value = nlohmann::ordered_json::parse(text, nullptr, false);
    if (value.is_discarded()) {
        std::cout << text << '\n';
        std::cout.flush();
        return;
    }
    printJson(value, compact);
}

}  // namespace torvik::cli
