// The whole program behind `main`: the dialogue, or a one-shot command.
#pragma once

#include <string>
#include <vector>

namespace repbin {

// Runs the program on its arguments (argv without the program's name), with the output layer
// bound to the streams and encodings it should use: a command when the first argument names one,
// else the dialogue with its options. Returns the exit status.
int RunProgram(const std::vector<std::string>& args);

}  // namespace repbin
