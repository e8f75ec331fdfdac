// Runs a whole session of the program with the fuzzer's bytes as its standard input. Any
// sanitizer report is a failure; a session that does not end is caught by libFuzzer's -timeout.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  repbin::RunSessionOnText(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
