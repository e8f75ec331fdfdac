#include "exercises/text_check.h"

#include <cstdio>

namespace repbin::exercises {

std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  char32_t c = 0;
  char32_t least = 0;  // the smallest character of that length: anything below is overlong
  if (lead < 0x80) {
    ++at;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    c = lead & 0x1Fu;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    c = lead & 0x0Fu;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    c = lead & 0x07u;
    least = 0x10000;
  } else {
    ++at;
    return std::nullopt;
  }
  if (text.size() - at < length) {
    ++at;
    return std::nullopt;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0u) != 0x80u) {
      ++at;
      return std::nullopt;
    }
    c = (c << 6) | (byte(at + i) & 0x3Fu);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++at;
    return std::nullopt;
  }
  at += length;
  return c;
}

bool IsLineBreaking(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

std::optional<std::size_t> PlainLineLength(std::string_view text) {
  std::size_t characters = 0;
  for (std::size_t at = 0; at < text.size(); ++characters) {
    const std::optional<char32_t> c = NextUtf8(text, at);
    if (!c || IsLineBreaking(*c)) return std::nullopt;
  }
  return characters;
}

std::string Visible(std::string_view text) {
  std::string shown;
  char escape[16];
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t start = at;
    const std::optional<char32_t> c = NextUtf8(text, at);
    if (!c) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[start]));
      shown += escape;
    } else if (*c == 0) {
      shown += "\\0";
    } else if (IsLineBreaking(*c)) {
      std::snprintf(escape, sizeof escape, "\\u{%04X}", static_cast<unsigned>(*c));
      shown += escape;
    } else {
      shown.append(text, start, at - start);
    }
  }
  return shown;
}

}  // namespace repbin::exercises
