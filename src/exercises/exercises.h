// `repbin ejercicios`: exercise sheets with their answer keys, and question banks (Moodle GIFT,
// JSON Lines), built on the same operations as the dialogue and the one-shot commands.
#pragma once

#include <string>
#include <vector>

namespace repbin {

// Runs `repbin ejercicios ARGS...` (`args` without the command's own name); returns the exit
// status: 0 done, 2 a usage error (with a Spanish message on standard error).
int RunExercises(const std::vector<std::string>& args);

}  // namespace repbin
