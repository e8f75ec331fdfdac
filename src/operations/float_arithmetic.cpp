#include "operations/float_arithmetic.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <utility>

#include <boost/multiprecision/cpp_int.hpp>

#include "codec/system.h"
#include "operations/bit_input.h"
#include "real/fields.h"
#include "real/real.h"
#include "real/report.h"

namespace repbin::ops {
namespace {

namespace mp = boost::multiprecision;
using Big = mp::cpp_int;
using Wide = std::int64_t;

// Binary exponents beyond this are not written out in decimal (as the extended report).
constexpr Wide kMaxDecimalExponent = 16500;

// --- Exact values ---------------------------------------------------------------------------

// (-1)^negative x n x 2^k.
struct Dyadic {
  bool negative = false;
  Big n;
  Wide k = 0;
};

int BitLength(const Big& n) {
  return n == 0 ? 0 : static_cast<int>(mp::msb(n)) + 1;
}

bool Bit(const Big& n, Wide position) {
  return position >= 0 && mp::bit_test(n, static_cast<unsigned>(position));
}

// Whether any bit of n below `position` is set.
bool AnyBelow(const Big& n, Wide position) {
  if (position <= 0 || n == 0) return false;
  if (position > BitLength(n)) return true;
  return (n & ((Big(1) << static_cast<unsigned>(position)) - 1)) != 0;
}

// The digits of num / 10^places, without trailing zeros after the point.
std::string PointAt(std::string digits, std::size_t places) {
  if (places == 0) return digits;
  if (digits.size() <= places) digits.insert(0, places - digits.size() + 1, '0');
  digits.insert(digits.size() - places, ".");
  while (digits.back() == '0') digits.pop_back();
  if (digits.back() == '.') digits.pop_back();
  return digits;
}

// num / den for a den of the form 2^a 5^b, in decimal.
std::string DecimalFraction(const Big& num, const Big& den) {
  Big rest = den;
  std::size_t twos = 0, fives = 0;
  while (rest % 2 == 0) rest /= 2, ++twos;
  while (rest % 5 == 0) rest /= 5, ++fives;
  const std::size_t places = std::max(twos, fives);
  const Big scaled = num * mp::pow(Big(5), static_cast<unsigned>(places - fives)) *
                     mp::pow(Big(2), static_cast<unsigned>(places - twos));
  return PointAt(scaled.str(), places);
}

// The decimal digits of a dyadic, written out in full; empty when its exponent is too far out.
std::string Decimal(const Dyadic& d) {
  if (d.n == 0) return d.negative ? "-0" : "0";
  if (d.k > kMaxDecimalExponent || d.k < -kMaxDecimalExponent) return "";
  std::string sign = d.negative ? "-" : "";
  if (d.k >= 0) return sign + Big(d.n << static_cast<unsigned>(d.k)).str();
  const auto places = static_cast<std::size_t>(-d.k);
  return sign + PointAt(Big(d.n * mp::pow(Big(5), static_cast<unsigned>(places))).str(), places);
}

// a - b, or nothing when the exponents are too far apart to align.
std::optional<Dyadic> Difference(const Dyadic& a, const Dyadic& b) {
  if (a.n == 0) return Dyadic{b.n != 0 && !b.negative, b.n, b.k};
  if (b.n == 0) return a;
  const Wide k = std::min(a.k, b.k);
  if (std::max(a.k, b.k) - k > 4 * kMaxDecimalExponent) return std::nullopt;
  Big x = a.n << static_cast<unsigned>(a.k - k);
  Big y = b.n << static_cast<unsigned>(b.k - k);
  if (a.negative) x = -x;
  if (b.negative) y = -y;
  const Big r = x - y;
  return Dyadic{r < 0, mp::abs(r), k};
}

// --- The format -----------------------------------------------------------------------------

// A nonzero value of the format: (-1)^negative x M x 2^(e - Shift) with M of exactly P bits.
struct Unpacked {
  bool negative = false;
  bool zero = false;
  Big m;
  Wide e = 0;
};

struct Shape {
  int m;      // mantissa field width
  int p;      // significant bits, the implicit one included
  int point;  // integer digits of the significand: 1 for 1'M, 0 for 0'M and 0'1M
  bool ieee;
  bool only_nan;        // IEEE-shaped without infinities: the all-ones exponent holds values
  Wide low, high;       // the exponents of nonzero results
  std::string zero[2];  // the patterns of +0 and -0

  Wide Shift() const { return p - point; }
};

// The patterns the format writes zero as, positive and negative.
std::string ZeroPattern(const FloatFormat& f, bool negative) {
  std::string bits(static_cast<std::size_t>(f.nb) + 2, '\0');
  CFCFL(f, negative ? "-0" : "0", bits.data(), NoTrace());
  bits.resize(static_cast<std::size_t>(f.nb));
  return bits;
}

Shape ShapeOf(const FloatFormat& f) {
  Shape s{};
  s.m = f.NbMan();
  s.p = s.m + f.bi();
  s.point = f.typenorma == 1 ? 1 : 0;
  s.ieee = IsIeeeShaped(f);
  s.only_nan = s.ieee && f.specials == kOnlyNan;
  const Wide half = Wide{1} << (f.nbexp - 1);
  if (s.ieee) {
    s.low = 2 - half;
    s.high = s.only_nan ? half : half - 1;
  } else {
    s.low = SmallestExponent(f);
    s.high = f.TypeExp == 3 ? (Wide{1} << f.nbexp) - 1 - f.zEZ : half - 1;
  }
  s.zero[0] = ZeroPattern(f, false);
  s.zero[1] = ZeroPattern(f, true);
  return s;
}

// Whether a rounded nonzero result is the NaN pattern of a format without infinities: the
// largest exponent with the significand all ones.
bool IsNan(const Shape& s, const Unpacked& u) {
  return s.only_nan && !u.zero && u.e == s.high && u.m == (Big(1) << s.p) - 1;
}

Dyadic ValueOf(const Shape& s, const Unpacked& u) {
  if (u.zero) return Dyadic{u.negative, 0, 0};
  return Dyadic{u.negative, u.m, u.e - s.Shift()};
}

// The significand as the normalisation writes it: "1.0110" (1'M) or "0.10110" (0'M, 0'1M).
std::string SignificandText(const Big& m, int digits, int integer_digits) {
  std::string bits;
  for (int i = digits - 1; i >= 0; --i) bits.push_back(Bit(m, i) ? '1' : '0');
  const int fraction = digits - integer_digits;
  std::string text = integer_digits > 0 ? bits.substr(0, static_cast<std::size_t>(integer_digits))
                                        : std::string("0");
  return text + "." + bits.substr(static_cast<std::size_t>(digits - fraction));
}

// A window value: the significand with the guard, round and sticky bits after a space.
std::string WindowText(const Shape& s, const Big& w, int integer_digits) {
  const std::string body = SignificandText(w >> 3, s.p - s.point + integer_digits, integer_digits);
  return body + " " + (Bit(w, 2) ? "1" : "0") + (Bit(w, 1) ? "1" : "0") + (Bit(w, 0) ? "1" : "0");
}

// The digits WindowText writes, without the point and the space.
std::string WindowBits(const Shape& s, const Big& w, int integer_digits) {
  std::string bits;
  for (int i = s.p - s.point + integer_digits + 2; i >= 0; --i)
    bits.push_back(Bit(w, i) ? '1' : '0');
  return bits;
}

std::string Format(const char* format, auto... args) {
  char text[512];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

std::string Str(Wide v) {
  return std::to_string(v);
}

std::string ExcessWords(const FloatFormat& f) {
  if (f.TypeExp == 3) return "exceso " + Str(f.zEZ);
  return SystemPhrase(FieldSystem(f.TypeExp));
}

// The pattern with a space between its fields, in the order they lie.
std::string Grouped(const FloatFormat& f, const std::string& bits) {
  std::array<std::pair<int, int>, 3> fields{
      {{f.possigno, 1}, {f.posexp, f.nbexp}, {f.posmantisa, f.NbMan()}}};
  std::sort(fields.begin(), fields.end());
  std::string text;
  for (const auto& [start, width] : fields) {
    if (!text.empty()) text.push_back(' ');
    text += bits.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(width));
  }
  return text;
}

std::string ExponentField(const FloatFormat& f, const std::string& bits) {
  return bits.substr(static_cast<std::size_t>(f.posexp), static_cast<std::size_t>(f.nbexp));
}

// Writes a nonzero value of exponent `e` (in range) and significand `m` into its pattern.
std::string Pack(const FloatFormat& f, const Shape& s, const Unpacked& u) {
  if (u.zero) return s.zero[u.negative ? 1 : 0];
  std::string bits(static_cast<std::size_t>(f.nb) + 2, '\0');
  ClearString(f, bits.data());
  WriteExponent(f, u.e, bits.data(), NoTrace());
  bits[static_cast<std::size_t>(f.possigno)] = u.negative ? '1' : '0';
  std::string digits;
  for (int i = s.m - 1; i >= 0; --i) digits.push_back(Bit(u.m, i) ? '1' : '0');
  WriteMantissa(f, digits.c_str(), u.negative, bits.data());
  bits.resize(static_cast<std::size_t>(f.nb));
  return bits;
}

// --- Rounding -------------------------------------------------------------------------------

struct Bits {
  bool g = false, r = false, s = false;
};

// Whether a significand with these bits beyond it gains one unit in the last place.
bool RoundsUp(Rounding rounding, bool negative, const Big& m, const Bits& b) {
  const bool inexact = b.g || b.r || b.s;
  switch (rounding) {
    case Rounding::kTruncate:
    case Rounding::kTowardZero: return false;
    case Rounding::kNearest: return b.g && (b.r || b.s || Bit(m, 0));
    case Rounding::kUp: return inexact && !negative;
    case Rounding::kDown: return inexact && negative;
  }
  return false;
}

std::string RoundingLine(Rounding rounding, bool negative, const Bits& b, bool up) {
  std::string line = Format("Redondear (%s) con G=%d R=%d S=%d: ", RoundingName(rounding),
                            b.g ? 1 : 0, b.r ? 1 : 0, b.s ? 1 : 0);
  if (!b.g && !b.r && !b.s) return line + "no se pierde ningún bit; el resultado es exacto";
  switch (rounding) {
    case Rounding::kTruncate: return line + "se descartan los bits de guarda";
    case Rounding::kTowardZero: return line + "hacia cero se descartan los bits de guarda";
    case Rounding::kNearest:
      if (!b.g) return line + "lo descartado es menos de media unidad; se descarta";
      if (b.r || b.s) return line + "lo descartado es más de media unidad; se suma 1 al último bit";
      return line + (up ? "empate y el último bit es 1 (impar); se suma 1 para dejarlo par"
                        : "empate y el último bit es 0 (par); se descarta");
    case Rounding::kUp:
      return line + (negative ? "hacia +infinito un negativo se trunca"
                              : "hacia +infinito un positivo inexacto suma 1 al último bit");
    case Rounding::kDown:
      return line + (negative ? "hacia -infinito un negativo inexacto suma 1 al último bit"
                              : "hacia -infinito un positivo se trunca");
  }
  return line;
}

// Applies the rounding to a significand (P bits) and its exponent; says so in `steps`.
void Round(const Shape& s, Rounding rounding, Unpacked& u, const Bits& b,
           std::vector<std::string>& steps) {
  const bool up = RoundsUp(rounding, u.negative, u.m, b);
  steps.push_back(RoundingLine(rounding, u.negative, b, up));
  if (!up) return;
  u.m += 1;
  if (BitLength(u.m) > s.p) {
    u.m >>= 1;
    ++u.e;
    steps.push_back(
        "  el redondeo desborda el significando: se desplaza una posición a la "
        "derecha y el exponente pasa a ser " +
        Str(u.e));
  }
}

// An exact positive rational brought to P significant bits: its significand, exponent and the
// bits beyond.
struct Rounded {
  Unpacked u;
  Bits bits;
};

Rounded RoundRational(const Shape& s, bool negative, const Big& num, const Big& den) {
  // |v| = num / den; E the binary exponent of its leading one.
  Wide lead = static_cast<Wide>(BitLength(num)) - BitLength(den);
  const auto scaled = [&](Wide shift) {  // floor(num / den x 2^shift) and whether it is exact
    Big n = num, d = den;
    if (shift >= 0) {
      n <<= static_cast<unsigned>(shift);
    } else {
      d <<= static_cast<unsigned>(-shift);
    }
    return std::pair<Big, bool>{n / d, n % d == 0};
  };
  if (scaled(-lead).first == 0) --lead;  // num/den < 2^lead
  // Significand with G and R below it.
  const auto [w, exact] = scaled(s.p - 1 - lead + 2);
  Rounded r;
  r.u.negative = negative;
  r.u.m = w >> 2;
  r.u.e = lead - (s.p - 1) + s.Shift();
  r.bits = {Bit(w, 1), Bit(w, 0), !exact};
  return r;
}

// --- Operands -------------------------------------------------------------------------------

struct Operand {
  StoredOperand stored;
  Unpacked u;
  std::string fault;
  bool out_of_range = false;
  std::vector<std::string> lines;
};

const char* kOperandNames[2] = {"A", "B"};

// What an IEEE-shaped format holds for a value beyond its largest, as IEEE 754 rounds it: an
// infinity when the rounding goes away from zero (to nearest; up for a positive value, down for
// a negative one), else the largest finite value of that sign. A format without infinities
// (fp8-e4m3) holds NaN where IEEE 754 gives an infinity, as representar rounds it to nearest,
// and saturates where IEEE 754 gives the largest value.
IeeeOverflow OverflowOf(const FloatFormat& f, const Shape& s, bool negative, Rounding rounding) {
  const bool away = rounding == Rounding::kNearest || (rounding == Rounding::kUp && !negative) ||
                    (rounding == Rounding::kDown && negative);
  const std::string sign = negative ? "1" : "0";
  const auto exponent = static_cast<std::size_t>(f.nbexp);
  const auto mantissa = static_cast<std::size_t>(s.m);
  IeeeOverflow o;
  if (away && s.only_nan) {
    o.cadena = sign + std::string(exponent + mantissa, '1');
    o.valor = "nan";
  } else if (away) {
    o.cadena = sign + std::string(exponent, '1') + std::string(mantissa, '0');
    o.valor = negative ? "-inf" : "inf";
  } else {
    const Unpacked largest{negative, false, (Big(1) << s.p) - (s.only_nan ? 2 : 1), s.high};
    o.cadena = Pack(f, s, largest);
    o.valor = Decimal(ValueOf(s, largest));
  }
  return o;
}

// Why a value of exponent `e` (and the significand of `u`) is out of range; for an IEEE-shaped
// format, also what IEEE 754 makes of it under `rounding`.
std::string RangeReason(const FloatFormat& f, const Shape& s, const Unpacked& u,
                        Rounding rounding) {
  std::string reason = IsNan(s, u) ? "con el mayor exponente, " + Str(s.high) +
                                         ", la mantisa toda a 1 es la cadena de NaN, no un valor"
                                   : "el exponente " + Str(u.e) + " no cabe en el campo de " +
                                         Str(f.nbexp) + " bits en " + ExcessWords(f) + " (de " +
                                         Str(s.low) + " a " + Str(s.high) + ")";
  if (!s.ieee) return reason;
  if (u.e < s.low) return reason + "; en IEEE 754 el resultado sería subnormal";
  const IeeeOverflow o = OverflowOf(f, s, u.negative, rounding);
  if (o.valor == "nan") return reason + "; el formato no tiene infinitos: el resultado sería NaN";
  if (o.valor == "inf" || o.valor == "-inf") {
    return reason + "; en IEEE 754 el resultado sería " + (u.negative ? "-" : "+") + "infinito";
  }
  return reason + "; con este redondeo, IEEE 754 da el mayor valor finito, " + o.valor;
}

// The value a pattern holds, as the format reads it; zero as representar writes it.
bool ReadPattern(const FloatFormat& f, const Shape& s, const std::string& bits, Operand& o) {
  o.stored.cadena = bits;
  if (bits == s.zero[0] || bits == s.zero[1]) {
    o.u.zero = true;
    o.u.negative = bits[static_cast<std::size_t>(f.possigno)] == '1';
    return true;
  }
  const FloatReading reading = ReadFloat(f, bits.c_str());
  if (s.ieee) {
    const std::string field = ExponentField(f, bits);
    const bool nan = s.only_nan &&
                     bits.substr(static_cast<std::size_t>(f.posexp)).find('0') == std::string::npos;
    if (nan) {
      o.fault = "es NaN en este formato; escriba un número normal o cero";
      return false;
    }
    const bool values = s.only_nan;  // the all-ones exponent holds values
    if (field.find('1') == std::string::npos || (field.find('0') == std::string::npos && !values)) {
      o.fault = field.find('1') == std::string::npos
                    ? "es subnormal en IEEE 754; escriba un número normal o cero"
                    : "es infinito o NaN en IEEE 754; escriba un número normal o cero";
      return false;
    }
  }
  o.u.negative = reading.man < 0;
  o.u.m = reading.man < 0 ? Big(-(reading.man + 1)) + 1 : Big(reading.man);
  o.u.e = reading.exp - reading.shift + s.Shift();
  if (o.u.m == 0) {
    o.u.zero = true;
    return true;
  }
  const int length = BitLength(o.u.m);
  if (length > s.p) {
    o.fault = "no es un número normalizado del formato; escriba su valor en coma fija";
    return false;
  }
  o.u.e -= s.p - length;
  o.u.m <<= static_cast<unsigned>(s.p - length);
  return true;
}

Operand StoreOperand(const FloatFormat& f, const Shape& s, std::string_view text, Rounding rounding,
                     int index) {
  Operand o;
  o.stored.input = std::string(text);
  const char* name = kOperandNames[index];
  if (text.starts_with("0b") || text.starts_with("0B") || text.starts_with("0x") ||
      text.starts_with("0X")) {
    const bool hex = text[1] == 'x' || text[1] == 'X';
    const TypedBits typed = ReadTypedBits(hex ? text : text.substr(2), hex ? f.nb : 0);
    if (!typed.fault.empty()) {
      o.fault = "no es una cadena válida: " + typed.fault;
      return o;
    }
    if (typed.bits.size() != static_cast<std::size_t>(f.nb)) {
      o.fault = "tiene " + Str(static_cast<Wide>(typed.bits.size())) + " bits y el formato " +
                Str(f.nb) + "; escriba todos los bits del formato";
      return o;
    }
    if (!ReadPattern(f, s, typed.bits, o)) return o;
    o.stored.valor_exacto = Decimal(ValueOf(s, o.u));
    o.lines.push_back(Format("Operando %s: la cadena %s, que vale %s", name,
                             Grouped(f, o.stored.cadena).c_str(), o.stored.valor_exacto.c_str()));
    return o;
  }
  const std::string typed(text);
  if (typed.size() >= 64 || CheckFixedText(typed.c_str()) != FixedTextFault::kNone) {
    o.fault = typed.size() >= 64
                  ? "es demasiado largo; escriba como mucho 63 caracteres"
                  : "no es un número en coma fija (como 15, -3.75 o .5) ni una cadena con 0b "
                    "o 0x";
    return o;
  }
  // The text's exact value: digits / 10^places.
  bool negative = false;
  std::size_t i = 0;
  if (typed[i] == '+' || typed[i] == '-') negative = typed[i++] == '-';
  Big digits = 0;
  Wide places = 0;
  bool after_point = false;
  for (; i < typed.size(); ++i) {
    if (typed[i] == '.') {
      after_point = true;
      continue;
    }
    digits = digits * 10 + (typed[i] - '0');
    if (after_point) ++places;
  }
  const Big den = mp::pow(Big(10), static_cast<unsigned>(places));
  o.stored.entrada_exacta = (negative && digits != 0 ? "-" : "") + DecimalFraction(digits, den);
  if (digits == 0) {
    o.u.zero = true;
    o.u.negative = negative;
    o.stored.cadena = s.zero[negative ? 1 : 0];
    o.stored.valor_exacto = negative ? "-0" : "0";
    o.lines.push_back(Format("Operando %s: %s es cero y se guarda como cero: %s", name,
                             typed.c_str(), Grouped(f, o.stored.cadena).c_str()));
    return o;
  }
  Rounded r = RoundRational(s, negative, digits, den);
  std::vector<std::string> rounding_lines;
  Round(s, rounding, r.u, r.bits, rounding_lines);
  o.u = r.u;
  o.stored.inexacto = r.bits.g || r.bits.r || r.bits.s;
  if (o.u.e < s.low || o.u.e > s.high || IsNan(s, o.u)) {
    o.out_of_range = true;
    o.lines.push_back(Format("Operando %s: %s no cabe en el formato: %s", name, typed.c_str(),
                             RangeReason(f, s, o.u, rounding).c_str()));
    return o;
  }
  o.stored.cadena = Pack(f, s, o.u);
  o.stored.valor_exacto = Decimal(ValueOf(s, o.u));
  o.lines.push_back(Format("Operando %s: %s se guarda como %s, que vale %s", name, typed.c_str(),
                           Grouped(f, o.stored.cadena).c_str(), o.stored.valor_exacto.c_str()));
  if (o.stored.inexacto) {
    // held - typed, exactly: (m x 2^k x den - digits x 2^-k) / (den x 2^-k), a decimal fraction.
    Big scaled = o.u.m * den;
    Big d = den;
    const Wide k = o.u.e - s.Shift();
    if (k >= 0) {
      scaled <<= static_cast<unsigned>(k);
    } else {
      d <<= static_cast<unsigned>(-k);
    }
    const Big diff = scaled - digits * (d / den);
    const std::string magnitude = DecimalFraction(mp::abs(diff), d);
    const bool below = (diff < 0) != negative;
    o.lines.push_back(
        Format("  %s no cabe exacto en %d bits significativos: se guarda por el "
               "redondeo %s, %s %s",
               typed.c_str(), s.p, RoundingName(rounding),
               below ? "por debajo en" : "por encima en", magnitude.c_str()));
  }
  return o;
}

std::string UnpackLine(const FloatFormat& f, const Shape& s, const Operand& o, int index) {
  if (o.u.zero) return Format("Desempaquetar %s: es cero", kOperandNames[index]);
  const std::string field = ExponentField(f, o.stored.cadena);
  const Wide field_exponent = ReadFloat(f, o.stored.cadena.c_str()).exp;
  std::string line =
      Format("Desempaquetar %s: signo %c (%c); exponente %s en %s es %s", kOperandNames[index],
             o.u.negative ? '1' : '0', o.u.negative ? '-' : '+', field.c_str(),
             ExcessWords(f).c_str(), Str(field_exponent).c_str());
  if (field_exponent != o.u.e) line += " (normalizado, " + Str(o.u.e) + ")";
  line += "; significando " + SignificandText(o.u.m, s.p, s.point);
  line += f.bi() ? " (con el bit implícito)" : "";
  return line;
}

// --- The operations -------------------------------------------------------------------------

// The carries (or borrows) of w1 + w2 (w1 - w2): bit i is the one going into column i.
Big Carries(const Shape& s, const Big& w1, const Big& w2, bool subtract) {
  const int width = s.p - s.point + 3 + s.point + 1;
  Big carries = 0;
  int carry = 0;
  for (int i = 0; i < width; ++i) {
    const int a = Bit(w1, i) ? 1 : 0;
    const int b = Bit(w2, i) ? 1 : 0;
    carry = subtract ? (a - b - carry < 0 ? 1 : 0) : (a + b + carry > 1 ? 1 : 0);
    if (carry) mp::bit_set(carries, static_cast<unsigned>(i + 1));
  }
  return carries;
}

// The carries, each above the column it goes into, in the columns WindowText writes.
std::string CarryRow(const Shape& s, const Big& carries) {
  std::string row = WindowText(s, carries, s.point + 1);
  std::replace(row.begin(), row.end(), '0', ' ');
  std::replace(row.begin(), row.end(), '.', ' ');
  return row;
}

// The aligned significands added or subtracted in a window of P + 3 bits; the normalised window.
// The columns go to `columns`.
Rounded AddSubtract(const Shape& s, const Unpacked& x, const Unpacked& y, bool subtract,
                    std::vector<std::string>& steps, AlignedSignificands& columns) {
  const Wide d = x.e - y.e;
  const Big wx = x.m << 3;
  Big wy = y.m << 3;
  steps.push_back("Alinear: los exponentes son " + Str(x.e) + " y " + Str(y.e) +
                  (d == 0 ? "; son iguales y no hay que desplazar"
                          : "; el significando del de menor exponente se desplaza " + Str(d) +
                                (d == 1 ? " posición" : " posiciones") +
                                " a la derecha; G, R y S (guarda, redondeo, retenedor) "
                                "recogen lo que sale"));
  const int shown = static_cast<int>(std::min<Wide>(d, s.p + 3));
  for (int i = 1; i <= shown; ++i) {
    const bool lost = Bit(wy, 0);
    wy >>= 1;
    if (lost) wy |= 1;
    if (i <= 4 || i == shown || d <= 8) {
      steps.push_back(Format("  %2d: %s", i, WindowText(s, wy, s.point).c_str()));
    } else if (i == 5) {
      steps.push_back("  ...");
    }
  }
  if (d > shown) {
    wy = 1;
    steps.push_back(
        "  los " + Str(d - shown) +
        " desplazamientos que faltan solo dejan el retenedor a 1: " + WindowText(s, wy, s.point));
  }
  Big t = subtract ? Big(wx - wy) : Big(wx + wy);
  const Big carries = Carries(s, wx, wy, subtract);
  columns = {subtract,
             x.e,
             s.point + 1,
             WindowBits(s, carries, s.point + 1),
             WindowBits(s, wx, s.point + 1),
             WindowBits(s, wy, s.point + 1),
             WindowBits(s, t, s.point + 1)};
  steps.push_back(subtract ? "Restar las magnitudes (la mayor primero); el resultado lleva el "
                             "signo de la mayor:"
                           : "Sumar las magnitudes; el resultado lleva su signo común:");
  steps.push_back(std::string(subtract ? "  préstamos  " : "  acarreos   ") + CarryRow(s, carries));
  steps.push_back("             " + WindowText(s, wx, s.point + 1));
  steps.push_back(std::string(subtract ? "           - " : "           + ") +
                  WindowText(s, wy, s.point + 1));
  steps.push_back("           = " + WindowText(s, t, s.point + 1) + " x 2^" + Str(x.e));
  Rounded r;
  r.u.negative = x.negative;
  r.u.e = x.e;
  if (t == 0) {
    r.u.zero = true;
    return r;
  }
  const int target = s.p + 3;
  const int length = BitLength(t);
  if (length > target) {
    const bool lost = Bit(t, 0);
    t >>= 1;
    if (lost) t |= 1;
    ++r.u.e;
    steps.push_back("Normalizar: desplazar una posición a la derecha (S recoge lo que sale): " +
                    WindowText(s, t, s.point) + " x 2^" + Str(r.u.e));
  } else if (length < target) {
    t <<= static_cast<unsigned>(target - length);
    r.u.e -= target - length;
    steps.push_back("Normalizar: desplazar " + Str(target - length) +
                    (target - length == 1 ? " posición" : " posiciones") +
                    " a la izquierda: " + WindowText(s, t, s.point) + " x 2^" + Str(r.u.e));
  } else {
    steps.push_back("Normalizar: ya está normalizado: " + WindowText(s, t, s.point) + " x 2^" +
                    Str(r.u.e));
  }
  r.u.m = t >> 3;
  r.bits = {Bit(t, 2), Bit(t, 1), Bit(t, 0)};
  return r;
}

Rounded Multiply(const FloatFormat& f, const Shape& s, const Operand& a, const Operand& b,
                 std::vector<std::string>& steps) {
  const Unpacked& x = a.u;
  const Unpacked& y = b.u;
  Rounded r;
  r.u.negative = x.negative != y.negative;
  steps.push_back(Format("Signo: %d xor %d = %d (signos iguales dan +, distintos dan -)",
                         x.negative ? 1 : 0, y.negative ? 1 : 0, r.u.negative ? 1 : 0));
  const Wide sum = x.e + y.e;
  std::string line = "Exponentes: " + Str(x.e) + " + " + Str(y.e) + " = " + Str(sum);
  if (f.TypeExp == 3) {
    line += Format("; con los campos en exceso, %s + %s - %d: el exceso se cuenta una vez",
                   ExponentField(f, a.stored.cadena).c_str(),
                   ExponentField(f, b.stored.cadena).c_str(), f.zEZ);
  }
  steps.push_back(line);
  const Big product = x.m * y.m;
  const int fraction = 2 * static_cast<int>(s.Shift());
  steps.push_back(
      "Multiplicar los significandos (multiplicación larga, una fila por cada 1 del "
      "multiplicador):");
  const int digits = 2 * s.p;
  const auto row = [&](const Big& v) {
    std::string text;
    for (int i = digits - 1; i >= 0; --i) text.push_back(Bit(v, i) ? '1' : '0');
    return text;
  };
  steps.push_back("    " + row(x.m));
  steps.push_back("  x " + row(y.m));
  for (int i = 0; i < s.p; ++i) {
    if (Bit(y.m, i)) steps.push_back("  + " + row(x.m << static_cast<unsigned>(i)));
  }
  steps.push_back("  = " + row(product));
  steps.push_back("  con " + Str(fraction) + " bits fraccionarios: " +
                  SignificandText(product, digits, digits - fraction) + " x 2^" + Str(sum));
  const int length = BitLength(product);
  r.u.e = sum + length - 2 * s.p + s.point;
  const Wide cut = length - s.p;  // bits below the significand
  r.u.m = cut >= 0 ? Big(product >> static_cast<unsigned>(cut))
                   : Big(product << static_cast<unsigned>(-cut));
  r.bits = {Bit(product, cut - 1), Bit(product, cut - 2), AnyBelow(product, cut - 2)};
  const Wide moved = r.u.e - sum;
  const std::string normal = SignificandText(r.u.m, s.p, s.point) + " " + (r.bits.g ? "1" : "0") +
                             (r.bits.r ? "1" : "0") + (r.bits.s ? "1" : "0") + " x 2^" + Str(r.u.e);
  if (moved == 0) {
    steps.push_back("Normalizar: ya está normalizado: " + normal);
  } else {
    steps.push_back(Format("Normalizar: desplazar una posición a la %s: ",
                           moved > 0 ? "derecha" : "izquierda") +
                    normal);
  }
  return r;
}

}  // namespace

std::optional<Rounding> FindRounding(std::string_view word) {
  if (word == "truncar") return Rounding::kTruncate;
  if (word == "cercano") return Rounding::kNearest;
  if (word == "cero") return Rounding::kTowardZero;
  if (word == "arriba") return Rounding::kUp;
  if (word == "abajo") return Rounding::kDown;
  return std::nullopt;
}

const char* RoundingName(Rounding rounding) {
  switch (rounding) {
    case Rounding::kTruncate: return "truncar";
    case Rounding::kNearest: return "cercano";
    case Rounding::kTowardZero: return "cero";
    case Rounding::kUp: return "arriba";
    case Rounding::kDown: return "abajo";
  }
  return "truncar";
}

std::optional<FloatOperator> FindFloatOperator(std::string_view word) {
  if (word == "+") return FloatOperator::kAdd;
  if (word == "-") return FloatOperator::kSubtract;
  if (word == "x" || word == "X" || word == "*") return FloatOperator::kMultiply;
  return std::nullopt;
}

const char* OperatorName(FloatOperator op) {
  return op == FloatOperator::kAdd ? "+" : op == FloatOperator::kSubtract ? "-" : "x";
}

FloatOperation OperateFloat(const FloatFormat& f, std::string_view a, FloatOperator op,
                            std::string_view b, Rounding rounding) {
  FloatOperation result;
  const Shape s = ShapeOf(f);
  Operand operands[2] = {StoreOperand(f, s, a, rounding, 0), StoreOperand(f, s, b, rounding, 1)};
  for (int i = 0; i < 2; ++i) {
    result.operands[i] = operands[i].stored;
    if (!operands[i].fault.empty()) {
      result.fault =
          Format("el operando %s (\"%s\") ", kOperandNames[i], operands[i].stored.input.c_str()) +
          operands[i].fault;
      result.fault_operand = i;
      return result;
    }
  }
  std::vector<std::string>& steps = result.pasos;
  for (int i = 0; i < 2; ++i) {
    steps.insert(steps.end(), operands[i].lines.begin(), operands[i].lines.end());
    if (operands[i].out_of_range) {
      result.desbordamiento = true;
      result.motivo = "el operando " + std::string(kOperandNames[i]) +
                      " no cabe: " + RangeReason(f, s, operands[i].u, rounding);
    }
  }
  if (result.desbordamiento) {
    steps.push_back("Fuera de Rango: " + result.motivo);
    return result;
  }
  for (int i = 0; i < 2; ++i) steps.push_back(UnpackLine(f, s, operands[i], i));

  const Unpacked& x = operands[0].u;
  Unpacked y = operands[1].u;
  if (op == FloatOperator::kSubtract) {
    y.negative = !y.negative;
    steps.push_back("Restar es sumar el opuesto: B cambia de signo");
  }
  // The exact result of the stored values.
  const Dyadic dx = ValueOf(s, x);
  const Dyadic dy = ValueOf(s, y);
  std::optional<Dyadic> exact;
  if (op == FloatOperator::kMultiply) {
    exact = Dyadic{x.negative != y.negative, dx.n * dy.n, dx.k + dy.k};
  } else {
    exact = Difference(dx, Dyadic{!dy.negative, dy.n, dy.k});
  }

  Rounded r;
  if (op == FloatOperator::kMultiply) {
    if (x.zero || y.zero) {
      r.u.zero = true;
      r.u.negative = x.negative != y.negative;
      steps.push_back("Un factor es cero: el producto es cero");
    } else {
      r = Multiply(f, s, operands[0], operands[1], steps);
    }
  } else if (x.zero || y.zero) {
    r.u = x.zero ? y : x;
    if (x.zero && y.zero) {
      r.u.negative = x.negative && y.negative;
      if (x.negative != y.negative) r.u.negative = rounding == Rounding::kDown;
    }
    steps.push_back(x.zero && y.zero ? "Los dos son cero: el resultado es cero"
                                     : std::string("Un sumando es cero: el resultado es el otro"));
  } else {
    const bool x_first = x.e > y.e || (x.e == y.e && x.m >= y.m);
    const Unpacked& big = x_first ? x : y;
    const Unpacked& small = x_first ? y : x;
    if (!x_first) steps.push_back("B tiene la mayor magnitud y va primero");
    r = AddSubtract(s, big, small, x.negative != y.negative, steps, result.alineados.emplace());
    if (r.u.zero) {
      // An exact zero sum is +0, but -0 when rounding toward -infinity.
      r.u.negative = rounding == Rounding::kDown;
      steps.push_back("El resultado es cero");
    }
  }
  if (!r.u.zero && !(x.zero || y.zero)) {
    std::string digits = WindowBits(s, r.u.m << 3, s.point);
    digits.resize(digits.size() - 3);
    digits += std::string(r.bits.g ? "1" : "0") + (r.bits.r ? "1" : "0") + (r.bits.s ? "1" : "0");
    result.normalizado = NormalisedSignificand{r.u.e, s.point, digits};
  }
  result.guarda = r.bits.g;
  result.redondeo = r.bits.r;
  result.retenedor = r.bits.s;
  result.inexacto = r.bits.g || r.bits.r || r.bits.s;
  if (!r.u.zero) Round(s, rounding, r.u, r.bits, steps);
  if (exact) result.valor_exacto = Decimal(*exact);

  if (!r.u.zero && (r.u.e < s.low || r.u.e > s.high || IsNan(s, r.u))) {
    result.desbordamiento = true;
    result.motivo = RangeReason(f, s, r.u, rounding);
    if (s.ieee && r.u.e >= s.low) result.ieee = OverflowOf(f, s, r.u.negative, rounding);
    steps.push_back("Fuera de Rango: " + result.motivo);
    return result;
  }
  result.cadena = Pack(f, s, r.u);
  if (!r.u.zero && !s.ieee && (result.cadena == s.zero[0] || result.cadena == s.zero[1])) {
    result.desbordamiento = true;
    result.motivo = "el exponente " + Str(r.u.e) +
                    " con esta mantisa es la cadena del cero, que no puede guardar otro valor";
    result.cadena.clear();
    steps.push_back("Fuera de Rango: " + result.motivo);
    return result;
  }
  result.hex = HexOfBits(result.cadena);
  const Dyadic held = ValueOf(s, r.u);
  result.valor = Decimal(held);
  if (r.u.zero) {
    steps.push_back("Empaquetar: el cero se escribe como lo escribe representar: " +
                    Grouped(f, result.cadena));
  } else {
    std::string mantissa = result.cadena.substr(static_cast<std::size_t>(f.posmantisa),
                                                static_cast<std::size_t>(f.NbMan()));
    steps.push_back("Empaquetar: signo " + std::string(r.u.negative ? "1" : "0") + "; exponente " +
                    Str(r.u.e) + " en " + ExcessWords(f) + " es " +
                    ExponentField(f, result.cadena) + "; mantisa " + mantissa + " en " +
                    SystemPhrase(FieldSystem(f.TypeMan)) +
                    (f.bi() ? " (sin el bit implícito)" : ""));
  }
  steps.push_back("Resultado: " + Grouped(f, result.cadena) + " = " + result.hex + ", que vale " +
                  (result.valor.empty() ? std::string("(demasiado largo)") : result.valor));
  if (exact) {
    const std::optional<Dyadic> error = Difference(held, *exact);
    if (error && !result.valor.empty() && !result.valor_exacto.empty()) {
      result.error = Decimal(*error);
    }
  }
  // An exact zero reported as "-0" is still no error.
  if (result.error == "-0") result.error = "0";
  steps.push_back(
      "Valor exacto de la operación con los operandos guardados: " +
      (result.valor_exacto.empty() ? std::string("(demasiado largo)") : result.valor_exacto) +
      (result.inexacto
           ? "; error " + (result.error.empty() ? std::string("(demasiado largo)") : result.error) +
                 "; el resultado es inexacto"
           : "; el resultado es exacto"));
  return result;
}

}  // namespace repbin::ops
