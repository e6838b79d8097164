#include "LogSink.hpp"

#include <array>
#include <cstdio>
#include <utility>

#include "ApiNumbers.hpp"
#include "WideText.hpp"

namespace torvik::cli {

namespace {
constexpr std::array<const char*, 4> levelPrefixes{"DEBUG: ", "INFO: ", "WARN: ", "ERROR: "};
}  // namespace

void LogSink::install(const InstrumentAPI& api, InstrContext* context) {
    api.contextSetLogCallback(context, &LogSink::callback, this);
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

void LogSink::callback(int32_t level, const InstrWChar* text, void* user) {
    if (user == nullptr || text == nullptr || level < 0 || level >= static_cast<int32_t>(levelPrefixes.size())) return;
    static_cast<LogSink*>(user)->write(level, toUtf8(text));
}

void LogSink::write(int32_t level, const std::string& text) {
    std::lock_guard lock(mutex_);
    if (capturing_) captured_.push_back(text);
    if (listener_) listener_(text);
    if (verbose_) {
        std::fprintf(stderr, "%s%s\n", levelPrefixes[static_cast<size_t>(level)], text.c_str());
    } else if (level == logLevel::warn) {
        warnings_.push_back(text);
    } else if (level == logLevel::error) {
        errors_.push_back(text);
    }
}

}  // namespace torvik::cli
