// The one-shot commands `repbin representar ...`, `repbin interpretar ...` and `repbin operar
// ...`: one conversion or operation per
// command line (or one per line of standard input with "-"), printing through the output layer
// as it is bound: the dialogue's own lines, or one JSON object with --json.
#pragma once

#include <string>
#include <vector>

namespace repbin {

// Runs `representar` or `interpretar` (args[0]) with its arguments, from the program's start
// settings. Returns the exit status: 0 done, 1 a value that does not fit, 2 a usage error or a
// refused argument (with a Spanish message on standard error).
int RunConversion(const std::vector<std::string>& args);

// The page's conversion: `representar` or `interpretar` (args[0]) with its arguments, run once,
// as one JSON object: "traza" (what the command prints without --json, both streams in program
// order, UTF-8), "pasos" (those lines), "estado" (the exit status) and "resultado" (the object
// --json would print, or null when the command was refused).
std::string ConversionForPage(const std::vector<std::string>& args);

// Runs `operar` (args[0]): the addition or subtraction of two integers in one system, with its
// trace or one JSON object (one per line of standard input with "-"). Returns 0 when the result
// fits, 1 when it does not, 2 on a usage error.
int RunOperate(const std::vector<std::string>& args);

}  // namespace repbin
