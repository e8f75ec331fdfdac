// What a format is: its range, its precision and the neighbours of a value in it.
//
// A floating-point format's positive values are S x 2^q, S an integer of p bits (its leading bit
// 1) and q from the smallest unit to the largest; below the smallest normalised value the format
// may go on in steps of the smallest unit (IEEE 754 subnormals, or the mantissas of a fraction
// format 0'M whose leading digit is '0'). A named IEEE format follows IEEE 754 (the all-'0'
// exponent holds zero and the subnormals, the all-'1' one infinities and NaN, or in fp8-e4m3 only
// NaN); any other layout follows the program's own reading, the one `interpretar` uses. The
// negative values mirror the positive ones (a two's-complement mantissa's 1.00...0 at the highest
// exponent, which reads as one step past the most negative value, is a pattern no encoder writes
// and stays out of the card). Every value is exact.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/operations.h"
#include "real/format.h"

namespace repbin::ops {

// A value of the format: significand x 2^exponent, its pattern and its texts.
struct CardValue {
  std::string bits;         // the pattern, f.nb characters
  std::string grouped;      // the pattern with a space between fields ("0 11111110 111...")
  std::string significand;  // the signed integer S, in decimal
  std::int64_t exponent = 0;
  std::optional<std::string> exact;  // exact decimal; empty when too long to write
  std::string scientific;            // "3.402823e+38", with the format's significant digits
  std::string how;                   // how it comes about ("(2 - 2^-23) x 2^127")
};

struct FloatCard {
  bool ieee = false;  // a named IEEE format, read by IEEE 754
  int precision = 0;  // bits of the significand, the implicit bit counted
  int decimal_digits = 0;
  CardValue largest;
  CardValue smallest_normal;
  CardValue smallest_positive;
  CardValue zero;                  // the pattern written for zero, as the format reads it
  bool has_zero = false;           // whether some pattern reads as zero
  std::vector<std::string> zeros;  // every zero pattern
  CardValue epsilon;               // the gap after 1
  CardValue gap_at_largest;
  std::string count;  // distinct finite values (+0 and -0 counted once)
  // IEEE formats: the special patterns (empty for inf in fp8-e4m3) and the subnormal range.
  std::string infinity, minus_infinity, nan;
  std::optional<CardValue> smallest_subnormal, largest_subnormal;
};

// A named IEEE format (ieee16, ieee32, ieee64, bfloat16, fp8-e4m3, fp8-e5m2 as FindPreset gives
// them) is read by IEEE 754; requires DescriptorIsValid(f).
bool IsNamedIeee(const FloatFormat& f);

FloatCard BuildFloatCard(const FloatFormat& f);

// The neighbours of a value X in a floating-point format.
struct Neighbours {
  std::optional<CardValue> previous;  // the largest value below X (below or at it when inexact)
  std::optional<CardValue> next;      // the smallest value above X; empty beyond the largest
  bool exact = false;                 // X is a value of the format (then it is `at`)
  std::optional<CardValue> at;
  std::optional<std::string> gap;  // next - previous, or next - X when exact (exact decimal)
  // What truncation (toward zero) and round to nearest (ties to even) choose; an empty choice
  // lies beyond the largest value (to infinity in IEEE formats, out of range otherwise).
  std::optional<CardValue> truncated;
  std::optional<CardValue> nearest;
  bool beyond = false;  // |X| beyond the largest value
};

// A decimal number: optional sign, digits with an optional point, an optional exponent
// ("9.75", "-1e-3", ".5"); its value as num / den in lowest terms, den > 0. Exponents beyond
// +-100000 are refused.
struct ExactValue {
  std::string num, den;  // decimal integers
};
std::optional<ExactValue> ParseExactValue(std::string_view text);

Neighbours FindNeighbours(const FloatFormat& f, const ExactValue& x);

// An integer system (natural, sign-magnitude, one's or two's complement, excess) at `nb` bits,
// with `fraction` bits after the point (0 for excess).
struct IntegerCard {
  std::string min, max;  // exact decimals
  std::string min_bits, max_bits;
  std::string count;                 // distinct values
  std::vector<std::string> zeros;    // the zero patterns
  std::string step;                  // 2^-fraction, exact decimal
  std::string min_units, max_units;  // the range in units of the step (integers)
};
IntegerCard BuildIntegerCard(const IntegerFormat& format, int fraction);

// The card, in Spanish, reported to `trace`.
void PrintFloatCard(const FloatFormat& f, const FloatCard& card, Trace& trace);
void PrintNeighbours(const Neighbours& n, std::string_view x, Trace& trace);
void PrintIntegerCard(const IntegerFormat& format, int fraction, const IntegerCard& card,
                      Trace& trace);

// m x 2^k as an exact decimal, empty beyond kMaxExactDigits digits; and in scientific notation
// with `digits` significant digits ("1.175494e-38"), or "m x 2^k" when it would be too long to
// compute.
std::optional<std::string> DyadicDecimal(std::string_view m, std::int64_t k);
std::string DyadicScientific(std::string_view m, std::int64_t k, int digits);

}  // namespace repbin::ops
