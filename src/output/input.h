// The program's standard input as the doors read it: whitespace-delimited words, like formatted
// console input (so "1 1 5" on one line answers three of the dialogue's questions), or whole
// lines (a command's batch). Every reader returns false at end of input, and also when the input
// cannot be read (ReadError says why) or the output cannot be written (out::FirstWriteFailure):
// then nothing more would be seen, and the program ends as at the end of its input.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace repbin::in {

// Makes `in` the standard input.
void BindInput(std::FILE* in);
// Makes `text` (which must outlive the reading) the whole standard input of the dialogue.
void BindInputText(std::string_view text);

// Longest word kept; a longer one is read to its end and refused, so memory stays bounded.
inline constexpr std::size_t kWordCapacity = 256;

struct Word {
  char text[kWordCapacity + 1];  // NUL-terminated, cut at kWordCapacity characters
  std::size_t length;            // the whole length, also when longer than kWordCapacity
};

// Reads the next word, after flushing the output; false at end of input.
bool ReadWord(Word& word);

// Longest line kept (64 KiB); a longer one is read to its end and refused by its reader with its
// length, never split, so memory stays bounded.
inline constexpr std::size_t kLineCapacity = std::size_t{1} << 16;

struct Line {
  std::string text;    // without its end, cut at kLineCapacity characters
  std::size_t length;  // the whole length, also when longer than kLineCapacity
};

// Reads the next line, without its end ("\n", or "\r\n"), after flushing the output; false at
// end of input.
bool ReadLine(Line& line);

// The C library's error number (errno) of a failed read of standard input, or 0 when every read
// has succeeded (the end of the input is no error).
int ReadError();

// Discards what is left of the current input line.
void DiscardRestOfLine();

// A whole text as a decimal integer of type T: an optional sign ('+' or, for signed types, '-')
// and digits, within T's range; nothing otherwise. Says nothing: callers word their own message.
template <class T>
std::optional<T> ParseWhole(std::string_view text) {
  if (text.size() >= 2 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace repbin::in
