// `repbin operar flotante A OP B`: floating-point arithmetic step by step. The integer command
// (operate.cpp) hands it the words when the system is `flotante`.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace repbin::commands {

// `args` are the command's words after its name, the system's name taken out. Returns the exit
// status: 0 done, 1 a result (or an operand) that does not fit, 2 a usage error. With `kept`
// (the page's run) the trace is printed and the object --json would print is kept there; --json,
// --help and "-" are refused. `ampliado` is --ampliado given before the command.
int RunFloatOperation(const std::vector<std::string>& args, nlohmann::ordered_json* kept = nullptr,
                      bool ampliado = false);
void PrintFloatOperationHelp();

}  // namespace repbin::commands
