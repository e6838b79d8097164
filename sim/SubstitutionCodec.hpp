// The substitution encoding of raw datalog bytes in "dm"/"dn" replies: blocks of two key bytes
// and up to 253 data bytes, where the first key stands for 0x00 and the second for 0x0D, so that
// neither byte ever reaches the line (CR ends a frame, NUL is not carried).
#pragma once

#include <string>
#include <string_view>

#include "sim/FrameCodec.hpp"

namespace torvik::sim {

constexpr size_t kSubstitutionBlockData = 253;

// Picks, per block, key bytes that occur nowhere in the block and are neither 0x00 nor 0x0D.
std::string substitutionEncode(const Bytes& data);

// The host's decoding, for checking the encoder: a remainder of two bytes or fewer is dropped.
Bytes substitutionDecode(std::string_view raw);

}  // namespace torvik::sim
