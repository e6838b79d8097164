#include "Arguments.hpp"

#include <algorithm>
#include <charconv>

namespace torvik::cli {

std::optional<std::string> Arguments::value(std::string_view name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::optional<uint32_t> Arguments::number(std::string_view name) const {
    std::optional<std::string> text = value(name);
    if (!text) return std::nullopt;
    uint32_t result = 0;
    const char* end = text->data() + text->size();
    auto [stop, error] = std::from_chars(text->data(), end, result);
    if (text->empty() || error != std::errc() || stop != end) {
        throw UsageError("--" + std::string(name) + " needs a non-negative number, not '" + *text + "'");
    }
    return result;
}

namespace {

const OptionSpec* findLong(std::span<const OptionSpec> options, std::string_view name) {
    auto it = std::ranges::find(options, name, &OptionSpec::name);
    return it == options.end() ? nullptr : &*it;
}

const OptionSpec* findShort(std::span<const OptionSpec> options, char name) {
    auto it = std::ranges::find(options, name, &OptionSpec::shortName);
    return it == options.end() ? nullptr : &*it;
}

}  // namespace

Arguments parseArguments(std::span<char* const> args, std::span<const OptionSpec> options) {
    Arguments result;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view word = args[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            result.addPositional(std::string(word));
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        std::string_view name;
        std::optional<std::string_view> inlineValue;
        const OptionSpec* row = nullptr;
        if (word.starts_with("--")) {
            name = word.substr(2);
            if (size_t equals = name.find('='); equals != std::string_view::npos) {
                inlineValue = name.substr(equals + 1);
                name = name.substr(0, equals);
            }
            row = findLong(options, name);
        } else if (word.size() == 2) {
            row = findShort(options, word[1]);
            name = word;
        }
        if (row == nullptr) throw UsageError("unknown option '" + std::string(word) + "'");
        if (!row->takesValue) {
            if (inlineValue) throw UsageError("--" + std::string(row->name) + " takes no value");
            result.set(row->name, {});
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) throw UsageError("--" + std::string(row->name) + " needs a value");
            inlineValue = args[++i];
        }
        result.set(row->name, std::string(*inlineValue));
    }
    return result;
}

}  // namespace torvik::cli
