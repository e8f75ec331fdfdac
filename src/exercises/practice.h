// `repbin practicar`: a round of exercises posed one at a time, each answer checked and, when it
// is wrong, explained; and the same round for the web page, as JSON.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace repbin {

// Runs `repbin practicar ARGS...` (`args` without the command's own name), reading the answers
// one a line from standard input: the questions on standard error, the verdicts, solutions and
// summary on standard output. Returns the exit status: 0 once the round is over, whatever the
// score; 1 a record that could not be written (the round stops there); 2 a usage error, or a
// record file that cannot be opened (with a Spanish message on standard error).
int RunPractice(const std::vector<std::string>& args);

namespace exercises {

// The round that practicar's drawing options `args` ask for (with --alumno NOMBRE, the student
// its records name), as one JSON object (UTF-8): {"semilla", "orden" (the command line that
// poses it again), "total" (its exercises, as the command's heading gives them), "ronda" (the
// round's id in its records)}; or {"error": the usage message} for options refused. Without
// --semilla one is chosen and given back.
std::string PracticeRoundJson(const std::vector<std::string>& args);

// Exercise `numero` of the round `args` gives (with its seed), drawn when it is asked for, as one
// JSON object: {"numero", "tipo", "titulo", "enunciado", "respuesta", "traza", "bits", and for
// fixed-point exercises "fraccion", for floating-point ones "formato", for arithmetic ones
// "operandos", "operador" and, in floating point, "redondeo"}; {"error"} when there is no such
// exercise (a long round whose options allow fewer exercises ends there). Asked for in the round's
// order, each costs the same whatever the round's length.
std::string PracticeExerciseJson(const std::vector<std::string>& args, int numero);

// The verdict on `answer` to exercise `numero` of the round `args` gives (with its seed), as one
// JSON object: {"correcta", "diagnostico", "codigo" (the mistake's code, null when right or
// unnamed), and for a floating-point pattern of the right length
// "campos": {"signo", "exponente", "mantisa"}, each true when right, and "cadena", the pattern
// as read}; {"error"} when there is no such exercise. After PracticeExerciseJson on the same
// exercise, it draws nothing.
std::string PracticeVerdictJson(const std::vector<std::string>& args, int numero,
                                std::string_view answer);

// The record of `answer` to exercise `numero` of the round `args` gives (with its seed), the
// round's id being `ronda`: the JSON object that `practicar --registro` writes as one line, with
// the student of --alumno (null without it); an empty answer or "?" is recorded unanswered.
// {"error"} when there is no such exercise, or the answer is of a kind asked again.
std::string PracticeRecordJson(const std::vector<std::string>& args, int numero,
                               std::string_view answer, const std::string& ronda);

}  // namespace exercises
}  // namespace repbin
