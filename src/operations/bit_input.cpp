#include "operations/bit_input.h"

namespace repbin::ops {
namespace {

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '_' || c == '.';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> NormaliseBits(std::string_view text, int width) {
  while (!text.empty() && IsSeparator(text.front())) text.remove_prefix(1);
  std::string bits;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    int digits = 0;
    for (char c : text.substr(2)) {
      if (IsSeparator(c)) continue;
      const int v = HexValue(c);
      if (v < 0) return std::nullopt;
      for (int bit = 3; bit >= 0; --bit) bits += ((v >> bit) & 1) != 0 ? '1' : '0';
      ++digits;
    }
    if (digits == 0) return std::nullopt;
    // The padding above the width, when the digits are just enough and it is all zero.
    if (width > 0 && digits == (width + 3) / 4) {
      const auto pad = static_cast<std::size_t>(4 * digits - width);
      if (bits.find('1') >= pad) bits.erase(0, pad);
    }
    return bits;
  }
  for (char c : text) {
    if (c == '0' || c == '1') {
      bits += c;
    } else if (!IsSeparator(c)) {
      return std::nullopt;
    }
  }
  if (bits.empty()) return std::nullopt;
  return bits;
}

}  // namespace repbin::ops
