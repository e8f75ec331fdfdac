#include "output/platform.h"

#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstring>

namespace repbin::out {
namespace {

bool LocaleIsUtf8() {
  // Only the character type is taken from the environment, to learn the codeset; numbers keep
  // the '.' of the C locale. The C locale is restored at once.
  if (std::setlocale(LC_CTYPE, "") == nullptr) return false;
  const bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  std::setlocale(LC_CTYPE, "C");
  return utf8;
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
  return isatty(fileno(stream)) == 1;
}

Encoding DefaultEncoding(std::FILE* stream) {
  return IsTerminal(stream) && LocaleIsUtf8() ? Encoding::kUtf8 : Encoding::kCp850;
}

void SetBuffering(std::FILE* stream) {
  if (IsTerminal(stream)) {
    std::setvbuf(stream, nullptr, _IONBF, 0);
  } else {
    std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
  }
}

}  // namespace repbin::out
