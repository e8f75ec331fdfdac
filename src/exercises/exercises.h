// `repbin ejercicios`: exercise sheets with their answer keys, and question banks (Moodle GIFT,
// JSON Lines), built on the same operations as the dialogue and the one-shot commands.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "output/output.h"

namespace repbin {

// Runs `repbin ejercicios ARGS...` (`args` without the command's own name); returns the exit
// status: 0 done, 2 a usage error (with a Spanish message on standard error).
// `ampliado` and `encoding` are the options given before the command's name, which the sheet's
// own options override and its recorded command line repeats first.
int RunExercises(const std::vector<std::string>& args, bool ampliado = false,
                 std::optional<out::Encoding> encoding = std::nullopt);

}  // namespace repbin
