// The dialogue's questions: each reads one word, and a refused answer gets a short message on
// standard error, the rest of its line is discarded, and the question is asked again. Every
// function returns an empty optional (or false) at end of input, which ends the session.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "output/input.h"

namespace repbin::dialogue {

using in::DiscardRestOfLine;
using in::ReadWord;
using in::Word;

// Parses a whole word as an int: an optional sign and decimal digits, within the int range;
// says why on standard error when it cannot.
std::optional<int> ParseInt(const Word& word);

// Parses a whole word as a menu's answer: any int (a menu decides what an unknown number does);
// a word that is not one gets a message naming the choices `low` to `high` on standard error.
std::optional<int> ParseMenuChoice(const Word& word, int low, int high);

// Parses a whole word as a finite single-precision value ('.' as decimal point); says why on
// standard error when it cannot.
std::optional<float> ParseFloat(const Word& word);

// Whether the word has fewer than `capacity` characters; says why on standard error when not.
bool FitsCapacity(const Word& word, std::size_t capacity);

// Whether the word holds no NUL byte (which would end the text early); says why when it does.
bool HasNoNul(const Word& word);

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

// Asks a menu's question, whose choices are `low` to `high`, until the answer is an int.
template <class Prompt>
std::optional<int> AskMenu(Prompt prompt, int low, int high) {
  Word word;
  for (;;) {
    prompt();
    if (!ReadWord(word)) return std::nullopt;
    if (const std::optional<int> value = ParseMenuChoice(word, low, high)) return value;
    DiscardRestOfLine();
  }
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
    if (FitsCapacity(word, capacity) && HasNoNul(word) &&
        check(std::string_view(word.text, word.length))) {
      std::string_view(word.text, word.length + 1).copy(dest, word.length + 1);
      return true;
    }
    DiscardRestOfLine();
  }
}

}  // namespace repbin::dialogue
