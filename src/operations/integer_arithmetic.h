// Integer addition and subtraction as a course does them by hand, in each of the five integer
// systems: the column addition with its carry row (or the subtraction with its borrows), the
// system's own rule (the inverted subtrahend and the +1 of two's complement, the end-around carry
// of one's complement, the compared signs of sign-magnitude, the excess correction), whether the
// exact result fits, and the flags N, Z, C and V a processor would set.
//
// Every value is exact at every width up to 64 bits; values travel as decimal text. Nothing here
// prints.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/operations.h"

namespace repbin::ops {

enum class ArithmeticOperator { kAdd, kSubtract };

// The narrowest width `system` accepts (2 in sign-magnitude: the sign and one magnitude bit).
int MinimumWidth(System system);

// The range of `system` (not kFloat) at `width` bits (and excess `excess`), in decimal.
struct IntegerRange {
  std::string min;
  std::string max;
};
IntegerRange RangeOf(System system, int width, std::int64_t excess);

// The pattern of the decimal integer `decimal` (an optional sign and digits) in `system` with
// `width` bits; nothing when it is not a number or does not fit.
std::optional<std::string> EncodeDecimal(System system, std::string_view decimal, int width,
                                         std::int64_t excess);

// `bits` widened to `width` keeping its value: zeros in front in natural binary, copies of the
// sign bit in the complements, the sign moved to the new first bit in sign-magnitude. Nothing in
// excess (no widening keeps an excess value) or when `bits` is wider than `width`.
std::optional<std::string> ExtendPattern(System system, std::string_view bits, int width);

// The value of `bits` read in `system`, in decimal.
std::string ReadPattern(System system, std::string_view bits, std::int64_t excess);

struct ArithmeticOperand {
  std::string typed;  // the pattern as given, before any widening
  std::string bits;   // the pattern at the operation's width
  std::string value;  // its value in the system, in decimal
};

struct ArithmeticFlags {
  bool n = false;  // the result's first bit
  bool z = false;  // every bit of the result is 0
  bool c = false;  // carry out of the top bit (addition), or borrow: B > A as naturals
  bool v = false;  // overflow of the operation on the patterns read in two's complement
};

struct IntegerArithmetic {
  System system = System::kNatural;
  int width = 0;
  std::int64_t excess = 0;
  ArithmeticOperator op = ArithmeticOperator::kAdd;
  ArithmeticOperand a;
  ArithmeticOperand b;
  // The pattern the system's rule leaves in `width` bits (also when the result does not fit),
  // and its value read in the system.
  std::string result_bits;
  std::string result_value;
  // A op B, exactly, and whether it lies outside the system's range at the width.
  std::string exact;
  bool overflow = false;
  // The carry into each column of the operation the trace shows, leftmost column first, as wide
  // as the pattern: natural addition, excess codes added: the plain carries; the complements:
  // the carries of A + B (or A + inverted B), whose rightmost column takes the +1 of two's
  // complement or the end-around carry of one's complement; natural subtraction and excess codes
  // subtracted: the borrows; sign-magnitude: the carries (or borrows) of the magnitudes, with
  // the one that leaves the magnitude above the sign bit.
  std::string carries;
  ArithmeticFlags flags;
  IntegerRange range;
  // The trace, one line each (UTF-8, no newline): the operands, the system's rule with its
  // columns, the result, the exact value, the verdict and one line per flag.
  std::vector<std::string> steps;
};

// Operates `a` and `b` (patterns of '0' and '1', each 1 to `width` bits; narrower ones are
// widened by ExtendPattern, so in excess they must be `width` bits already) in `system` (not
// kFloat) at `width` bits (MinimumWidth to 64), with excess `excess` (used by the excess system
// only). Without `trace`, `steps` stays empty and nothing else changes.
IntegerArithmetic OperateIntegers(System system, int width, std::int64_t excess,
                                  ArithmeticOperator op, std::string_view a, std::string_view b,
                                  bool trace = true);

// What the extended report adds to an operation, one line each: the range of its system, and
// the same patterns operated in the other signed systems, where students mix the rules up.
std::vector<std::string> ExtendedArithmeticLines(const IntegerArithmetic& operation);

}  // namespace repbin::ops
