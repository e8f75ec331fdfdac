#include "output/platform.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <langinfo.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#endif

namespace repbin::out {
namespace {

#ifdef _WIN32

// The console behind `stream`, or null when the stream goes to a file, a pipe or a device.
HANDLE ConsoleOf(std::FILE* stream) {
  const int fd = _fileno(stream);
  if (fd < 0) return nullptr;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  DWORD mode = 0;
  // _isatty is true for every character device (NUL too); only a console has a console mode.
  if (handle == INVALID_HANDLE_VALUE || GetConsoleMode(handle, &mode) == 0) return nullptr;
  return handle;
}

#else

bool LocaleIsUtf8() {
  // Only the character type is taken from the environment, to learn the codeset; numbers keep
  // the '.' of the C locale. The C locale is restored at once.
  if (std::setlocale(LC_CTYPE, "") == nullptr) return false;
  const bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  std::setlocale(LC_CTYPE, "C");
  return utf8;
}

#endif

// Reads `text` like the C library's strtod/strtof. On Windows a plain decimal number (the one
// case whose rounding MinGW-w64 gets wrong) goes through std::from_chars, which rounds correctly;
// everything else, and a result out of range, through the C library.
template <class F>
F ReadReal(const char* text, char** end, F (*c_library)(const char*, char**)) {
#ifdef _WIN32
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  const bool hexadecimal = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
  if (*p != '-' && *p != '+' && !hexadecimal) {
    F value{};
    const auto [stop, error] = std::from_chars(p, p + std::strlen(p), value);
    if (error == std::errc{}) {
      if (end != nullptr) *end = const_cast<char*>(stop);
      return negative ? -value : value;
    }
  }
#endif
  return c_library(text, end);
}

}  // namespace

double StrToD(const char* text, char** end) {
  return ReadReal<double>(text, end, [](const char* t, char** e) { return std::strtod(t, e); });
}

float StrToF(const char* text, char** end) {
  return ReadReal<float>(text, end, [](const char* t, char** e) { return std::strtof(t, e); });
}

void ClearStreamError() {
  errno = 0;
#ifdef _WIN32
  SetLastError(ERROR_SUCCESS);
#endif
}

namespace {

#ifdef _WIN32
bool IsPipe(std::FILE* stream) {
  const int fd = stream != nullptr ? _fileno(stream) : -1;
  return fd >= 0 && GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) == FILE_TYPE_PIPE;
}
#endif

// StreamError, with what is known of the stream (which may be closed by now).
int ErrorNumber([[maybe_unused]] bool pipe) {
#ifdef _WIN32
  switch (GetLastError()) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
    case ERROR_PIPE_NOT_CONNECTED: return EPIPE;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_DIRECTORY: return EISDIR;
    default: break;
  }
  // The runtime's own calls may have cleared the system's error by now; a pipe that refuses a
  // write has lost its reader.
  if (pipe) return EPIPE;
#endif
  return errno != 0 ? errno : EIO;
}

}  // namespace

int StreamError([[maybe_unused]] std::FILE* stream) {
#ifdef _WIN32
  return ErrorNumber(IsPipe(stream));
#else
  return ErrorNumber(false);
#endif
}

int CloseStream(std::FILE* stream) {
#ifdef _WIN32
  const bool pipe = IsPipe(stream);
#else
  const bool pipe = false;
#endif
  ClearStreamError();
  return std::fclose(stream) == 0 ? 0 : ErrorNumber(pipe);
}

#ifdef _WIN32

bool IsTerminal(std::FILE* stream) {
  return ConsoleOf(stream) != nullptr;
}

Encoding DefaultEncoding(std::FILE* stream) {
  // The output code page is the console's own (chcp); 850 and every page other than UTF-8 get
  // the program's default, code page 850.
  constexpr UINT kUtf8CodePage = 65001;
  return IsTerminal(stream) && GetConsoleOutputCP() == kUtf8CodePage ? Encoding::kUtf8
                                                                     : Encoding::kCp850;
}

Encoding CommandEncoding(std::FILE* stream) {
  constexpr UINT kUtf8CodePage = 65001;
  if (IsCp850Console(stream)) return Encoding::kCp850;
  const bool utf8 =
      GetACP() == kUtf8CodePage || (IsTerminal(stream) && GetConsoleOutputCP() == kUtf8CodePage);
  return utf8 ? Encoding::kUtf8 : Encoding::kCp850;
}

bool IsCp850Console(std::FILE* stream) {
  constexpr UINT kCp850 = 850;
  return stream != nullptr && IsTerminal(stream) && GetConsoleOutputCP() == kCp850;
}

void PrepareStandardStreams() {
  // Text mode would write "\n" as "\r\n": the program's bytes must be the same on every system,
  // so output is binary. Redirected input is read as is too (a "\r" before "\n" is white space
  // to the reader); input typed in a console stays in text mode, where Ctrl+Z then Enter ends
  // it as in every Windows program.
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (!IsTerminal(stdin)) _setmode(_fileno(stdin), _O_BINARY);
}

#else

bool IsTerminal(std::FILE* stream) {
  return isatty(fileno(stream)) == 1;
}

Encoding DefaultEncoding(std::FILE* stream) {
  return IsTerminal(stream) && LocaleIsUtf8() ? Encoding::kUtf8 : Encoding::kCp850;
}

Encoding CommandEncoding(std::FILE* /*stream*/) {
  return LocaleIsUtf8() ? Encoding::kUtf8 : Encoding::kCp850;
}

bool IsCp850Console(std::FILE* /*stream*/) {
  return false;
}

void PrepareStandardStreams() {
  // POSIX streams carry bytes unchanged already.
}

#endif

void SetBuffering(std::FILE* stream) {
  if (IsTerminal(stream)) {
    std::setvbuf(stream, nullptr, _IONBF, 0);
  } else {
    std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
  }
}

#ifdef _WIN32

bool AppendFile::Open(const char* path) {
  Close();
  // Read access too, to see how the file ends; a file that only allows writing is still opened.
  constexpr int kFlags = _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT;
  fd_ = _open(path, _O_RDWR | kFlags, _S_IREAD | _S_IWRITE);
  if (fd_ < 0) fd_ = _open(path, _O_WRONLY | kFlags, _S_IREAD | _S_IWRITE);
  return fd_ >= 0;
}

bool AppendFile::EndsMidLine() const {
  if (fd_ < 0 || GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd_))) != FILE_TYPE_DISK) {
    return false;
  }
  const __int64 size = _lseeki64(fd_, 0, SEEK_END);
  if (size <= 0 || _lseeki64(fd_, size - 1, SEEK_SET) < 0) return false;
  char last = '\n';
  const bool read = _read(fd_, &last, 1) == 1;
  _lseeki64(fd_, 0, SEEK_END);  // appending seeks to the end anyway
  return read && last != '\n';
}

bool AppendFile::Append(const char* data, std::size_t size, bool own_line) {
  if (fd_ < 0) return false;
  // A byte-range lock far beyond any record, as a lock on the whole file: Windows locks forbid
  // other handles to write within their range, and no one writes there.
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
  OVERLAPPED beyond{};
  beyond.Offset = 0xFFFFFFFE;
  beyond.OffsetHigh = 0x7FFFFFFF;
  const bool locked = LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &beyond) != 0;
  bool written = true;
  if (own_line && EndsMidLine()) written = WriteOnce("\n", 1);
  written = written && WriteOnce(data, size);
  if (locked) UnlockFileEx(handle, 0, 1, 0, &beyond);
  return written;
}

bool AppendFile::WriteOnce(const char* data, std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) return false;
  return _write(fd_, data, static_cast<unsigned>(size)) == static_cast<int>(size);
}

bool AppendFile::Close() {
  if (fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  return _close(fd) == 0;
}

#else

bool AppendFile::Open(const char* path) {
  Close();
  // Read access too, to see how the file ends; a file that only allows writing is still opened.
  constexpr int kFlags = O_APPEND | O_CREAT | O_CLOEXEC;
  constexpr mode_t kMode = S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;
  fd_ = open(path, O_RDWR | kFlags, kMode);
  if (fd_ < 0) fd_ = open(path, O_WRONLY | kFlags, kMode);
  return fd_ >= 0;
}

bool AppendFile::EndsMidLine() const {
  struct stat info {};
  if (fd_ < 0 || fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
    return false;
  }
  char last = '\n';
  return pread(fd_, &last, 1, info.st_size - 1) == 1 && last != '\n';
}

bool AppendFile::Append(const char* data, std::size_t size, bool own_line) {
  if (fd_ < 0) return false;
  // Other rounds hold the lock while they write, so the file's end is never a line half written
  // (a file system that knows no locks is written all the same).
  int locked = -1;
  do {
    locked = flock(fd_, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  bool written = true;
  if (own_line && EndsMidLine()) written = WriteOnce("\n", 1);
  written = written && WriteOnce(data, size);
  if (locked == 0) flock(fd_, LOCK_UN);
  return written;
}

bool AppendFile::WriteOnce(const char* data, std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<ssize_t>::max())) return false;
  ssize_t written = 0;
  do {
    written = write(fd_, data, size);
  } while (written < 0 && errno == EINTR);
  return written >= 0 && static_cast<std::size_t>(written) == size;
}

bool AppendFile::Close() {
  if (fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  return close(fd) == 0;
}

#endif

AppendFile::~AppendFile() {
  Close();
}

}  // namespace repbin::out
