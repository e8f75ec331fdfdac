// Bit strings as people type them outside the dialogue (one-shot commands, the web page,
// practice): groups separated by spaces, '_' or '.', or hexadecimal after "0x". The dialogue
// reads its strings as they are and never comes here.
#pragma once

#include <string>
#include <string_view>

namespace repbin::ops {

// A typed bit string made plain: `bits` holds only '0' and '1' when `fault` is empty; otherwise
// `fault` says in Spanish what is wrong with it or what is accepted, to follow
// `cadena no válida: "TEXT"; ` (the text as typed goes out unconverted, the fault is a message
// text).
struct TypedBits {
  std::string bits;
  std::string fault;
};

// Reads `text`:
// - '0' and '1' with any of ' ', '_', '.' between them ("0100 0000_1010.1100"); the width is
//   the number of digits, and the caller checks it as before;
// - "0x" (or "0X") and hexadecimal digits, with the same separators: four bits a digit, or
//   exactly `width` bits when `width` > 0, the number written with leading zeros ("0x1F" in 8
//   bits is 00011111) and refused when it needs more than `width` bits.
// Blanks around the text are ignored.
TypedBits ReadTypedBits(std::string_view text, int width);

// How far a string being typed has come: the bits written so far (four a character after "0x",
// separators and blanks left out) and whether it is hexadecimal.
struct TypedCount {
  int bits = 0;
  bool hex = false;
};
TypedCount CountTypedBits(std::string_view text);

// Whether a string being typed for a `width`-bit format is whole: as many bits, or in
// hexadecimal the digits that cover them (at most three bits over). Any length is whole when
// `width` is 0 (the integer systems, whose width is the string's).
bool TypedBitsWhole(std::string_view text, int width);

}  // namespace repbin::ops
