// Arithmetic exercises: integer addition and subtraction in the five integer systems ("suma-c2",
// "resta-sm"), and floating-point addition and multiplication ("suma-flotante",
// "producto-flotante"). Their operands are drawn here, their keys and traces come from the same
// operation functions `repbin operar` uses, and a wrong answer is compared with what each of the
// usual mistaken methods gives, every one of them computed exactly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "exercises/answer_check.h"
#include "exercises/exercise_sheet.h"

namespace repbin::exercises {

// Whether `kind` is an operation on two operands.
bool IsArithmetic(const Kind& kind);

// The arithmetic kinds, integers in the systems' menu order, then the floating-point ones.
std::vector<Kind> ArithmeticKinds();

// Every kind: AllKinds(), ArithmeticKinds() and then FixedKinds().
std::vector<Kind> EveryKind();

// "suma", "resta", "producto" (and "representar", "interpretar" for the others).
const char* OperationName(Operation operation);

// "Suma en complemento a dos", "Producto en coma flotante".
std::string ArithmeticKindTitle(const Kind& kind);

// The random source of the draw: a uniform number in 0..n-1 (n > 0).
using Below = std::function<std::uint64_t(std::uint64_t)>;

// Draws the two operands of an integer exercise whose kind, width and excess `e` already holds,
// so that the exact result lies outside the range exactly when `overflow` says so (when the
// width allows it), and writes `e.dato` ("A + B"), `e.operandos` and `e.operador`. Returns
// whether the drawn operation overflows. `wider` > 0 draws from the whole range.
bool PoseIntegerArithmetic(Exercise& e, bool overflow, int wider, const Below& below);

// The statement, command, key ("01100100, desborda"), verdict and trace (with the extended
// report's lines when `ampliado`) of a posed integer exercise.
void SolveIntegerArithmetic(Exercise& e, bool trace, bool ampliado = false);

// Draws the operands of a floating-point exercise whose kind and format `e` already holds: few
// significant bits, exponents a few units apart, both stored exactly, with a result other than
// zero whose exponent fits whenever such operands are found; and the rounding the statement asks
// for
// (`rounding` when not empty, else truncation or rounding to nearest drawn). Writes `e.dato`,
// `e.operandos`, `e.operador` and `e.redondeo`.
void PoseFloatArithmetic(Exercise& e, int dificultad, int wider, const std::string& rounding,
                         const Below& below);

// The statement (the format as `in_format` names it; `format_args` are the command's layout
// options), command, key (the result's pattern, or "Fuera de Rango") and trace of a posed
// floating-point exercise; `ampliado` adds the reading of the result to the trace.
void SolveFloatArithmetic(Exercise& e, const std::string& in_format,
                          const std::vector<std::string>& format_args, bool trace,
                          bool ampliado = false);

// Checks an answer to an arithmetic exercise. Integers: the result's pattern (grouped or in
// hexadecimal) then "desborda" or "no desborda" ("0110 0100, no desborda"); a pattern alone is
// asked again with `repetir`. Floating point: the result's pattern, or "Fuera de Rango".
Verdict CheckArithmeticAnswer(const Exercise& e, std::string_view answer);

// The accepted answers of an integer arithmetic exercise in GIFT: the key, and the same with its
// pattern grouped in fours, each with and without the comma before the verdict.
std::vector<std::string> ArithmeticAcceptedAnswers(const Exercise& e);

}  // namespace repbin::exercises
