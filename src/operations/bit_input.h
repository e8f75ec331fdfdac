// Bit strings as people type them: grouped with spaces, '_' or '.', or in hexadecimal.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace repbin::ops {

// The run of '0' and '1' that `text` writes, or nothing when it writes none:
// - '0' and '1' with spaces, tabs, '_' or '.' between the groups (and around them), returned at
//   their own length, which the caller compares with the width it expects;
// - "0x" (or "0X") and hexadecimal digits, with the same separators, four bits a digit: exactly
//   `width` bits when there are as many digits as `width` bits need and the bits above the width
//   are 0 ("0x7F" is 1111111 for width 7), else all four bits of every digit.
std::optional<std::string> NormaliseBits(std::string_view text, int width);

}  // namespace repbin::ops
