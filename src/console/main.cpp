// repbin: teaches how numbers are represented in binary, through a dialogue of numbered menus.

#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>

#include "console/session.h"
#include "output/output.h"

namespace {

using repbin::out::Encoding;

void PrintUsage() {
  repbin::out::Print(
      "Uso: repbin [--cp850 | --utf8]\n"
      "     repbin --help | --version\n"
      "\n"
      "Enseña cómo se representan los números en binario: escribe enteros en binario\n"
      "natural, signo-magnitud, complemento a uno y a dos y exceso Z, y números reales en\n"
      "coma flotante, y lee cadenas de bits en todos ellos, mostrando cada paso.\n"
      "Los menús y preguntas salen por la salida de error; los resultados, por la estándar.\n"
      "\n"
      "Opciones:\n"
      "  --cp850     escribe los acentos en la página de códigos 850 (lo habitual,\n"
      "              salvo en un terminal UTF-8)\n"
      "  --utf8      escribe los acentos en UTF-8\n"
      "  -h, --help  muestra esta ayuda y termina\n"
      "  --version   muestra la versión y termina\n");
}

// Code page 850 unless the stream is a terminal whose locale speaks UTF-8.
Encoding EncodingFor(int fd, bool utf8_locale) {
  return (utf8_locale && isatty(fd) == 1) ? Encoding::kUtf8 : Encoding::kCp850;
}

bool LocaleIsUtf8() {
  // Only the character type is taken from the environment, to learn the codeset; numbers keep
  // the '.' of the C locale. The C locale is restored at once.
  if (std::setlocale(LC_CTYPE, "") == nullptr) return false;
  const bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  std::setlocale(LC_CTYPE, "C");
  return utf8;
}

}  // namespace

int main(int argc, char** argv) {
  const bool utf8_locale = LocaleIsUtf8();
  Encoding out_encoding = EncodingFor(STDOUT_FILENO, utf8_locale);
  Encoding err_encoding = EncodingFor(STDERR_FILENO, utf8_locale);

  // Options are read up to the first one that ends the program: --help, --version or an
  // unknown one.
  enum class Action { kRun, kHelp, kVersion, kUnknown } action = Action::kRun;
  const char* arg = nullptr;
  for (int i = 1; i < argc && action == Action::kRun; ++i) {
    arg = argv[i];
    if (std::strcmp(arg, "--cp850") == 0 || std::strcmp(arg, "--utf8") == 0) {
      out_encoding = err_encoding = arg[2] == 'c' ? Encoding::kCp850 : Encoding::kUtf8;
    } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      action = Action::kHelp;
    } else if (std::strcmp(arg, "--version") == 0) {
      action = Action::kVersion;
    } else {
      action = Action::kUnknown;
    }
  }
  repbin::out::Bind(stdout, stderr, out_encoding, err_encoding);

  switch (action) {
    case Action::kHelp: PrintUsage(); return 0;
    case Action::kVersion: repbin::out::Print("repbin %s\n", REPBIN_VERSION); return 0;
    case Action::kUnknown:
      repbin::out::PrintErr("repbin: opción desconocida: %s\n", arg);
      repbin::out::Bind(stderr, stderr, err_encoding, err_encoding);  // the usage goes there too
      PrintUsage();
      return 2;
    case Action::kRun: break;
  }

  // A terminal gets every piece at once; a file or pipe gets full buffers. The output layer
  // flushes one stream before it writes to the other, and both before each read, so prompts and
  // results keep program order wherever the streams go.
  for (std::FILE* stream : {stdout, stderr}) {
    if (isatty(fileno(stream)) == 1) {
      std::setvbuf(stream, nullptr, _IONBF, 0);
    } else {
      std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
    }
  }
  return repbin::RunSession(stdin);
}
