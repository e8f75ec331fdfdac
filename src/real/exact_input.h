// What the extended report and the hand method share inside this layer: the value converted,
// held exactly, and the binary digits of exact values. Private to src/real (it needs the
// big-number library, which no header outside this layer's sources does).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

#include "real/format.h"
#include "real/report.h"

namespace repbin::exact_input {

using Big = boost::multiprecision::cpp_int;
using Wide = std::int64_t;

// The input as an exact magnitude and sign. A text whose exact value would be too long keeps
// `exact` false and carries a stand-in that rounds the same way in every format whose range
// does not reach below 10^-kMaxExactDigits (the fraction's digits become a single far digit).
struct Input {
  bool finite = true;
  bool nan = false;
  bool negative = false;
  bool exact = true;
  Big magnitude;  // magnitude / 10^scale
  Wide scale = 0;
  Big denominator;  // 10^scale
};

// floor(log2(x)) of the non-zero input magnitude x.
Wide FloorLog2(const Input& in);

// The digits of the natural binary of `n`, most significant first ("0" for 0).
std::string BinaryDigits(const Big& n);

// The lowest `width` binary digits of `n` (n >= 0), most significant first: a field's digits.
std::string BinaryDigits(const Big& n, int width);

// The next `count` binary digits of the fraction r / den (r < den), by long division; leaves in
// `r` the remainder after them.
std::string DivideDigits(Big& r, const Big& den, Wide count);

// The exponents the exponent field of `f` holds in its system.
void ExponentRange(const FloatFormat& f, Wide* lowest, Wide* highest);

// The hand method of writing the input `in` in `f` (the program's encoders: CFCFL for a
// fixed-point text, `fixed_text`, CFLBN for a single-precision value), one line each in UTF-8;
// `exact` is the input's exact decimal. The last line ends with the pattern the encoder writes,
// or says why the pattern does not hold the value (an exponent outside its field). Empty for an
// input that is not finite or too long to be exact.
std::vector<std::string> WritingMethod(const FloatFormat& f, const Input& in, bool fixed_text,
                                       const ExactDecimal& exact);

// The hand method of reading `bits` (f.nb characters) as the program reads them (ReadFloat); the
// last line ends with `value`, the pattern's exact value.
std::vector<std::string> ReadingMethod(const FloatFormat& f, const char* bits,
                                       const ExactDecimal& value);

}  // namespace repbin::exact_input
