#include "output/input.h"

#include <cerrno>
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
// The error number of the first failed read; the input ends there.
int read_error = 0;

int Get() {
  if (in_stream != nullptr) {
    if (read_error != 0) return EOF;
    // A failed read sets the error StreamError reads; none is cleared before each character.
    const int c = std::getc(in_stream);
    if (c == EOF && std::ferror(in_stream)) read_error = out::StreamError(in_stream);
    return c;
  }
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
  read_error = 0;
}

void BindInputText(std::string_view text) {
  in_stream = nullptr;
  in_text = text;
  text_pos = 0;
  read_error = 0;
}

int ReadError() {
  return read_error;
}

bool ReadWord(Word& word) {
  // Everything written so far is seen before the program waits; once that has failed, the
  // answers would go unseen.
  if (!out::Flush()) return false;
  int c = Get();
  while (c != EOF && IsSpace(c)) c = Get();
  if (c == EOF) return false;
  word.length = 0;
  for (; c != EOF && !IsSpace(c); c = Get()) {
    if (word.length < kWordCapacity) word.text[word.length] = static_cast<char>(c);
    ++word.length;
  }
  if (read_error != 0) return false;  // a word cut by a failed read is no answer
  // The character that ended the word stays unread, so that discarding the rest of the line
  // stops at this line's end and not at the next one's.
  if (c != EOF) Unget(c);
  word.text[word.length < kWordCapacity ? word.length : kWordCapacity] = '\0';
  return true;
}

bool ReadLine(Line& line) {
  if (!out::Flush()) return false;
  line.text.clear();
  line.length = 0;
  int c = Get();
  if (c == EOF) return false;
  int last = EOF;
  for (; c != EOF && c != '\n'; c = Get()) {
    if (line.length < kLineCapacity) line.text.push_back(static_cast<char>(c));
    ++line.length;
    last = c;
  }
  if (read_error != 0) return false;  // a line cut by a failed read is no line
  if (last == '\r') {
    --line.length;
    if (line.text.size() > line.length) line.text.pop_back();
  }
  return true;
}

void DiscardRestOfLine() {
  int c = Get();
  while (c != EOF && c != '\n') c = Get();
}

}  // namespace repbin::in
