// Floating-point arithmetic step by step: addition, subtraction and multiplication of two values
// stored in any floating-point layout, computed as courses teach it (unpack, align with the guard,
// round and sticky bits, add or multiply, normalise, round, pack) and checked with exact
// arithmetic. The computation prints nothing: the steps come back as lines for the door to show.
//
// Formats shaped as IEEE 754 (sign, excess 2^(e-1)-1 exponent, sign-magnitude 1'M mantissa) keep
// its meaning: the all-zeros and all-ones exponents are not normal numbers, so a result whose
// exponent would need them (subnormal, infinite) is out of range with the reason, and a pattern
// operand that holds one of them (other than zero) is refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "real/format.h"

namespace repbin::ops {

// How a value that needs more significant bits than the format has is brought into it.
enum class Rounding {
  kTruncate,    // "truncar": the extra bits of the magnitude dropped (the program's own rule)
  kNearest,     // "cercano": to nearest, ties to the even significand (IEEE 754's default)
  kTowardZero,  // "cero": toward zero
  kUp,          // "arriba": toward +infinity
  kDown,        // "abajo": toward -infinity
};
std::optional<Rounding> FindRounding(std::string_view word);
const char* RoundingName(Rounding rounding);

enum class FloatOperator { kAdd, kSubtract, kMultiply };
// "+", "-", "x" (also "X" and "*").
std::optional<FloatOperator> FindFloatOperator(std::string_view word);
// "+", "-", "x".
const char* OperatorName(FloatOperator op);

// One operand as it was stored in the format.
struct StoredOperand {
  std::string input;           // as typed
  std::string cadena;          // its pattern
  std::string valor_exacto;    // the value the pattern holds, in decimal ("" when too long)
  std::string entrada_exacta;  // the value typed, in decimal ("" for a pattern)
  bool inexacto = false;       // storing it needed rounding
};

struct FloatOperation {
  // A refused operand: a Spanish message saying what is accepted, and which operand (0 or 1).
  std::string fault;
  int fault_operand = 0;

  StoredOperand operands[2];
  // The result: its pattern and hexadecimal, and its value in decimal; all empty when the result
  // is out of range.
  std::string cadena;
  std::string hex;
  std::string valor;
  // The exact result of the stored operands, in decimal ("" when it is too long to write).
  std::string valor_exacto;
  std::string error;  // valor - valor_exacto ("" when either is unknown)
  bool inexacto = false;
  bool guarda = false, redondeo = false, retenedor = false;  // the bits beyond the significand
  bool desbordamiento = false;  // an exponent (of the result or an operand) does not fit
  std::string motivo;           // why, when it does not fit
  std::vector<std::string> pasos;
};

// Computes `a op b` in `format` (DescriptorIsValid) with `rounding`. Each operand is fixed-point
// text ("15", "-3.75", ".5", the syntax representar reads) or a pattern of the format written
// with "0b" (bits, with ' ', '_' or '.' between groups if wished) or "0x" (hexadecimal).
FloatOperation OperateFloat(const FloatFormat& format, std::string_view a, FloatOperator op,
                            std::string_view b, Rounding rounding);

}  // namespace repbin::ops
