// Checks of the texts a teacher gives the exercise commands (a sheet's title), and the way a
// refused text is shown back: never a byte that could break the line it is shown on.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace repbin::exercises {

// The character that starts at `text[at]`, when its UTF-8 sequence is well formed (shortest
// form, no surrogate, at most U+10FFFF); `at` then moves past it. Nothing for an ill-formed
// sequence, and `at` moves one byte.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& at);

// Whether `c` breaks a line or the text around it: C0 and C1 controls, DEL, and the line and
// paragraph separators U+2028 and U+2029.
bool IsLineBreaking(char32_t c);

// How many characters `text` has, when it is well-formed UTF-8 with no character that breaks a
// line; nothing otherwise.
std::optional<std::size_t> PlainLineLength(std::string_view text);

// `text` with each ill-formed byte written \xNN and each character that breaks a line written
// \u{XXXX} (a NUL as \0), so that it can be quoted in a message of one line.
std::string Visible(std::string_view text);

}  // namespace repbin::exercises
