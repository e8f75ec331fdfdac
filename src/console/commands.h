// The one-shot commands: `repbin representar ...`, `repbin interpretar ...` and
// `repbin ejercicios ...`, each one conversion (or one sheet) per command line, printing through
// the output layer as it is bound.
#pragma once

#include <string>
#include <vector>

namespace repbin {

// Whether `word` (argv[1]) names a command.
bool IsCommand(const std::string& word);

// Runs the command line `args` (argv without the program's name: the command, then its
// arguments). Returns the exit status: 0 done, 1 a value that does not fit, 2 a usage error or a
// refused argument (with a Spanish message on standard error).
int RunCommandLine(const std::vector<std::string>& args);

}  // namespace repbin
