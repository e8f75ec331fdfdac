// The output layer: the one place that writes to the console.
//
// Every trace, prompt and result goes through here. The layer owns the two streams (replaceable,
// so a whole session can run in memory) and their character encoding: message texts are written
// in the source as UTF-8 and converted here, once, to the encoding of the stream they go to.
// Only the format text is converted; values substituted into it (text the user typed) go out
// unchanged.
#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

namespace repbin::out {

enum class Encoding {
  kCp850,  // OEM code page 850: "ó" is the byte 0xA2, "ú" 0xA3
  kUtf8,
};

// Makes `out` the standard output and `err` the standard error of everything printed from now on.
void Bind(std::FILE* out, std::FILE* err, Encoding out_encoding, Encoding err_encoding);

// Writes to standard output, printf-style ('.' as decimal point: the numeric locale is never set).
void Print(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes to standard error. Whenever the output passes from one stream to the other, the one
// written before is flushed, so that the two keep program order wherever they go.
void PrintErr(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Flushes both streams; called before every read and at the end of a session.
void Flush();

// What was printed on each stream while captured.
struct Captured {
  std::string out;
  std::string err;
};

// Runs `run(context)` with both streams in memory (code page 850), then binds the process's own
// standard output and standard error again.
Captured CaptureOutput(void (*run)(void*), void* context);

template <class Fn>
Captured Capture(Fn&& fn) {
  return CaptureOutput([](void* f) { (*static_cast<std::remove_reference_t<Fn>*>(f))(); }, &fn);
}

// The bytes of `text` (UTF-8) in `encoding`; characters code page 850 lacks become '?'.
// Exposed for tests.
void Encode(const char* text, Encoding encoding, char* dest, std::size_t dest_size);

}  // namespace repbin::out
