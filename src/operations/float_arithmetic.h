// Floating-point arithmetic step by step: addition, subtraction and multiplication of two values
// stored in any floating-point layout, computed as courses teach it (unpack, align with the guard,
// round and sticky bits, add or multiply, normalise, round, pack) and checked with exact
// arithmetic. The computation prints nothing: the steps come back as lines for the door to show.
//
// Formats shaped as IEEE 754 (sign, excess 2^(e-1)-1 exponent, sign-magnitude 1'M mantissa) keep
// its meaning: the all-zeros and all-ones exponents are not normal numbers, so a result whose
// exponent would need them (subnormal, infinite) is out of range with the reason, and a pattern
// operand that holds one of them (other than zero) is refused. A format without infinities
// (fp8-e4m3) has values in its all-ones exponent but for the NaN pattern S.1111.111, which a
// result beyond its largest value would be (or its largest value, when rounding toward zero).
#pragma once

#include <cstdint>
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

// An addition or subtraction's columns, for a door that draws them: the significands aligned
// one under the other, with the guard, round and sticky bits as their last three digits, each
// row a string of '0'/'1' with `integer_digits` digits before the point.
struct AlignedSignificands {
  bool subtract = false;
  std::int64_t exponent = 0;  // the power of two the rows are scaled by
  int integer_digits = 0;
  std::string carries;  // the carry (borrow) into each column
  std::string first;    // the larger magnitude
  std::string second;   // the smaller, shifted right
  std::string result;
};

// The significand after normalising, before rounding: its digits followed by the guard, round
// and sticky bits, with `integer_digits` digits before the point.
struct NormalisedSignificand {
  std::int64_t exponent = 0;
  int integer_digits = 0;
  std::string digits;
};

// What an IEEE-shaped format holds for a result beyond its largest value: an infinity, NaN in a
// format without infinities, or the largest value when the rounding goes toward zero; `valor` is
// "inf", "-inf", "nan" or the largest value in decimal.
struct IeeeOverflow {
  std::string cadena;
  std::string valor;
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
  // An IEEE-shaped format's own result when the result is beyond its largest value.
  std::optional<IeeeOverflow> ieee;
  std::vector<std::string> pasos;
  // Set when the operation added or subtracted two nonzero significands.
  std::optional<AlignedSignificands> alineados;
  // Set when the operation had nonzero operands and the result was normalised.
  std::optional<NormalisedSignificand> normalizado;
};

// Computes `a op b` in `format` (DescriptorIsValid) with `rounding`. Each operand is fixed-point
// text ("15", "-3.75", ".5", the syntax representar reads) or a pattern of the format written
// with "0b" (bits, with ' ', '_' or '.' between groups if wished) or "0x" (hexadecimal).
FloatOperation OperateFloat(const FloatFormat& format, std::string_view a, FloatOperator op,
                            std::string_view b, Rounding rounding);

}  // namespace repbin::ops
