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
#include "operations/option_table.h"
#include "output/output.h"

namespace repbin::exercises {

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

// Adds a command's own options to the table of the drawing ones, with their help rows, which
// come after the drawing ones; the rows of -h and of the encodings are the command's to write.
using AddOwnOptions = std::function<void(ops::OptionTable& table)>;

// Reads `args` (the command's arguments, without its name). The encoding options are honoured at
// once, wherever they stand, so that the help and every message follow them. Options take their
// value as the next word or after '=' (`--bits=8`); -f replaces the layout options before it.
// Returns nothing when the line is read, else the Spanish refusal for the command's usage error
// ("-n espera un número de ejercicios entre 1 y 100000, no «0»"); when a floating-point layout
// breaks its rules, `line.preface` says which.
std::optional<std::string> ReadDrawCommandLine(const std::vector<std::string>& args,
                                               const AddOwnOptions& own, DrawCommandLine& line);

// The options part of the command's --help: the drawing options and the command's own.
std::string DrawOptionsHelp(const AddOwnOptions& own);

// --cp850 and --utf8, which set the encoding at once and note it in `encoding` (the sheets' and
// the reports' own output follows it).
void AddEncodingFlags(ops::OptionTable& table, std::optional<out::Encoding>& encoding);

// A usage error of `repbin COMMAND`: the preface of `line` when given, the message, and where to
// see the options, on standard error. Returns the exit status, 2.
int UsageError(const char* command, const std::string& message,
               const DrawCommandLine* line = nullptr);

// A seed from the system's entropy and the clock, for a line without --semilla.
std::uint64_t ChooseSeed();

}  // namespace repbin::exercises
