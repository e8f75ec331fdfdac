#include "output/output.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

namespace repbin::out {
namespace {

std::FILE* out_stream = stdout;
std::FILE* err_stream = stderr;
Encoding out_enc = Encoding::kCp850;
Encoding err_enc = Encoding::kCp850;
// The stream written last. Before the other one is written, this one is flushed, so that the
// two keep program order even when both are buffered and go to the same file.
std::FILE* last_stream = nullptr;

void SwitchTo(std::FILE* stream) {
  if (last_stream != nullptr && last_stream != stream) std::fflush(last_stream);
  last_stream = stream;
}

struct Cp850Letter {
  char32_t code_point;
  unsigned char byte;
};

// The letters of the program's Spanish texts, with their code page 850 bytes.
constexpr Cp850Letter kCp850Letters[] = {
    {U'á', 0xA0}, {U'é', 0x82}, {U'í', 0xA1}, {U'ó', 0xA2}, {U'ú', 0xA3},
    {U'ñ', 0xA4}, {U'Ñ', 0xA5}, {U'ü', 0x81}, {U'¿', 0xA8}, {U'¡', 0xAD},
    {U'Á', 0xB5}, {U'É', 0x90}, {U'Í', 0xD6}, {U'Ó', 0xE0}, {U'Ú', 0xE9},
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

void WriteFormatted(std::FILE* stream, Encoding encoding, const char* format, std::va_list args) {
  std::vfprintf(stream, EncodeFormat(format, encoding), args);
}

}  // namespace

void Bind(std::FILE* out, std::FILE* err, Encoding out_encoding, Encoding err_encoding) {
  out_stream = out;
  err_stream = err;
  out_enc = out_encoding;
  err_enc = err_encoding;
  last_stream = nullptr;
}

void Print(const char* format, ...) {
  SwitchTo(out_stream);
  std::va_list args;
  va_start(args, format);
  WriteFormatted(out_stream, out_enc, format, args);
  va_end(args);
}

void PrintErr(const char* format, ...) {
  SwitchTo(err_stream);
  std::va_list args;
  va_start(args, format);
  WriteFormatted(err_stream, err_enc, format, args);
  va_end(args);
}

void Flush() {
  std::fflush(out_stream);
  std::fflush(err_stream);
}

Captured CaptureOutput(void (*run)(void*), void* context) {
  char* out_data = nullptr;
  std::size_t out_size = 0;
  char* err_data = nullptr;
  std::size_t err_size = 0;
  std::FILE* out = open_memstream(&out_data, &out_size);
  std::FILE* err = open_memstream(&err_data, &err_size);
  if (out == nullptr || err == nullptr) std::abort();  // no memory left: nothing sound to do
  Bind(out, err, Encoding::kCp850, Encoding::kCp850);
  run(context);
  std::fclose(out);  // sets the data and size
  std::fclose(err);
  Bind(stdout, stderr, Encoding::kCp850, Encoding::kCp850);
  Captured captured{std::string(out_data, out_size), std::string(err_data, err_size)};
  std::free(out_data);
  std::free(err_data);
  return captured;
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
