// Real-number codecs: real values to and from bit strings in a floating-point format
// (real/format.h), each reporting its trace to the sink it is given.
//
// The names say what converts to what: CF is fixed point (a decimal text such as "5.375"), CFL
// floating point (a value, or a format's bit string read as one), BN a binary string. So CFBN
// writes fixed-point text as binary text, CFCFL fixed-point text into a floating-point format,
// CFLBN a floating-point value into a format's bit string, BNCFL reads that string back.
#pragma once

#include <cstdint>
#include <string>

#include "output/trace.h"
#include "real/format.h"

namespace repbin {

// Writes `num` into `bitmap` (`f.nb` characters and a NUL) through its IEEE 754 double image: the
// exponent field first, then the sign, then the mantissa, truncated. Prints the traces of the
// image, of the exponent's reading and of the exponent's encoder. Zero (+0 or -0) is written as
// CFCFL writes it: the zero line, the smallest exponent and a mantissa of '0' digits. Returns 1, or
// 0 when the exponent does not fit its field (the string is written all the same).
int CFLBN(const FloatFormat& f, float num, char* bitmap, Trace& trace);

// Reads the `f.nb`-character string at `bitmap` in the format `f`. Prints the exponent and
// mantissa traces and the summary line "(-1)^s 1'M 2^e=value". Exponent and mantissa are decoded
// in 64 bits, so every format of up to 64 bits reads exactly; the product is rounded once to
// single precision (inf or 0 when it lies beyond it). The pattern the encoders write for zero
// (IsZeroPattern) reads as zero with its sign: a line says so, then "(-1)^s 0=value". With a one's-
// or two's-complement mantissa and an implicit bit, a negative string's implicit bit is read
// complemented as the encoders leave it, so whatever CFLBN or CFCFL write reads back as the value
// they wrote (truncated).
float BNCFL(const FloatFormat& f, const char* bitmap, Trace& trace);

// What the floating-point decoder reads in a string: the value is man x 2^(exp - shift).
struct FloatReading {
  std::int64_t exp;    // the exponent field in its system
  std::int64_t man;    // the mantissa sequence (sign, implicit bit, field) in its system
  std::int64_t shift;  // where the normalisation puts the binary point: nbman, plus 1 for 0'1M
  bool zero;           // the pattern of zero (IsZeroPattern); man is then 0
};
// The same reading as BNCFL, printing nothing.
FloatReading ReadFloat(const FloatFormat& f, const char* bitmap);

// What keeps a fixed-point text from being converted soundly.
enum class FixedTextFault {
  kNone,
  kNotANumber,       // not an optional sign and digits with at most one point ("abc", "1e-10",
                     // "1/3", "5.5.5", "--5", "-", "")
  kDecimalComma,     // a number once its ',' is a point ("0,1")
  kIntegerTooLarge,  // integer part beyond +-2147483647
  kTooSmall,         // not zero, but its first '1' lies beyond the 64-character binary text
};
// Accepted: an optional sign, then digits with an optional point and optional digits after it,
// or a point followed by digits ("5", "-5.375", "5.", ".5", "+0.1"), whose integer part is
// within +-2147483647 and whose value is zero or has its first '1' within the binary text.
FixedTextFault CheckFixedText(const char* decimal);

// What the doors say about a refused text `decimal`, in Spanish, starting in lower case and
// without a final stop; `floating_entry` names the door's way of typing a floating value ("la
// opción --valor"), which the message for a value too small for the text recommends.
std::string FixedTextMessage(FixedTextFault fault, const char* decimal, const char* floating_entry);

// Writes the binary fixed-point text of `decimal` into `bitmap` (room for 65 characters): sign,
// integer digits, '.', fraction digits by repeated doubling of the fraction's exact decimal
// value, at most 64 characters: the truncated expansion of the typed value. Stores in `coma` the
// exponent e of the form 0.1... x 2^e (3 when there is no '1'). Returns the length of the text.
// Requires CheckFixedText(decimal) == kNone.
int CFBN(const char* decimal, char* bitmap, int* coma, Trace& trace);

// Writes the fixed-point text `decimal` into `bitmap` in the format `f`, printing the
// fixed-point conversion, the normalised value, the exponent calculation and a summary. Zero
// (a text without '1') has no normalised form: a line says so, and the string gets the smallest
// exponent (SmallestExponent) and a mantissa of '0' digits in its system, with the typed sign.
// Returns 1, or 0 when the exponent does not fit its field (the string is written all the same).
// Requires CheckFixedText(decimal) == kNone.
int CFCFL(const FloatFormat& f, const char* decimal, char* bitmap, Trace& trace);

}  // namespace repbin
