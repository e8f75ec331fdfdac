#include "operations/fixed_point.h"

#include <boost/multiprecision/cpp_int.hpp>
#include <cstdint>
#include <limits>

namespace repbin::ops {
namespace {

namespace mp = boost::multiprecision;
using Big = mp::cpp_int;

// num / den as a decimal; den's only prime factors are 2 and 5.
std::string DecimalOf(const Big& num, const Big& den) {
  Big d = den;
  int twos = 0;
  int fives = 0;
  while (d % 2 == 0) d /= 2, ++twos;
  while (d % 5 == 0) d /= 5, ++fives;
  const int scale = std::max(twos, fives);
  const Big scaled = num * (mp::pow(Big(10), static_cast<unsigned>(scale)) / den);
  std::string digits = Big(mp::abs(scaled)).str();
  const auto places = static_cast<std::size_t>(scale);
  if (places > 0) {
    if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
    digits.insert(digits.size() - places, 1, '.');
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  if (scaled < 0) digits.insert(0, 1, '-');
  return digits;
}

}  // namespace

FixedRepresentation RepresentFixed(const IntegerFormat& format, int fraction, const ExactValue& x,
                                   std::string_view text, const Options& options, Trace& trace) {
  FixedRepresentation result;
  const Big num = Big(x.num) << static_cast<unsigned>(fraction);
  const Big den{x.den};
  // Digits beyond the last fraction bit are dropped toward zero, as a student drops them from
  // the magnitude before writing the sign (-9.8 with 3 bits: -78.4 gives -78, never -79), so
  // that a value and its negative stay mirror images in every system.
  const Big integer = num / den;
  result.truncated = integer * den != num;
  result.scaled = DecimalOf(num, den);
  const std::string value(text);
  trace.Print(" %s × 2^%i = %s\n", value.c_str(), fraction, result.scaled.c_str());
  if (result.truncated) {
    trace.Print(" Se truncan las cifras más allá del último bit fraccionario: %s\n",
                integer.str().c_str());
  }
  if (integer > std::numeric_limits<std::int32_t>::max() ||
      integer < std::numeric_limits<std::int32_t>::min()) {
    trace.Print("\n Fuera de Rango\n");
    return result;
  }
  const IntegerRepresentation r =
      RepresentInteger(format, integer.convert_to<std::int32_t>(), options, trace);
  result.cadena = r.cadena;
  result.en_rango = r.en_rango;
  if (r.en_rango) {
    result.valor = *DyadicDecimal(integer.str(), -fraction);
    trace.Print(" Con %i bits fraccionarios la cadena vale %s / 2^%i = %s\n", fraction,
                integer.str().c_str(), fraction, result.valor.c_str());
  }
  return result;
}

std::string InterpretFixed(const IntegerFormat& format, int fraction, std::string_view bits,
                           const Options& options, Trace& trace) {
  const IntegerInterpretation r = InterpretInteger(format, bits, options, trace);
  const std::string value = *DyadicDecimal(r.valor, -fraction);
  trace.Print(" Con %i bits fraccionarios: %s / 2^%i = %s\n", fraction, r.valor.c_str(), fraction,
              value.c_str());
  return value;
}

}  // namespace repbin::ops
