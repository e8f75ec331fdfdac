// The whole program behind `main`: the dialogue, or a one-shot command.
#pragma once

#include "console/session.h"
#include "output/output.h"

#include <string>
#include <string_view>
#include <vector>

namespace repbin {

// Runs the program on its arguments (argv without the program's name), with the output layer
// bound to the streams and encodings it should use: a command when the first argument names one,
// else the dialogue with its options. Returns the exit status.
int RunProgram(const std::vector<std::string>& args);

// Runs the program in memory: `input` is the whole standard input; both streams are captured in
// `encoding` (the options may change it, as on a console).
Transcript RunProgramOnText(const std::vector<std::string>& args, std::string_view input,
                            out::Encoding encoding = out::Encoding::kCp850);

}  // namespace repbin
