// Sets (or unsets) an environment variable for one test and restores it afterwards; TZ changes
// are announced to the C library.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace torvik_test {

class EnvironmentGuard {
public:
    EnvironmentGuard(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) old_ = old;
        apply(value);
    }
    ~EnvironmentGuard() { apply(old_); }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    void apply(const std::optional<std::string>& value) {
        if (value) {
            setenv(name_.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
        tzset();
    }

    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace torvik_test
