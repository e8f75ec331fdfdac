// The command line of the doors that draw exercises (`repbin ejercicios`, `repbin practicar`):
// the drawing options they share (-n, --semilla, --tipos, -b, -z, the floating-point layout,
// --dificultad, --inexactos, the encoding), read once here, beside each command's own options.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exercises/exercise_sheet.h"
#include "output/output.h"

namespace repbin::exercises {

// The drawing options in the commands' --help, one a line after "Opciones:".
extern const char* const kDrawOptionsHelp;

// What a command line asks the generator for.
struct DrawCommandLine {
  SheetOptions options;                   // the seed is `seed`'s, once known
  std::optional<std::uint64_t> seed;      // --semilla
  std::optional<out::Encoding> encoding;  // --cp850, --utf8
  bool help = false;                      // -h, --help: nothing after it was read
  // What the layout rules say of a refused floating-point layout, to be shown before the
  // refusal (a newline, the rule's sentence, an empty line).
  std::string preface;
};

// A command's own options beside the drawing ones.
struct OwnOptions {
  std::vector<std::string_view> flags;              // taking no value ("--soluciones")
  std::vector<std::string_view> valued;             // taking one ("--salida", "--registro")
  std::vector<std::string_view> optionally_valued;  // a value only after '=' ("--puntos=20")
  // Takes one of them (with no value for a flag, or an optional value not given), in the order
  // given; returns nothing when it is accepted, else what the option accepts ("texto, markdown,
  // gift o json").
  std::function<std::optional<std::string>(const std::string& name,
                                           const std::optional<std::string>& value)>
      apply;
};

// Reads `args` (the command's arguments, without its name). The encoding options are honoured at
// once, wherever they stand, so that the help and every message follow them. Options take their
// value as the next word or after '=' (`--bits=8`); -f replaces the layout options before it.
// Returns nothing when the line is read, else the Spanish refusal for the command's usage error
// ("-n espera un número de ejercicios entre 1 y 100000, no «0»"); when a floating-point layout
// breaks its rules, `line.preface` says which.
std::optional<std::string> ReadDrawCommandLine(const std::vector<std::string>& args,
                                               const OwnOptions& own, DrawCommandLine& line);

// A usage error of `repbin COMMAND`: the preface of `line` when given, the message, and where to
// see the options, on standard error. Returns the exit status, 2.
int UsageError(const char* command, const std::string& message,
               const DrawCommandLine* line = nullptr);

// A seed from the system's entropy and the clock, for a line without --semilla.
std::uint64_t ChooseSeed();

// `repbin COMMAND ARGS...` as a shell reads it back (arguments quoted where needed).
std::string CommandText(std::string_view command, const std::vector<std::string>& args);

}  // namespace repbin::exercises
