#include "operations/bit_input.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace repbin::ops {
namespace {

bool IsSeparator(char c) {
  return c == ' ' || c == '_' || c == '.' || c == '\t';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

TypedBits Refused(std::string fault) {
  return {"", std::move(fault)};
}

}  // namespace

TypedBits ReadTypedBits(std::string_view text, int width) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return Refused("está vacía; escriba bits 0 y 1, o hexadecimal con 0x");
  }
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  const bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  std::string bits;
  if (!hex) {
    for (const char c : text) {
      if (c == '0' || c == '1') {
        bits += c;
      } else if (!IsSeparator(c)) {
        return Refused(
            "escriba solo los caracteres 0 y 1 (los grupos pueden ir separados "
            "por espacios, _ o .), o hexadecimal con 0x");
      }
    }
    if (bits.empty()) return Refused("no tiene ningún bit");
    return {bits, ""};
  }
  for (const char c : text.substr(2)) {
    const int digit = HexDigit(c);
    if (digit >= 0) {
      for (int b = 3; b >= 0; --b) bits += ((digit >> b) & 1) != 0 ? '1' : '0';
    } else if (!IsSeparator(c)) {
      return Refused("tras 0x van cifras de 0 a 9 y letras de A a F");
    }
  }
  if (bits.empty()) {
    return Refused("faltan las cifras tras 0x");
  }
  if (width <= 0) return {bits, ""};
  const std::size_t needed = bits.size() - std::min(bits.find('1'), bits.size());
  if (needed > static_cast<std::size_t>(width)) {
    return Refused("no cabe en " + std::to_string(width) + " bits: necesita " +
                   std::to_string(needed));
  }
  if (bits.size() > static_cast<std::size_t>(width)) {
    return {bits.substr(bits.size() - static_cast<std::size_t>(width)), ""};
  }
  return {std::string(static_cast<std::size_t>(width) - bits.size(), '0') + bits, ""};
}

TypedCount CountTypedBits(std::string_view text) {
  std::string plain;
  for (const char c : text) {
    if (!IsSeparator(c)) plain += c;
  }
  const bool hex = plain.size() >= 2 && plain[0] == '0' && (plain[1] == 'x' || plain[1] == 'X');
  const std::size_t count = hex ? (plain.size() - 2) * 4 : plain.size();
  return {static_cast<int>(std::min<std::size_t>(count, INT32_MAX)), hex};
}

bool TypedBitsWhole(std::string_view text, int width) {
  if (width <= 0) return true;
  const TypedCount typed = CountTypedBits(text);
  return typed.hex ? typed.bits >= width && typed.bits < width + 4 : typed.bits == width;
}

}  // namespace repbin::ops
