#include "console/session.h"

#include <cstdlib>

#include "console/dialogue.h"
#include "console/input.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin {

int RunSession(std::FILE* in, std::FILE* out, std::FILE* err, out::Encoding out_encoding,
               out::Encoding err_encoding) {
  out::Bind(out, err, out_encoding, err_encoding);
  console::BindInput(in);
  ResetSettings();
  ResetDescriptor();
  console::MainMenu();
  out::Flush();
  return 0;
}

namespace {

std::string Take(std::FILE* stream, char*& data, std::size_t& size) {
  std::fclose(stream);
  std::string text(data, size);
  std::free(data);
  return text;
}

}  // namespace

Transcript RunSessionOnText(std::string_view input) {
  std::string in_copy(input);  // fmemopen wants writable storage
  std::FILE* in = fmemopen(in_copy.data(), in_copy.size(), "r");
  char* out_data = nullptr;
  std::size_t out_size = 0;
  char* err_data = nullptr;
  std::size_t err_size = 0;
  std::FILE* out = open_memstream(&out_data, &out_size);
  std::FILE* err = open_memstream(&err_data, &err_size);
  if (in == nullptr || out == nullptr || err == nullptr) std::abort();
  Transcript transcript;
  transcript.status = RunSession(in, out, err, out::Encoding::kCp850, out::Encoding::kCp850);
  std::fclose(in);
  out::Bind(stdout, stderr, out::Encoding::kCp850, out::Encoding::kCp850);
  console::BindInput(stdin);
  transcript.out = Take(out, out_data, out_size);
  transcript.err = Take(err, err_data, err_size);
  return transcript;
}

}  // namespace repbin
