// repbin: teaches how numbers are represented in binary, through a dialogue of numbered menus.

#include <cstdio>
#include <cstring>

#include "console/session.h"
#include "output/output.h"
#include "output/platform.h"

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

}  // namespace

int main(int argc, char** argv) {
  repbin::out::PrepareStandardStreams();
  Encoding out_encoding = repbin::out::DefaultEncoding(stdout);
  Encoding err_encoding = repbin::out::DefaultEncoding(stderr);

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

  for (std::FILE* stream : {stdout, stderr}) repbin::out::SetBuffering(stream);
  return repbin::RunSession(stdin);
}
