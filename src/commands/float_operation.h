// `repbin operar flotante A OP B`: floating-point arithmetic step by step. The integer command
// (operate.cpp) hands it the words when the system is `flotante`.
#pragma once

#include <string>
#include <vector>

namespace repbin::commands {

// `args` are the command's words after its name, the system's name taken out. Returns the exit
// status: 0 done, 1 a result (or an operand) that does not fit, 2 a usage error.
int RunFloatOperation(const std::vector<std::string>& args);
void PrintFloatOperationHelp();

}  // namespace repbin::commands
