// The one-shot commands: `repbin representar ...`, `repbin interpretar ...` and
// `repbin ejercicios ...`, each one conversion (or one sheet) per command line, printing through
// the output layer as it is bound.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "real/format.h"

namespace repbin {

// A floating-point format as the JSON objects carry it: bits, exp, pos_exp, pos_man, pos_signo,
// sis_exp, exceso (null unless the exponent is in excess), sis_man, norma.
nlohmann::ordered_json FormatJson(const FloatFormat& format);

// Whether `word` (argv[1]) names a command.
bool IsCommand(const std::string& word);

// Runs the command line `args` (argv without the program's name: the command, then its
// arguments). Returns the exit status: 0 done, 1 a value that does not fit, 2 a usage error or a
// refused argument (with a Spanish message on standard error).
int RunCommandLine(const std::vector<std::string>& args);

}  // namespace repbin
