// Mixes the fuzz input into a detector's replies: before each reply one input byte picks what
// happens to it on the line (nothing, a wrong checksum, a lost or early end, leading garbage, a
// standard error, a reply of raw input bytes, or a well-framed payload the host must refuse). Once
// the input is used up the replies pass unchanged. It also notes whether the datalog the host
// stores can still be predicted from the model: a raw reply may carry any frames, for any later
// request too.
#pragma once

#include <string>
#include <string_view>

#include "FuzzInput.hpp"
#include "support/DetectorResponder.hpp"

namespace torvik_fuzz {

class DialogueFaults {
public:
    explicit DialogueFaults(FuzzInput& input) : input_(input) {}

    // The filter for a detector responder; the faults object must outlive the links that use it.
    torvik_test::ReplyFilter filter() {
        return [this](std::string_view request, std::string reply) { return apply(request, std::move(reply)); };
    }

    // False once raw input bytes stood in for a reply.
    bool datalogPredictable() const { return predictable_; }

private:
    std::string apply(std::string_view request, std::string reply);

    FuzzInput& input_;
    bool predictable_ = true;
};

}  // namespace torvik_fuzz
