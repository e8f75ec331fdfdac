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
int RunConversion(const std::vector<std::string>& args, bool ampliado = false);

// The page's conversion: `representar` or `interpretar` (args[0]) with its arguments, run once,
// as one JSON object: "traza" (what the command prints without --json, both streams in program
// order, UTF-8), "pasos" (those lines), "estado" (the exit status) and "resultado" (the object
// --json would print, or null when the command was refused).
std::string ConversionForPage(const std::vector<std::string>& args);

// The layout a conversion's arguments describe (the value may be left out), for the page to draw
// and label: {"estado", "mensaje" (a refusal, as the command words it), "formato"
// (ops::LayoutJson), "escritos" (how many bits the value typed so far has, the width it must reach,
// 0 when any, and whether it is complete enough to convert)}.
std::string LayoutForPage(const std::vector<std::string>& args);

// Runs `operar` (args[0]): the addition or subtraction of two integers in one system, with its
// trace or one JSON object (one per line of standard input with "-"). Returns 0 when the result
// fits, 1 when it does not, 2 on a usage error.
int RunOperate(const std::vector<std::string>& args, bool ampliado = false);
// Runs `formato` (the card of a format) and `convertir` (a pattern from one floating-point format
// to another) with their arguments (args[0] is the command's name); the same exit statuses.
int RunFormat(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);

// The page's operation: `operar` (args[0]) with its arguments, integer or floating-point, run
// once, as one JSON object with "traza", "pasos", "estado" and "resultado", as ConversionForPage
// gives them; --json, --help and "-" are refused.
std::string OperationForPage(const std::vector<std::string>& args);

}  // namespace repbin
