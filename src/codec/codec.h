// Integer codecs: integers to fixed-width bit strings and back, with their printed traces.
//
// A bit string is a run of '0' and '1', most significant first, whose width `lim` is always
// passed separately; it may be a field inside a longer string. Encoders write exactly `lim`
// characters at `bitmap` and a NUL after them (so `bitmap` needs room for `lim` + 1), print
// their trace, and return 1 when the value is representable in the width, else 0; the string is
// written in both cases. Decoders read exactly `lim` characters, need no NUL, weigh every
// character as its code minus 48, and have no error result. Widths run from 0 to 64. Every
// function reports its trace to the sink `trace` (output/trace.h).
#pragma once

#include <cstdint>

#include "output/trace.h"

namespace repbin {

// The widest bit string any codec writes or reads.
inline constexpr int kMaxWidth = 64;

// Natural binary of `num` by repeated halving: the lowest `lim` bits of its two's-complement
// form. Prints a heading and one line per position. Fits when 0 <= num < 2^lim.
int DecBN(std::int32_t num, char* bitmap, int lim, Trace& trace);

// Sign-magnitude: the sign character, then the magnitude in the `lim` - 1 characters after it.
// Fits when |num| <= 2^(lim-1) - 1.
int SMBN(std::int32_t num, char* bitmap, int lim, Trace& trace);

// One's complement (a negative value is converted as num - 1 in two's complement).
// Fits when |num| <= 2^(lim-1) - 1.
int C1BN(std::int32_t num, char* bitmap, int lim, Trace& trace);

// Two's complement. Fits when -2^(lim-1) <= num <= 2^(lim-1) - 1.
int C2BN(std::int32_t num, char* bitmap, int lim, Trace& trace);

// Excess Z: prints the excess line, then the natural binary of num + Z.
// Fits when 0 <= num + Z <= 2^lim - 1.
int EZBN(std::int32_t num, char* bitmap, int lim, int Z, Trace& trace);

// The same signed encoders on 64-bit values (|num| below 2^62), printing the same traces: the
// smallest exponent of a field wider than 32 bits lies beyond the 32-bit range.
int SMBN64(std::int64_t num, char* bitmap, int lim, Trace& trace);
int C1BN64(std::int64_t num, char* bitmap, int lim, Trace& trace);
int C2BN64(std::int64_t num, char* bitmap, int lim, Trace& trace);
int EZBN64(std::int64_t num, char* bitmap, int lim, int Z, Trace& trace);

// The decoders come in these forms, chosen by `Int`:
// - std::int32_t, the default: all arithmetic wraps modulo 2^32, so a field reads as its 32-bit
//   pattern taken as a signed value (and the expansion line shows that value);
// - std::int64_t, the same modulo 2^64, which the floating-point decoder uses for its fields of
//   at most 64 characters (every one of them reads exactly in it);
// - an unbounded integer, in the exact readings (real/exact.h): the exact value at every width,
//   64 characters of '1' read as 18446744073709551615 in natural binary; the expansion line
//   shows the exact value too. The interpretation menu reads with these.

// Natural binary value of the field. The only decoder that prints: a newline, the characters as
// read, "=", the powers of two of the '1' positions joined by "+", "=", the value, a newline
// (0110=2^2+2^1=6). An empty field (lim <= 0) reads as 0 and prints "==0".
template <class Int = std::int32_t>
Int BNsinsigno(const char* bitmap, int lim, Trace& trace);

// Sign-magnitude: the value of positions 1 to lim - 1, negated when position 0 is '1'.
template <class Int = std::int32_t>
Int BNSM(const char* bitmap, int lim, Trace& trace);

// One's complement: a field beginning with '0' reads (and prints) as natural binary; any other
// first character makes it negative: minus the value of the complemented field, printing nothing.
template <class Int = std::int32_t>
Int BNC1(const char* bitmap, int lim, Trace& trace);

// Two's complement: as BNC1, less 1 when the first character is not '0' (1111 reads -1).
template <class Int = std::int32_t>
Int BNC2(const char* bitmap, int lim, Trace& trace);

// Excess Z: the natural value of the field (which is what prints) minus Z.
template <class Int = std::int32_t>
Int BNEZ(const char* bitmap, int lim, Int Z, Trace& trace);

// Writes the IEEE 754 binary64 image of `num` as 64 characters and a NUL (`bitmap` needs 65):
// the upper 32-bit word, then the lower one, each converted by DecBN as a signed 32-bit value.
// Returns 1 unless both words have their top bit set.
int R64BN(double num, char* bitmap, Trace& trace);

}  // namespace repbin
