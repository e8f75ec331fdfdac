// Runs the whole program on the fuzzer's bytes. Most inputs are a session's standard input; an
// input that starts with '!' is a command line instead: its first line holds the arguments,
// separated by tabs, and the rest is the standard input (for batches read with "-"). Any
// sanitizer report is a failure; a run that does not end is caught by libFuzzer's -timeout.
//
// Two prefixes, before the rest and in either order, reach the paths short inputs cannot:
//   '>' k  standard output is a device that is full after 1 + 64 k bytes, so writes fail at any
//          point of a session, a command, a batch or a sheet;
//   '*' k  the standard input's first line starts with 512 k blanks (up to 130,560), on both
//          sides of the longest line a batch keeps.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/session.h"
#include "output/input.h"
#include "output/output.h"
#include "program/program.h"

namespace {

// Runs the program with standard output on a device of `capacity` bytes; standard error is
// kept in memory.
void RunOnFullDevice(const std::vector<std::string>& args, std::string_view input,
                     std::size_t capacity) {
  static char device[1 + 64 * 255];
  std::FILE* out = fmemopen(device, capacity, "w");
  if (out == nullptr) return;
  std::setvbuf(out, nullptr, _IOFBF, 128);  // small, so that writes fail here and there
  const repbin::out::Sink saved_out = repbin::out::BoundOut();
  const repbin::out::Sink saved_err = repbin::out::BoundErr();
  std::string err;
  repbin::out::Bind({out, nullptr, repbin::out::Encoding::kCp850},
                    {nullptr, &err, repbin::out::Encoding::kCp850});
  repbin::in::BindInputText(input);
  const int status = repbin::CloseStandardOutput(repbin::RunProgram(args));
  if (status == 0 && repbin::out::FirstWriteFailure())
    __builtin_trap();  // a loss taken for success
  if (repbin::out::BoundOut().file == out) std::fclose(out);
  repbin::in::BindInput(stdin);
  repbin::out::Bind(saved_out, saved_err);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t capacity = 0;  // none: both streams in memory
  std::size_t blanks = 0;
  for (int prefix = 0; prefix < 2 && bytes.size() >= 2; ++prefix) {
    const auto k = static_cast<unsigned char>(bytes[1]);
    if (bytes[0] == '>') {
      capacity = 1 + 64 * std::size_t{k};
    } else if (bytes[0] == '*') {
      blanks = 512 * std::size_t{k};
    } else {
      break;
    }
    bytes.remove_prefix(2);
  }

  std::vector<std::string> args;
  std::string_view input = bytes;
  if (bytes.starts_with('!')) {
    const std::size_t end_of_line = bytes.find('\n');
    const std::string_view line = bytes.substr(
        1, end_of_line == std::string_view::npos ? std::string_view::npos : end_of_line - 1);
    input =
        end_of_line == std::string_view::npos ? std::string_view() : bytes.substr(end_of_line + 1);
    for (std::size_t start = 0; start <= line.size();) {
      const std::size_t tab = std::min(line.find('\t', start), line.size());
      args.emplace_back(line.substr(start, tab - start));
      start = tab + 1;
    }
  }
  std::string lengthened;
  if (blanks > 0) {
    lengthened.assign(blanks, ' ');
    lengthened.append(input);
    input = lengthened;
  }

  // A practice round's record is a file the fuzzer must not scatter around.
  for (const std::string& arg : args) {
    if (arg.starts_with("--registro")) return 0;
  }
  if (capacity > 0) {
    RunOnFullDevice(args, input, capacity);
  } else if (bytes.starts_with('!')) {
    repbin::RunProgramOnText(args, input);
  } else {
    repbin::RunSessionOnText(input);
  }
  return 0;
}
