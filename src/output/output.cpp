#include "output/output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "output/platform.h"

namespace repbin::out {
namespace {

// A bound stream and the error number of its first failed write (0 while none has failed).
// Once a write has failed, nothing more is written to that stream.
struct Stream {
  Sink sink;
  int error = 0;
};

Stream out_stream{{stdout, nullptr, Encoding::kCp850}};
Stream err_stream{{stderr, nullptr, Encoding::kCp850}};
std::optional<std::pair<Encoding, Encoding>> command_encodings;  // SetCommandEncodings
// The stream written last. Before the other one is written, this one is flushed, so that the
// two keep program order even when both are buffered and go to the same file.
std::FILE* last_stream = nullptr;

// Records a failed write on `stream` (the first one only), with the C library's error number.
void Fail(Stream& stream) {
  if (stream.error == 0) stream.error = StreamError(stream.sink.file);
}

// Flushes `file`, recording a failure on the stream (or streams) bound to it.
void FlushFile(std::FILE* file) {
  ClearStreamError();
  if (std::fflush(file) == 0) return;
  if (out_stream.sink.file == file) Fail(out_stream);
  if (err_stream.sink.file == file) Fail(err_stream);
}

void SwitchTo(std::FILE* stream) {
  if (last_stream != nullptr && last_stream != stream) FlushFile(last_stream);
  last_stream = stream;
}

struct Cp850Letter {
  char32_t code_point;
  unsigned char byte;
};

// The letters of the program's Spanish texts, with their code page 850 bytes.
constexpr Cp850Letter kCp850Letters[] = {
    {U'á', 0xA0}, {U'é', 0x82}, {U'í', 0xA1}, {U'ó', 0xA2}, {U'ú', 0xA3}, {U'ñ', 0xA4},
    {U'Ñ', 0xA5}, {U'ü', 0x81}, {U'¿', 0xA8}, {U'¡', 0xAD}, {U'Á', 0xB5}, {U'É', 0x90},
    {U'Í', 0xD6}, {U'Ó', 0xE0}, {U'Ú', 0xE9}, {U'«', 0xAE}, {U'»', 0xAF}, {U'Ü', 0x9A},
    {U'º', 0xA7}, {U'ª', 0xA6}, {U'×', 0x9E},
};

unsigned char Cp850Byte(char32_t code_point) {
  for (const Cp850Letter& letter : kCp850Letters) {
    if (letter.code_point == code_point) return letter.byte;
  }
  return '?';
}

// Converts the format text for `encoding`; returns `format` itself when nothing changes.
const char* EncodeFormat(const char* format, Encoding encoding) {
  if (encoding == Encoding::kUtf8) return format;
  const char* p = format;
  while (*p != '\0' && static_cast<unsigned char>(*p) < 0x80) ++p;
  if (*p == '\0') return format;
  static std::string converted;  // kept between calls so that its storage is reused
  converted.assign(std::strlen(format) + 1, '\0');
  Encode(format, encoding, converted.data(), converted.size());
  return converted.c_str();
}

void WriteBytes(Stream& stream, const char* data, std::size_t size) {
  const Sink& sink = stream.sink;
  if (stream.error != 0) return;
  if (sink.file != nullptr) {
    SwitchTo(sink.file);
    ClearStreamError();
    if (std::fwrite(data, 1, size, sink.file) != size) Fail(stream);
  } else if (sink.text != nullptr) {
    sink.text->append(data, size);
  }
}

void WriteFormatted(Stream& stream, const char* format, std::va_list args) {
  const Sink& sink = stream.sink;
  if ((sink.file == nullptr && sink.text == nullptr) || stream.error != 0) return;
  const char* encoded = EncodeFormat(format, sink.encoding);
  if (sink.file != nullptr) {
    SwitchTo(sink.file);
    ClearStreamError();
    if (std::vfprintf(sink.file, encoded, args) < 0) Fail(stream);
    return;
  }
  // In memory: format straight into the string's new end.
  std::va_list again;
  va_copy(again, args);
  char small[256];
  const int n = std::vsnprintf(small, sizeof small, encoded, args);
  if (n > 0 && static_cast<std::size_t>(n) < sizeof small) {
    sink.text->append(small, static_cast<std::size_t>(n));
  } else if (n > 0) {
    const std::size_t old = sink.text->size();
    sink.text->resize(old + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(sink.text->data() + old, static_cast<std::size_t>(n) + 1, encoded, again);
    sink.text->resize(old + static_cast<std::size_t>(n));
  }
  va_end(again);
}

// Writes a message text converted like a format text, with no substitutions.
void WriteText(Stream& stream, const char* text) {
  if (stream.sink.file == nullptr && stream.sink.text == nullptr) return;  // silenced
  const char* encoded = EncodeFormat(text, stream.sink.encoding);
  WriteBytes(stream, encoded, std::strlen(encoded));
}

// Binds `out` and `err` while `run(context)` runs, then the streams bound before, with the
// failures they had.
void RunBound(const Sink& out, const Sink& err, void (*run)(void*), void* context) {
  Flush();
  const Stream saved_out = out_stream;
  const Stream saved_err = err_stream;
  Bind(out, err);
  run(context);
  out_stream = saved_out;
  err_stream = saved_err;
  last_stream = nullptr;
}

}  // namespace

void Bind(std::FILE* out, std::FILE* err, Encoding out_encoding, Encoding err_encoding) {
  Bind(Sink{out, nullptr, out_encoding}, Sink{err, nullptr, err_encoding});
}

void Bind(const Sink& out, const Sink& err) {
  out_stream = {out};
  err_stream = {err};
  last_stream = nullptr;
}

void SetEncoding(Encoding encoding) {
  out_stream.sink.encoding = encoding;
  err_stream.sink.encoding = encoding;
}

void SetCommandEncodings(Encoding out_encoding, Encoding err_encoding) {
  command_encodings = {out_encoding, err_encoding};
}

void UseCommandEncodings() {
  if (!command_encodings) return;
  out_stream.sink.encoding = command_encodings->first;
  err_stream.sink.encoding = command_encodings->second;
}

Sink BoundOut() {
  return out_stream.sink;
}

Sink BoundErr() {
  return err_stream.sink;
}

void Print(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  WriteFormatted(out_stream, format, args);
  va_end(args);
}

void PrintErr(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  WriteFormatted(err_stream, format, args);
  va_end(args);
}

void PrintText(const char* text) {
  WriteText(out_stream, text);
}

void PrintErrText(const char* text) {
  WriteText(err_stream, text);
}

void PrintV(const char* format, std::va_list args) {
  WriteFormatted(out_stream, format, args);
}

void PrintErrV(const char* format, std::va_list args) {
  WriteFormatted(err_stream, format, args);
}

void Write(const char* data, std::size_t size) {
  WriteBytes(out_stream, data, size);
}

bool Flush() {
  if (out_stream.sink.file != nullptr && out_stream.error == 0) FlushFile(out_stream.sink.file);
  if (err_stream.sink.file != nullptr && err_stream.error == 0) FlushFile(err_stream.sink.file);
  return out_stream.error == 0 && err_stream.error == 0;
}

std::optional<WriteFailure> FirstWriteFailure() {
  if (out_stream.error != 0) return WriteFailure{true, out_stream.error};
  if (err_stream.error != 0) return WriteFailure{false, err_stream.error};
  return std::nullopt;
}

bool CloseOutput() {
  Flush();
  std::FILE* file = out_stream.sink.file;
  if (file == nullptr || out_stream.error != 0) return out_stream.error == 0;
  // Some file systems report a lost write only when the file is closed.
  out_stream.error = CloseStream(file);
  if (last_stream == file) last_stream = nullptr;
  if (err_stream.sink.file == file) err_stream.sink = {};
  out_stream.sink = {};
  return out_stream.error == 0;
}

std::string DescribeError(int error) {
  switch (error) {
    case ENOSPC: return "no queda espacio en el dispositivo";
    case EISDIR: return "es un directorio";
    case EIO: return "error de entrada/salida";
    case EBADF: return "el descriptor no está abierto";
    case EFBIG: return "el archivo ha llegado a su tamaño máximo";
    case EACCES:
    case EPERM: return "permiso denegado";
#ifdef EDQUOT
    case EDQUOT: return "se ha agotado la cuota de disco";
#endif
    default: return "error del sistema número " + std::to_string(error);
  }
}

Captured CaptureOutput(void (*run)(void*), void* context, Encoding encoding) {
  Captured captured;
  RunBound(Sink{nullptr, &captured.out, encoding}, Sink{nullptr, &captured.err, encoding}, run,
           context);
  return captured;
}

std::string CaptureMergedOutput(void (*run)(void*), void* context, Encoding encoding) {
  std::string merged;
  RunBound(Sink{nullptr, &merged, encoding}, Sink{nullptr, &merged, encoding}, run, context);
  return merged;
}

void Encode(const char* text, Encoding encoding, char* dest, std::size_t dest_size) {
  if (dest_size == 0) return;
  std::size_t n = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0 && n + 1 < dest_size) {
    if (encoding == Encoding::kUtf8 || *p < 0x80) {
      dest[n++] = static_cast<char>(*p++);
      continue;
    }
    // Decode one UTF-8 sequence; a malformed one counts as one unknown character.
    int extra = (*p >= 0xF0) ? 3 : (*p >= 0xE0) ? 2 : (*p >= 0xC0) ? 1 : 0;
    char32_t cp = *p & (0x3Fu >> extra);
    ++p;
    for (; extra > 0 && (*p & 0xC0) == 0x80; --extra) cp = (cp << 6) | (*p++ & 0x3Fu);
    dest[n++] = static_cast<char>(extra == 0 ? Cp850Byte(cp) : '?');
  }
  dest[n] = '\0';
}

}  // namespace repbin::out
