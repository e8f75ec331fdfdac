// The platform seam: the few things the program asks of the operating system about its streams.
// Everything here is portable C++ above this header; each system's calls stay in platform.cpp.
#pragma once

#include <cstddef>
#include <cstdio>

#include "output/output.h"

namespace repbin::out {

// Makes the standard streams carry bytes unchanged (Windows would otherwise turn "\n" into
// "\r\n"). Called once, before anything is written.
void PrepareStandardStreams();

// Whether `stream` is an interactive terminal (a console window on Windows).
bool IsTerminal(std::FILE* stream);

// The encoding a stream gets when no option forces one: UTF-8 on a terminal that speaks UTF-8
// (a POSIX terminal whose LC_CTYPE codeset is UTF-8, a Windows console whose output code page is
// 65001), code page 850 everywhere else: files, pipes and every other code page.
Encoding DefaultEncoding(std::FILE* stream);

// The encoding of a one-shot command's stream when no option forces one: UTF-8 when the
// locale's character set is UTF-8 (LC_CTYPE's codeset; on Windows the ANSI code page or a console
// on code page 65001), wherever the stream goes; code page 850 otherwise, and on a Windows
// console that shows code page 850.
Encoding CommandEncoding(std::FILE* stream);

// Whether `stream` is a console that shows code page 850 (a Windows console whose output code
// page is 850); false for a null stream, a file, a pipe, and on every other system.
bool IsCp850Console(std::FILE* stream);

// std::strtod and std::strtof, correctly rounded on every system: the same grammar (leading
// white space, a sign, decimal or hexadecimal digits, inf, nan), the same end and the same
// overflow and underflow. MinGW-w64's own conversions misround some halfway subnormals, so a
// value would otherwise read differently on Windows.
double StrToD(const char* text, char** end);
float StrToF(const char* text, char** end);

// Clears the error state that StreamError reads; called before each write, flush or close of a C
// stream whose failure is checked.
void ClearStreamError();

// The C library's error number (errno) of the operation on `stream` that has just failed. On
// Windows, where the C runtime often leaves errno unset, the system's own error says it: a full
// disk is ENOSPC, a pipe whose reader has left is EPIPE. A failure that says nothing is EIO.
int StreamError(std::FILE* stream);

// Closes `stream`; returns 0, or the error number of a failure as StreamError gives it (on
// Windows, a write to a pipe whose reader has left often fails only here).
int CloseStream(std::FILE* stream);

// A terminal gets every piece at once; a file or pipe gets full buffers. The output layer flushes
// one stream before it writes to the other, and both before each read, so prompts and results
// keep program order wherever the streams go.
void SetBuffering(std::FILE* stream);

// A file that several processes may append whole lines to at once (a practice round's record),
// written with the system's own calls rather than a C stream, so that each line goes out in one
// write and never in pieces that another process's line could come between.
class AppendFile {
 public:
  AppendFile() = default;
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;
  ~AppendFile();

  // Opens `path` for appending, creating it when missing; false when it cannot be.
  bool Open(const char* path);
  // Appends `size` bytes (whole lines) with a single write at the file's end, holding the
  // file's lock against other processes that append this way; with `own_line`, a newline goes
  // first when the file ends in mid-line (a line that another process left cut short). False
  // unless every byte went.
  bool Append(const char* data, std::size_t size, bool own_line);
  // Closes the file; false when closing it fails.
  bool Close();

 private:
  // Whether the file has bytes and its last one is not a newline; false for a device, a pipe
  // or a file that cannot be read.
  bool EndsMidLine() const;
  // A single write of `size` bytes; false unless all of them went.
  bool WriteOnce(const char* data, std::size_t size);

  int fd_ = -1;
};

}  // namespace repbin::out
