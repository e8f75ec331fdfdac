// Test helpers: capturing what the program prints.
#pragma once

#include <string>
#include <string_view>

#include "dialogue/session.h"  // RunSessionOnText, for the session tests
#include "output/output.h"

namespace repbin::test {

// Under the sanitizers (a Debug build many times slower) the long random and exhaustive checks
// run a smaller share: the plain build runs them whole, and memory faults show in a share too.
#ifdef REPBIN_SANITIZED
inline constexpr int kSlowdown = 10;
#else
inline constexpr int kSlowdown = 1;
#endif

// Runs a piece of code with both streams captured (code page 850, as the program writes them).
using out::Capture;

// The code page 850 bytes the program writes for a UTF-8 text ("ó" 0xA2, "ú" 0xA3), so that
// expectations stay readable.
inline std::string Cp850(std::string_view utf8) {
  std::string text(utf8);
  std::string converted(text.size() + 1, '\0');
  out::Encode(text.c_str(), out::Encoding::kCp850, converted.data(), converted.size());
  converted.resize(std::char_traits<char>::length(converted.c_str()));
  return converted;
}

}  // namespace repbin::test
