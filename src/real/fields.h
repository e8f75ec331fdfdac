// Field writers shared by the two floating-point encoders.
#pragma once

#include <cstdint>

#include "output/trace.h"
#include "real/format.h"

namespace repbin {

// Clears positions 0 to `f.nb` to NUL before a string is written, so that a summary printed
// mid-way shows what this operation has written so far and nothing of an earlier one: a field
// printed as a string runs on only into the fields already written after it.
void ClearString(const FloatFormat& f, char* bitmap);

// Writes `exp` into the exponent field with the encoder of f.TypeExp (reporting its trace); the
// encoder also writes a NUL right after the field. Returns the encoder's range flag: 0 when the
// exponent does not fit its field (the field then holds what the encoder wrote).
int WriteExponent(const FloatFormat& f, std::int64_t exp, char* bitmap, Trace& trace);

// The smallest exponent the exponent field holds in its system: -zEZ in excess (a field of '0'),
// -(2^(nbexp-1) - 1) in sign-magnitude and one's complement, -2^(nbexp-1) in two's complement.
std::int64_t SmallestExponent(const FloatFormat& f);

// Zero has no normalised form; both encoders report this line to their trace before
// they write the smallest exponent and a mantissa of '0' digits.
void PrintZeroLine(Trace& trace);

// Whether `bitmap` is the pattern the encoders write for zero in a normalisation with an implicit
// bit (1'M, 0'1M): the smallest exponent, and a mantissa field of '0' digits (or of '1' digits in
// one's complement with the sign '1'). Such a pattern reads as zero.
bool IsZeroPattern(const FloatFormat& f, const char* bitmap);

// Whether the mantissa digits `digits` (f.NbMan() of them, the magnitude) are all '0'.
bool AllZeroDigits(const FloatFormat& f, const char* digits);

// The decoder's line for the pattern of zero.
void PrintZeroReadLine(Trace& trace);

// An exponent that does not fit its field, said after its trace.
void PrintOutOfRange(Trace& trace);

// Writes the f.NbMan() magnitude digits `digits` into the mantissa field in the system of
// f.TypeMan:
// as they are for a positive value; inverted (one's complement), or copied up to and including
// the rightmost '1' and inverted to its left (two's complement) for a negative one.
void WriteMantissa(const FloatFormat& f, const char* digits, bool negative, char* bitmap);

}  // namespace repbin
