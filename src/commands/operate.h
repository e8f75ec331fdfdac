// The one-shot command `repbin operar SISTEMA ...`: arithmetic in a number system, shown step by
// step. Each kind of system has its own runner; this one picks it.
#pragma once

#include <string>
#include <vector>

namespace repbin {

// Runs `operar` (args[0]) with its arguments. Returns the exit status: 0 done, 1 a result (or an
// operand) that does not fit, 2 a usage error or a refused argument.
int RunOperate(const std::vector<std::string>& args);

namespace commands {
// `operar flotante A OP B [opciones]`: `args` are the words after the system's name.
int RunFloatOperation(const std::vector<std::string>& args);
void PrintFloatOperationHelp();
}  // namespace commands

}  // namespace repbin
