// The output layer: the one place that writes to the console.
//
// Every trace, prompt and result goes through here. The layer owns the two streams (each one a C
// stream or a string in memory, so a whole session can run in memory on every platform) and
// their character encoding: message texts are written in the source as UTF-8 and converted here,
// once, to the encoding of the stream they go to. Only the format text is converted; values
// substituted into it (text the user typed) go out unchanged.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>
#include <type_traits>

#if defined(__MINGW32__)
// MinGW's libstdc++ selects MinGW's own printf family (C99 conversions such as %zu), not the
// Windows runtime's, whose checks "printf" would otherwise name there.
#define REPBIN_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#elif defined(__GNUC__) || defined(__clang__)
#define REPBIN_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define REPBIN_PRINTF_FORMAT(f, a)
#endif

namespace repbin::out {

enum class Encoding {
  kCp850,  // OEM code page 850: "ó" is the byte 0xA2, "ú" 0xA3
  kUtf8,
};

// Where one of the two streams goes: a C stream, a string in memory, or nowhere (both null).
struct Sink {
  std::FILE* file = nullptr;
  std::string* text = nullptr;
  Encoding encoding = Encoding::kCp850;
};

// Makes `out` the standard output and `err` the standard error of everything printed from now on.
void Bind(std::FILE* out, std::FILE* err, Encoding out_encoding, Encoding err_encoding);
void Bind(const Sink& out, const Sink& err);

// Writes both streams in `encoding` from now on, wherever they go (--cp850, --utf8).
void SetEncoding(Encoding encoding);

// The encodings the one-shot commands write in when no option chooses one, which may differ from
// the dialogue's (platform.h, CommandEncoding). Until they are given, the commands keep the
// encodings bound.
void SetCommandEncodings(Encoding out_encoding, Encoding err_encoding);
// Writes both streams in the commands' encodings, when they were given.
void UseCommandEncodings();

// The sinks bound now (to bind them again later).
Sink BoundOut();
Sink BoundErr();

// Writes to standard output, printf-style ('.' as decimal point: the numeric locale is never set).
void Print(const char* format, ...) REPBIN_PRINTF_FORMAT(1, 2);

// Writes to standard error. Whenever the output passes from one stream to the other, the one
// written before is flushed, so that the two keep program order wherever they go.
void PrintErr(const char* format, ...) REPBIN_PRINTF_FORMAT(1, 2);

// Writes a message text to standard output, converted like a format text but with no
// substitutions: for texts chosen at run time.
void PrintText(const char* text);
// The same on standard error.
void PrintErrText(const char* text);

// Print and PrintErr with their arguments already gathered.
void PrintV(const char* format, std::va_list args);
void PrintErrV(const char* format, std::va_list args);

// Writes `size` bytes as they are (no conversion) to standard output.
void Write(const char* data, std::size_t size);

// Flushes both streams; called before every read and at the end of a session. False once a
// write to either stream has failed (now or earlier): a full disk, a closed descriptor, a reader
// gone.
bool Flush();

// The first failed write since the streams were bound: on which stream, and the C library's
// error number (errno).
struct WriteFailure {
  bool standard_output;  // otherwise standard error
  int error;
};
std::optional<WriteFailure> FirstWriteFailure();

// Flushes both streams and closes standard output's file, whose last writes some file systems
// report only then; false when standard output has failed. Nothing is written there afterwards.
bool CloseOutput();

// A short Spanish description of a C library error number, for messages ("es un directorio").
std::string DescribeError(int error);

// What was printed on each stream while captured.
struct Captured {
  std::string out;
  std::string err;
};

// Runs `run(context)` with both streams in memory in `encoding`, then binds again the sinks that
// were bound before (captures nest).
Captured CaptureOutput(void (*run)(void*), void* context, Encoding encoding);
// The same with both streams into one text, in program order (what a terminal shows).
std::string CaptureMergedOutput(void (*run)(void*), void* context, Encoding encoding);

// A callable's address, for the functions above that take it as void*.
template <class Fn>
void* Erased(Fn& fn) {
  return const_cast<void*>(static_cast<const void*>(&fn));
}

template <class Fn>
Captured Capture(Fn&& fn, Encoding encoding = Encoding::kCp850) {
  return CaptureOutput([](void* f) { (*static_cast<std::remove_reference_t<Fn>*>(f))(); },
                       Erased(fn), encoding);
}
template <class Fn>
std::string CaptureMerged(Fn&& fn, Encoding encoding = Encoding::kUtf8) {
  return CaptureMergedOutput([](void* f) { (*static_cast<std::remove_reference_t<Fn>*>(f))(); },
                             Erased(fn), encoding);
}

// The bytes of `text` (UTF-8) in `encoding`; characters code page 850 lacks become '?'.
// Exposed for tests.
void Encode(const char* text, Encoding encoding, char* dest, std::size_t dest_size);

}  // namespace repbin::out
