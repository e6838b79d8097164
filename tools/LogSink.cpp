#include "LogSink.hpp"
#include "Terminal.hpp"

#include <array>
#include <utility>

namespace torvik::cli {

namespace {
constexpr std::array<const char*, 4> levelPrefixes{"DEBUG: ", "INFO: ", "WARN: ", "ERROR: "};
}  // namespace

void LogSink::install(Context& context) {
    context.setLogCallback([this](LogLevel level, std::string_view text) { write(level, text); });
}

std::vector<std::string> LogSink::takeWarnings() {
    std::lock_guard lock(mutex_);
    return std::exchange(warnings_, {});
}

std::vector<std::string> LogSink::takeErrors() {
    std::lock_guard lock(mutex_);
    return std::exchange(errors_, {});
}

void LogSink::listen(std::function<void(const std::string&)> listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void LogSink::capture(bool on) {
    std::lock_guard lock(mutex_);
    capturing_ = on;
}

std::vector<std::string> LogSink::takeCaptured() {
    std::lock_guard lock(mutex_);
    return std::exchange(captured_, {});
}

void LogSink::write(LogLevel level, std::string_view line) {
    const auto index = static_cast<size_t>(level);
    if (index >= levelPrefixes.size()) return;  // a level this tool does not know
    std::string text(line);
    std::lock_guard lock(mutex_);
    if (capturing_) captured_.push_back(text);
    if (listener_) listener_(text);
    if (verbose_) {
        printMessage(levelPrefixes[index] + text + "\n");
    } else if (level == LogLevel::Warn) {
        warnings_.push_back(std::move(text));
    } else if (level == LogLevel::Error) {
        errors_.push_back(std::move(text));
    }
}

}  // namespace torvik::cli
