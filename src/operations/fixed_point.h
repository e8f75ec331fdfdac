// Fixed point with fraction bits: an integer system (natural, sign-magnitude, one's or two's
// complement) whose last F bits lie after the binary point. A value is scaled by 2^F and encoded
// as an integer; a pattern is read as an integer and divided by 2^F.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "operations/format_card.h"
#include "operations/operations.h"

namespace repbin::ops {

struct FixedRepresentation {
  std::string cadena;
  bool en_rango = false;
  bool truncated = false;  // digits beyond the last fraction bit were dropped
  std::string scaled;      // value x 2^F, exact decimal
  std::string valor;       // what the pattern holds, exact decimal
};

// Writes the value `x` (typed as `text`) in `format` with `fraction` bits after the point: the
// scaling line, the integer conversion with its trace (RepresentInteger), the value held. The
// scaled value is truncated toward zero; beyond the 32-bit integers the encoders take it is out
// of range.
FixedRepresentation RepresentFixed(const IntegerFormat& format, int fraction, const ExactValue& x,
                                   std::string_view text, const Options& options, Trace& trace);

// Reads `bits` in the system of `format` with `fraction` bits after the point: the integer
// reading with its trace, then the division. Returns the exact decimal value.
std::string InterpretFixed(const IntegerFormat& format, int fraction, std::string_view bits,
                           const Options& options, Trace& trace);

}  // namespace repbin::ops
