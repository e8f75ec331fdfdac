#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>

#include "codec/codec.h"
#include "real/fields.h"
#include "real/real.h"

namespace repbin {
namespace {

using Wide = std::int64_t;

// One field in the system `type` (0 sign-magnitude, 1 and 2 complements, 3 excess `z`).
Wide DecodeField(const char* field, int width, int type, Wide z, Trace& trace) {
  switch (type) {
    case 0: return BNSM<Wide>(field, width, trace);
    case 1: return BNC1<Wide>(field, width, trace);
    case 2: return BNC2<Wide>(field, width, trace);
    case 3: return BNEZ<Wide>(field, width, z, trace);
    default: return 0;  // unknown system: the dialogue never lets one through
  }
}

// The implicit bit as it stands in the mantissa's system. The encoders complement only the stored
// field of a negative value, so in a complemented significand the implicit '1' of the magnitude
// reads '0' (one's complement), or '0' too in two's complement unless the field is all '0', whose
// complement carries into it. Read so, the sequence is the complement of the whole significand
// and a string the encoders wrote reads back as the value they were given.
char ImplicitBit(const FloatFormat& f, const char* bitmap, int nbman) {
  if (bitmap[f.possigno] != '1' || (f.TypeMan != 1 && f.TypeMan != 2)) return '1';
  const char* field = bitmap + f.posmantisa;
  const bool carries =
      f.TypeMan == 2 && std::all_of(field, field + nbman, [](char c) { return c == '0'; });
  return carries ? '1' : '0';
}

// The exponent and the mantissa sequence, each read by its decoder (which prints its trace).
FloatReading DecodeFields(const FloatFormat& f, const char* bitmap, Trace& trace) {
  assert(DescriptorIsValid(f));  // the dialogue hands over only layouts that fit
  const int nbman = f.NbMan();
  const Wide exp = DecodeField(bitmap + f.posexp, f.nbexp, f.TypeExp, f.zEZ, trace);
  // The mantissa sequence, sign first, then the implicit bit, then the stored field, read as one
  // integer (at most 64 characters, since nb is at most 64).
  char sequence[66];
  int width = 0;
  sequence[width++] = bitmap[f.possigno];
  if (f.bi() == 1) sequence[width++] = ImplicitBit(f, bitmap, nbman);
  for (int i = 0; i < nbman; ++i) sequence[width++] = bitmap[f.posmantisa + i];
  // The mantissa's system is never excess; its decoder gets no excess to subtract.
  const Wide man = DecodeField(sequence, width, f.TypeMan, 0, trace);
  const Wide shift = nbman + (f.typenorma == 2 ? 1 : 0);
  if (IsZeroPattern(f, bitmap)) return {exp, 0, shift, true};
  return {exp, man, shift, false};
}

}  // namespace

FloatReading ReadFloat(const FloatFormat& f, const char* bitmap) {
  return DecodeFields(f, bitmap, NoTrace());
}

float BNCFL(const FloatFormat& f, const char* bitmap, Trace& trace) {
  const FloatReading reading = DecodeFields(f, bitmap, trace);
  const Wide exp = reading.exp;
  const Wide man = reading.man;
  if (reading.zero) {
    // What the encoders write for zero reads as zero, with its sign.
    const bool minus = bitmap[f.possigno] == '1';
    const float zero = minus ? -0.0f : 0.0f;
    PrintZeroReadLine(trace);
    trace.Print("(-1)^%i 0=%f \n ", minus ? 1 : 0, static_cast<double>(zero));
    return zero;
  }
  // man x 2^k, formed exactly in extended precision (a 64-bit integer fits its
  // significand) and rounded once to single precision: a product beyond the single range gives
  // inf, one below it 0. Past +-20000 every product has long left that range, so clamping the
  // exponent first keeps the arithmetic defined without changing any result.
  const Wide k = std::clamp<Wide>(exp, -20000, 20000) - reading.shift;
  const auto res =
      static_cast<float>(std::ldexp(static_cast<long double>(man), static_cast<int>(k)));
  // The summary line: sign, normalisation and stored mantissa, exponent, value.
  trace.Print("(-1)^%i ", man < 0 ? 1 : 0);
  switch (f.typenorma) {
    case 0: trace.Print("0'%s", bitmap + f.posmantisa); break;
    case 1: trace.Print("1'%s", bitmap + f.posmantisa); break;
    case 2: trace.Print("0'1%s", bitmap + f.posmantisa); break;
    default: break;
  }
  trace.Print(" 2^%lld=%f \n ", static_cast<long long>(exp), static_cast<double>(res));
  return res;
}

}  // namespace repbin
