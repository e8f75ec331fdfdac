#include "output/input.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "output/output.h"
#include "output/platform.h"

namespace repbin::in {
namespace {

// The standard input: a C stream, or a text in memory read from `text_pos`.
std::FILE* in_stream = stdin;
std::string_view in_text;
std::size_t text_pos = 0;

int Get() {
  if (in_stream != nullptr) return std::getc(in_stream);
  if (text_pos >= in_text.size()) return EOF;
  return static_cast<unsigned char>(in_text[text_pos++]);
}

// Gives back the character just read.
void Unget(int c) {
  if (in_stream != nullptr) {
    std::ungetc(c, in_stream);
  } else if (text_pos > 0) {
    --text_pos;
  }
}

// White space as formatted input knows it, whatever the locale.
bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

void BindInput(std::FILE* in) {
  in_stream = in;
}

void BindInputText(std::string_view text) {
  in_stream = nullptr;
  in_text = text;
  text_pos = 0;
}

bool ReadWord(Word& word) {
  out::Flush();  // everything written so far is seen before the program waits
  int c = Get();
  while (c != EOF && IsSpace(c)) c = Get();
  if (c == EOF) return false;
  word.length = 0;
  for (; c != EOF && !IsSpace(c); c = Get()) {
    if (word.length < kWordCapacity) word.text[word.length] = static_cast<char>(c);
    ++word.length;
  }
  // The character that ended the word stays unread, so that discarding the rest of the line
  // stops at this line's end and not at the next one's.
  if (c != EOF) Unget(c);
  word.text[word.length < kWordCapacity ? word.length : kWordCapacity] = '\0';
  return true;
}

bool ReadLine(std::string& line, std::size_t limit) {
  out::Flush();
  line.clear();
  int c = Get();
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = Get()) {
    if (line.size() < limit) line.push_back(static_cast<char>(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void DiscardRestOfLine() {
  int c = Get();
  while (c != EOF && c != '\n') c = Get();
}

}  // namespace repbin::in
