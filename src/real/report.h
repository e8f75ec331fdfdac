// The extended floating-point report: what a pattern of the format really holds.
//
// Beside the truncating encoders and the program's own reading, it gives the pattern in
// hexadecimal, the exact decimal value of the pattern as the program reads it, the exact value
// that was converted and the conversion error, the pattern of the same format that rounding to
// nearest (ties to even) gives, and, for IEEE-shaped formats, the IEEE 754 reading of the
// pattern and the IEEE 754 encoding of the input. Every value is exact (Boost.Multiprecision);
// nothing passes through a float or a double except the relative error.
//
// Every function takes the format (real/format.h) and requires DescriptorIsValid(format).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/trace.h"
#include "real/format.h"

namespace repbin {

// A signed exact decimal written out in full ("-0.1875", "340282346638528859811704183484516925440",
// "0"), or empty when it would be unreasonably long: more than kMaxExactDigits digits after the
// point or before it (a binary exponent beyond +-16500).
using ExactDecimal = std::optional<std::string>;
inline constexpr int kMaxExactDigits = 16500;

// What was converted: the fixed-point text as typed (read as CFCFL reads it: the integer part by
// the atol rule, the fraction from the first '.' by the strtod rule, exponent included), or the
// single-precision value.
struct RepresentationInput {
  std::string text;  // when fixed_point
  bool fixed_point = true;
  float value = 0;  // when not fixed_point
};

// "0x" and the bits (at most 64) in hexadecimal, as many digits as four bits take: 0x2E66.
std::string HexOfBits(const std::string& bits);

// A pattern of the format, with its hexadecimal form and exact value as the program
// reads it (ReadFloat), and its error against the input (pattern - input).
struct RoundedPattern {
  std::string bits;  // nb characters
  std::string hex;
  ExactDecimal value;
  ExactDecimal error;
};

// The classes of an IEEE 754 pattern.
enum class IeeeClass { kZero, kSubnormal, kNormal, kInfinity, kNan };
// "cero", "subnormal", "normal", "infinito", "nan".
const char* IeeeClassName(IeeeClass kind);

// The IEEE 754 reading of a pattern.
struct IeeeReading {
  IeeeClass kind = IeeeClass::kZero;
  bool negative = false;
  ExactDecimal value;  // exact decimal ("-0" for negative zero); "inf", "-inf" or "nan"
};

// Whether `f` is shaped as IEEE 754 binary interchange: sign at 0, exponent next
// in excess 2^(nbexp-1) - 1, sign-magnitude mantissa with an implicit integer bit (1'M). All of
// ieee16, ieee32, ieee64, bfloat16 and both fp8 formats are; the format's `specials` says what its
// all-ones exponent holds.
bool IsIeeeShaped(const FloatFormat& f);

struct IeeeRepresentation {
  IeeeReading reading;       // of the stored pattern
  std::string rounded_bits;  // the IEEE 754 round-to-nearest-even encoding of the input
  std::string rounded_hex;
  // A finite input that IEEE 754 rounds to infinity (rounded_bits): the report's round-to-nearest
  // line says so instead of the pattern with the all-ones exponent that the program reads.
  bool overflows = false;
  // In a format without infinities (kOnlyNan) such an input goes to NaN instead.
  bool overflow_nan = false;
};

// The exact binary expansion of a value: the integer digits, and after a point the fraction's
// digits with the repeating part in parentheses ("-101.0(0011)", "101.011", "0").
struct BinaryExpansion {
  // A period longer than kMaxPeriodDigits shows its first kMaxPeriodDigits digits and "..."
  // inside the parentheses.
  std::string text;
  std::string period;  // the number of repeating digits, in decimal; "0" when the expansion ends
  bool shortened = false;  // the period is longer than kMaxPeriodDigits
};
inline constexpr int kMaxPeriodDigits = 64;

struct RepresentationReport {
  std::string hex;      // of the stored pattern
  int digits = 7;       // significant digits of the stored value in scientific notation
  ExactDecimal stored;  // the stored pattern as the program reads it
  ExactDecimal input;   // the exact value converted
  ExactDecimal error;   // stored - input
  std::optional<double> relative_error;  // (stored - input) / input; empty for a zero input
  // The input's exact expansion: of the typed decimal text, or of the single-precision value
  // (which always ends); empty when the input is not finite or too long to be exact.
  std::optional<BinaryExpansion> expansion;
  // The pattern of the nearest value of the format, ties to even; empty when that value's
  // exponent does not fit the exponent field (beyond the format's range), for a non-finite
  // input, and for a zero input in a format without zero (1'M and 0'1M).
  std::optional<RoundedPattern> rounded;
  std::optional<IeeeRepresentation> ieee;  // IEEE-shaped formats only
  // The hand method, one line each (UTF-8): the value in binary, normalised, the exponent in its
  // system, the stored mantissa bits (complemented for a negative value when the mantissa's
  // system says so) and the fields in their places; the last line ends with the pattern the
  // encoder writes, or says why the pattern does not hold the value (an exponent outside its
  // field). Filled only when asked for.
  std::vector<std::string> method;
};

struct InterpretationReport {
  std::string hex;
  int digits = 7;                   // significant digits of the value in scientific notation
  ExactDecimal value;               // as the program reads the pattern
  std::optional<IeeeReading> ieee;  // IEEE-shaped formats only
  // The hand method, one line each (UTF-8): the fields split, the exponent decoded, the mantissa
  // un-complemented, the implicit bit restored and the value computed; the last line ends with
  // `value` (or says it is too long to write). Filled only when asked for.
  std::vector<std::string> method;
};

// The significant decimal digits a format of `precision` bits carries: floor(p log10 2), at
// least 1.
int SignificantDigits(int precision);
// The significant digits of a value of such a format in scientific notation: as many, but at
// least three.
int ScientificDigits(int precision);
// The bits of a format's significand, the implicit bit counted.
int Precision(const FloatFormat& f);
// An exact decimal ("0.000000000000000000000000000000000000011754943508...") in scientific
// notation with `digits` significant digits, rounded to nearest with ties to even
// ("1.175494e-38"); "0" for zero.
std::string DecimalScientific(std::string_view exact, int digits);

// The report of a representation: `bits` is the pattern the encoder (CFCFL or CFLBN) wrote for
// `input`; with `with_method`, the hand method too (the method works its pattern out from the
// input alone). Prints nothing.
RepresentationReport ReportRepresentation(const FloatFormat& f, const char* bits,
                                          const RepresentationInput& input,
                                          bool with_method = false);

// The report of an interpretation of the pattern `bits`, with the hand method when
// `with_method`. Prints nothing.
InterpretationReport ReportInterpretation(const FloatFormat& f, const char* bits,
                                          bool with_method = false);

// The extended lines, in Spanish, reported to `trace`; the hand method's under the heading
// " Método a mano:" when the report has them.
void PrintRepresentationReport(const RepresentationReport& report, Trace& trace);
void PrintInterpretationReport(const InterpretationReport& report, Trace& trace);

}  // namespace repbin
