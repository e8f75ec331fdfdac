// Reading the user's answers: whitespace-delimited words, like formatted console input, so
// "1 1 5" on one line answers three questions. A refused answer gets a short message on standard
// error, the rest of its line is discarded, and the question is asked again. Every function
// returns an empty optional (or false) at end of input, which ends the session.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace repbin::console {

// Makes `in` the standard input of the dialogue.
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

// Reads the next line, without its end ("\n", or "\r\n"), after flushing the output; false at
// end of input. A line is cut at `limit` characters (the rest is read and dropped).
bool ReadLine(std::string& line, std::size_t limit);

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

// Parses a whole word as an int: an optional sign and decimal digits, within the int range;
// says why on standard error when it cannot.
std::optional<int> ParseInt(const Word& word);

// Parses a whole word as a finite single-precision value ('.' as decimal point); says why on
// standard error when it cannot.
std::optional<float> ParseFloat(const Word& word);

// Whether the word has fewer than `capacity` characters; says why on standard error when not.
bool FitsCapacity(const Word& word, std::size_t capacity);

// Asks (`prompt()` writes the question) until the answer is an int that `check` accepts; a check
// that refuses prints why.
template <class Prompt, class Check>
std::optional<int> AskInt(Prompt prompt, Check check) {
  Word word;
  for (;;) {
    prompt();
    if (!ReadWord(word)) return std::nullopt;
    const std::optional<int> value = ParseInt(word);
    if (value && check(*value)) return value;
    DiscardRestOfLine();
  }
}

template <class Prompt>
std::optional<int> AskInt(Prompt prompt) {
  return AskInt(prompt, [](int) { return true; });
}

// Asks until the answer is a finite single-precision real value.
template <class Prompt>
std::optional<float> AskFloat(Prompt prompt) {
  Word word;
  for (;;) {
    prompt();
    if (!ReadWord(word)) return std::nullopt;
    if (const std::optional<float> value = ParseFloat(word)) return value;
    DiscardRestOfLine();
  }
}

// Asks until the answer is a word of fewer than `capacity` characters that `check` accepts, and
// leaves it, NUL-terminated, in `dest`.
template <class Prompt, class Check>
bool AskWord(Prompt prompt, char* dest, std::size_t capacity, Check check) {
  Word word;
  for (;;) {
    prompt();
    if (!ReadWord(word)) return false;
    if (FitsCapacity(word, capacity) && check(std::string_view(word.text, word.length))) {
      std::string_view(word.text, word.length + 1).copy(dest, word.length + 1);
      return true;
    }
    DiscardRestOfLine();
  }
}

}  // namespace repbin::console
