// Runs the whole program on the fuzzer's bytes. Most inputs are a session's standard input; an
// input that starts with '!' is a command line instead: its first line holds the arguments,
// separated by tabs, and the rest is the standard input (for batches read with "-"). Any
// sanitizer report is a failure; a run that does not end is caught by libFuzzer's -timeout.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/session.h"
#include "program/program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!bytes.starts_with('!')) {
    repbin::RunSessionOnText(bytes);
    return 0;
  }
  const std::size_t end_of_line = bytes.find('\n');
  const std::string_view line = bytes.substr(
      1, end_of_line == std::string_view::npos ? std::string_view::npos : end_of_line - 1);
  const std::string_view input =
      end_of_line == std::string_view::npos ? std::string_view() : bytes.substr(end_of_line + 1);
  std::vector<std::string> args;
  for (std::size_t start = 0; start <= line.size();) {
    const std::size_t tab = std::min(line.find('\t', start), line.size());
    args.emplace_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  repbin::RunProgramOnText(args, input);
  return 0;
}
