// Test helpers: capturing what the program prints.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "console/session.h"
#include "output/output.h"

namespace repbin::test {

// What a piece of code printed on each stream (code page 850, as the program writes it).
struct Printed {
  std::string out;
  std::string err;
};

// Runs `fn` with both streams of the output layer captured in memory.
template <class Fn>
Printed Capture(Fn&& fn) {
  char* out_data = nullptr;
  std::size_t out_size = 0;
  char* err_data = nullptr;
  std::size_t err_size = 0;
  std::FILE* out = open_memstream(&out_data, &out_size);
  std::FILE* err = open_memstream(&err_data, &err_size);
  out::Bind(out, err, out::Encoding::kCp850, out::Encoding::kCp850);
  std::forward<Fn>(fn)();
  std::fclose(out);
  std::fclose(err);
  out::Bind(stdout, stderr, out::Encoding::kCp850, out::Encoding::kCp850);
  Printed printed{std::string(out_data, out_size), std::string(err_data, err_size)};
  std::free(out_data);
  std::free(err_data);
  return printed;
}

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
