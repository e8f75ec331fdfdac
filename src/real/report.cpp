#include "real/report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include <boost/multiprecision/cpp_int.hpp>

#include "codec/codec.h"
#include "output/trace.h"
#include "real/exact_input.h"
#include "real/fields.h"
#include "real/real.h"

namespace repbin {

namespace mp = boost::multiprecision;

// The helpers this layer's hand method shares (real/exact_input.h).
namespace exact_input {

Wide FloorLog2(const Input& in) {
  Wide b = static_cast<Wide>(mp::msb(in.magnitude)) - static_cast<Wide>(mp::msb(in.denominator));
  const bool below = b >= 0 ? in.magnitude < (in.denominator << static_cast<unsigned>(b))
                            : (in.magnitude << static_cast<unsigned>(-b)) < in.denominator;
  return below ? b - 1 : b;
}

std::string BinaryDigits(const Big& n) {
  if (n == 0) return "0";
  std::string digits;
  for (auto i = static_cast<long>(mp::msb(n)); i >= 0; --i) {
    digits += mp::bit_test(n, static_cast<unsigned>(i)) ? '1' : '0';
  }
  return digits;
}

std::string BinaryDigits(const Big& n, int width) {
  std::string digits(static_cast<std::size_t>(width), '0');
  for (int i = 0; i < width; ++i) {
    if (mp::bit_test(n, static_cast<unsigned>(width - 1 - i))) {
      digits[static_cast<std::size_t>(i)] = '1';
    }
  }
  return digits;
}

std::string DivideDigits(Big& r, const Big& den, Wide count) {
  std::string digits;
  for (Wide i = 0; i < count; ++i) {
    r <<= 1;
    if (r >= den) {
      r -= den;
      digits += '1';
    } else {
      digits += '0';
    }
  }
  return digits;
}

void ExponentRange(const FloatFormat& f, Wide* lowest, Wide* highest) {
  const Wide half = Wide{1} << (f.nbexp - 1);
  switch (f.TypeExp) {
    case 0:
    case 1: *lowest = -(half - 1), *highest = half - 1; break;
    case 2: *lowest = -half, *highest = half - 1; break;
    default: *lowest = -Wide{f.zEZ}, *highest = 2 * half - 1 - f.zEZ; break;
  }
}

}  // namespace exact_input

namespace {

using exact_input::BinaryDigits;
using exact_input::DivideDigits;
using exact_input::ExponentRange;
using exact_input::FloorLog2;

using exact_input::Big;
using exact_input::Input;
using exact_input::Wide;

// Every text the report prints, in one place. Values go in as "%s" arguments; the texts are
// formats, so the output layer converts their accents to the stream's encoding.
constexpr const char* kHexLine = " Hexadecimal: %s\n";
constexpr const char* kStoredLabel = " Valor exacto almacenado: ";
constexpr const char* kReadLabel = " Valor exacto: ";
constexpr const char* kInputLabel = " Valor exacto de la entrada: ";
constexpr const char* kExpansionLine = " Expansión binaria exacta de la entrada: %s\n";
constexpr const char* kLongPeriodLine =
    "   el periodo tiene %s cifras; se muestran las %i primeras\n";
constexpr const char* kErrorLabel = " Error: ";
constexpr const char* kRelativePart = " (relativo %.3g)";
constexpr const char* kRoundedLine = " Redondeo al más próximo (empates al par): %s %s\n";
constexpr const char* kRoundedValueLabel = "   valor ";
constexpr const char* kRoundedErrorLabel = ", error ";
constexpr const char* kOutOfRangeLine =
    " Redondeo al más próximo (empates al par): fuera del rango del formato\n";
constexpr const char* kOverflowLine =
    " Redondeo al más próximo (empates al par): desborda: %cinfinito %s %s\n";
constexpr const char* kOverflowNanLine =
    " Redondeo al más próximo (empates al par): desborda: NaN %s %s\n";
constexpr const char* kIeeeLine = " IEEE 754: %s";
constexpr const char* kIeeeValueLabel = ", valor ";
constexpr const char* kIeeeRoundedLine = " IEEE 754 redondeado: %s %s\n";
constexpr const char* kTooLong = "demasiado largo para escribirlo (exponente más allá de ±16500)";
constexpr const char* kUndefined = "no definido";
constexpr const char* kMethodHeading = " Método a mano:\n";
constexpr const char* kMethodIndent = "   ";

// An exact value num / 10^scale, scale >= 0: every value the report meets is a decimal fraction
// (a text as typed, or m x 2^k = m x 5^-k / 10^-k).
struct Decimal {
  Big num;
  Wide scale = 0;
};

Big Pow10(Wide n) {
  return mp::pow(Big(10), static_cast<unsigned>(n));
}

// m x 2^k, or nothing when the decimal would be too long.
std::optional<Decimal> FromDyadic(const Big& m, Wide k) {
  if (k > kMaxExactDigits || k < -kMaxExactDigits) return std::nullopt;
  if (k >= 0) return Decimal{m << static_cast<unsigned>(k), 0};
  return Decimal{m * mp::pow(Big(5), static_cast<unsigned>(-k)), -k};
}

std::string ToString(const Decimal& d, bool negative_zero = false) {
  std::string digits = Big(mp::abs(d.num)).str();
  const auto scale = static_cast<std::size_t>(d.scale);
  if (scale > 0) {
    if (digits.size() <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
    digits.insert(digits.size() - scale, 1, '.');
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  if (d.num < 0 || (d.num == 0 && negative_zero)) digits.insert(0, 1, '-');
  return digits;
}

Decimal Difference(const Decimal& a, const Decimal& b) {
  const Wide scale = std::max(a.scale, b.scale);
  return {a.num * Pow10(scale - a.scale) - b.num * Pow10(scale - b.scale), scale};
}

// a / b, both non-zero, to double precision.
double Ratio(Big a, Big b) {
  const bool negative = (a < 0) != (b < 0);
  a = mp::abs(a);
  b = mp::abs(b);
  const auto shift = static_cast<long>(mp::msb(b)) - static_cast<long>(mp::msb(a)) + 64;
  if (shift >= 0) {
    a <<= static_cast<unsigned>(shift);
  } else {
    b <<= static_cast<unsigned>(-shift);
  }
  const double q =
      std::ldexp(static_cast<Big>(a / b).convert_to<double>(), static_cast<int>(-shift));
  return negative ? -q : q;
}

// The fixed-point text as CFCFL reads it: the integer part up to the first '.', by the atol
// rule (white space, a sign, digits; read exactly), then the fraction from the '.' by the strtod
// rule ('.', digits, an optional exponent).
Input ParseFixedText(const std::string& text) {
  Input in;
  const std::size_t dot = std::min(text.find('.'), text.size());
  std::size_t i = 0;
  while (i < dot && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < dot && (text[i] == '+' || text[i] == '-')) in.negative = text[i++] == '-';
  Big integer = 0;
  for (; i < dot && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    integer = integer * 10 + (text[i] - '0');
  }
  Big fraction = 0;
  Wide places = 0;  // the fraction is fraction / 10^places (places may be negative)
  std::size_t j = dot + 1;
  if (dot < text.size() && j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
    for (; j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])); ++j) {
      fraction = fraction * 10 + (text[j] - '0');
      ++places;
    }
    // An exponent counts only when digits follow its sign; it saturates far past any limit.
    if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
      std::size_t k = j + 1;
      bool minus = false;
      if (k < text.size() && (text[k] == '+' || text[k] == '-')) minus = text[k++] == '-';
      Wide exponent = 0;
      for (; k < text.size() && std::isdigit(static_cast<unsigned char>(text[k])); ++k) {
        exponent = std::min<Wide>(exponent * 10 + (text[k] - '0'), Wide{1} << 40);
      }
      places += minus ? exponent : -exponent;
    }
  }
  if (fraction == 0) places = 0;
  if (places > kMaxExactDigits) {
    in.exact = false;
    fraction = 1;
    places = kMaxExactDigits + 1;
  } else if (places < -kMaxExactDigits) {
    in.exact = false;
    fraction = 1;
    places = -kMaxExactDigits - 1;
  }
  if (places < 0) {
    in.magnitude = integer + fraction * Pow10(-places);
    in.scale = 0;
  } else {
    in.magnitude = integer * Pow10(places) + fraction;
    in.scale = places;
  }
  in.denominator = Pow10(in.scale);
  return in;
}

// The single-precision value's exact value.
Input FromFloat(float value) {
  Input in;
  in.negative = std::signbit(value);
  if (!std::isfinite(value)) {
    in.finite = false;
    in.nan = std::isnan(value);
    in.exact = false;
    return in;
  }
  int e = 0;
  const double fraction = std::frexp(std::fabs(static_cast<double>(value)), &e);
  const auto m = static_cast<std::int64_t>(std::ldexp(fraction, 53));
  const std::optional<Decimal> d = FromDyadic(Big(m), Wide{e} - 53);  // always short
  in.magnitude = d->num;
  in.scale = d->scale;
  in.denominator = Pow10(in.scale);
  return in;
}

std::optional<Decimal> SignedValue(const Input& in) {
  if (!in.exact) return std::nullopt;
  return Decimal{in.negative ? Big(-in.magnitude) : in.magnitude, in.scale};
}

// The input magnitude in units of 2^q, rounded to the nearest integer, ties to even.
Big RoundToUnits(const Input& in, Wide q) {
  Big num = in.magnitude;
  Big den = in.denominator;
  if (q < 0) {
    num <<= static_cast<unsigned>(-q);
  } else {
    den <<= static_cast<unsigned>(q);
  }
  Big quotient;
  Big remainder;
  mp::divide_qr(num, den, quotient, remainder);
  remainder <<= 1;
  if (remainder > den || (remainder == den && mp::bit_test(quotient, 0))) ++quotient;
  return quotient;
}

// The expansion of the exact input. In lowest terms the fraction is a / (2^s x m), m odd: its
// expansion runs s digits before the period, and the period is the order of 2 modulo m, the
// length after which 2^L a leaves the remainder a again. Every input is a decimal fraction, so m
// is 5^t, and 2, a primitive root modulo every power of 5, has the order 4 x 5^(t-1) there.
std::optional<BinaryExpansion> Expand(const Input& in) {
  if (!in.exact || !in.finite) return std::nullopt;
  Big integer;
  Big r;
  mp::divide_qr(in.magnitude, in.denominator, integer, r);
  BinaryExpansion e{in.negative ? "-" : "", "0", false};
  e.text += BinaryDigits(integer);
  if (r == 0) return e;
  const Big g = mp::gcd(r, in.denominator);
  r /= g;
  const Big den = in.denominator / g;
  const auto s = static_cast<Wide>(mp::lsb(den));
  Big m = den >> static_cast<unsigned>(s);
  Wide t = 0;
  while (m % 5 == 0) {
    m /= 5;
    ++t;
  }
  e.text += "." + DivideDigits(r, den, s);
  if (t == 0) return e;  // only 2s in the denominator: the expansion ends
  const Big period = 4 * mp::pow(Big(5), static_cast<unsigned>(t - 1));
  e.period = period.str();
  e.shortened = period > kMaxPeriodDigits;
  const Wide shown = e.shortened ? kMaxPeriodDigits : period.convert_to<Wide>();
  e.text += "(" + DivideDigits(r, den, shown) + (e.shortened ? "...)" : ")");
  return e;
}

// The pattern as the program reads it: man x 2^(exp - shift).
ExactDecimal ProgramValue(const FloatFormat& f, const char* bits,
                          std::optional<Decimal>* exact = nullptr) {
  const FloatReading r = ReadFloat(f, bits);
  // A field of up to 62 characters may hold an exponent whose difference with the shift would
  // leave 64 bits; such an exponent is far past the limit anyway.
  const Wide k = std::clamp<Wide>(r.exp, -(Wide{1} << 40), Wide{1} << 40) - r.shift;
  const std::optional<Decimal> d = FromDyadic(Big(r.man), k);
  if (exact != nullptr) *exact = d;
  if (!d) return std::nullopt;
  return ToString(*d, r.zero && bits[f.possigno] == '1');
}

// The pattern of ±S x 2^(exp - shift) as the encoders lay it out: the exponent field in its
// system, the sign, and the low NbMan() bits of S as the mantissa's magnitude digits.
std::string Encode(const FloatFormat& f, bool negative, Wide exp, const Big& significand) {
  char pattern[kMaxWidth + 2];
  ClearString(f, pattern);
  WriteExponent(f, exp, pattern, NoTrace());
  pattern[f.possigno] = negative ? '1' : '0';
  WriteMantissa(f, BinaryDigits(significand, f.NbMan()).c_str(), negative, pattern);
  pattern[f.nb] = '\0';
  return pattern;
}

// The pattern of the format's nearest value to the input, ties to even. The values are
// ±S x 2^(E - shift) with S of p = NbMan() + bi bits, its leading bit 1, and E inside the
// exponent field's range. Zero has no such form: it is written as the encoders write it, the
// smallest exponent and a zero magnitude, in every normalisation.
std::optional<RoundedPattern> RoundIntoFormat(const FloatFormat& f, const Input& in) {
  if (!in.finite) return std::nullopt;
  Wide lowest = 0;
  Wide highest = 0;
  ExponentRange(f, &lowest, &highest);
  const int nbman = f.NbMan();
  const Wide shift = nbman + (f.typenorma == 2 ? 1 : 0);
  const int p = nbman + f.bi();
  std::string bits;
  if (in.magnitude == 0) {
    bits = Encode(f, in.negative, lowest, Big(0));
  } else {
    Wide q = FloorLog2(in) - p + 1;  // the unit of S's last bit
    Big s = RoundToUnits(in, q);
    if (mp::msb(s) == static_cast<unsigned>(p)) {  // rounded up to 2^p: carry into the exponent
      s >>= 1;
      ++q;
    }
    const Wide exp = q + shift;
    if (exp < lowest || exp > highest) return std::nullopt;
    // The smallest exponent with a zero magnitude field is zero's pattern, no other value's.
    if (f.bi() == 1 && exp == lowest && s == Big(1) << nbman) return std::nullopt;
    bits = Encode(f, in.negative, exp, s);
  }
  RoundedPattern rounded{bits, HexOfBits(bits), std::nullopt, std::nullopt};
  std::optional<Decimal> value;
  rounded.value = ProgramValue(f, bits.c_str(), &value);
  const std::optional<Decimal> input = SignedValue(in);
  if (value && input) rounded.error = ToString(Difference(*value, *input));
  return rounded;
}

// The unsigned value of `width` characters of `bits` from `first`.
std::uint64_t Field(const char* bits, int first, int width) {
  std::uint64_t v = 0;
  for (int i = first; i < first + width; ++i) v = v << 1 | (bits[i] == '1' ? 1U : 0U);
  return v;
}

IeeeReading ReadIeee(const FloatFormat& format, const char* bits) {
  IeeeReading r;
  r.negative = bits[0] == '1';
  const int nbman = format.NbMan();
  const std::uint64_t e = Field(bits, 1, format.nbexp);
  const std::uint64_t f = Field(bits, format.posmantisa, nbman);
  const std::uint64_t all_ones = (std::uint64_t{1} << format.nbexp) - 1;
  const Wide bias = (Wide{1} << (format.nbexp - 1)) - 1;
  const std::uint64_t all_ones_field = (std::uint64_t{1} << nbman) - 1;
  if (e == all_ones && format.specials == kOnlyNan && f == all_ones_field) {
    r.kind = IeeeClass::kNan;
    r.value = "nan";
    return r;
  }
  if (e == all_ones && format.specials != kOnlyNan) {
    r.kind = f == 0 ? IeeeClass::kInfinity : IeeeClass::kNan;
    r.value = f != 0 ? "nan" : r.negative ? "-inf" : "inf";
    return r;
  }
  Big m = f;
  Wide k = 1 - bias - nbman;
  if (e == 0) {
    r.kind = f == 0 ? IeeeClass::kZero : IeeeClass::kSubnormal;
  } else {
    r.kind = IeeeClass::kNormal;
    m += Big(1) << static_cast<unsigned>(nbman);
    k = static_cast<Wide>(e) - bias - nbman;
  }
  if (r.negative) m = -m;
  const std::optional<Decimal> d = FromDyadic(m, k);
  if (d) r.value = ToString(*d, r.negative);
  return r;
}

// The IEEE 754 encoding of the input, rounded to nearest, ties to even, with subnormals, signed
// zero and overflow to infinity; in a format without infinities (kOnlyNan), the all-ones
// exponent holds values too, and whatever lies beyond the largest goes to NaN.
std::string RoundIeee(const FloatFormat& format, const Input& in) {
  const int nbman = format.NbMan();
  const int nbexp = format.nbexp;
  const Wide bias = (Wide{1} << (nbexp - 1)) - 1;
  const std::uint64_t all_ones = (std::uint64_t{1} << nbexp) - 1;
  const bool only_nan = format.specials == kOnlyNan;
  const Big all_ones_field = (Big(1) << static_cast<unsigned>(nbman)) - 1;
  std::uint64_t e = 0;
  Big f = 0;
  if (!in.finite) {
    e = all_ones;
    if (in.nan) f = Big(1) << static_cast<unsigned>(nbman - 1);  // quiet NaN
    if (only_nan) f = all_ones_field;
  } else if (in.magnitude != 0) {
    // Below the normal range the unit stays that of the subnormals.
    Wide q = std::max<Wide>(FloorLog2(in), 1 - bias) - nbman;
    Big s = RoundToUnits(in, q);
    if (s != 0 && mp::msb(s) == static_cast<unsigned>(nbman + 1)) {
      s >>= 1;
      ++q;
    }
    const Wide exp = q + nbman;
    const Wide top = only_nan ? bias + 1 : bias;
    if (exp > top || (only_nan && exp == top && s == (all_ones_field << 1 | 1))) {
      e = all_ones;  // overflow: infinity, or NaN without infinities
      if (only_nan) f = all_ones_field;
    } else if (mp::bit_test(s, static_cast<unsigned>(nbman))) {
      e = static_cast<std::uint64_t>(exp + bias);
      f = s - (Big(1) << static_cast<unsigned>(nbman));
    } else {
      f = s;  // subnormal (or zero, when even the smallest subnormal is too far)
    }
  }
  std::string bits(static_cast<std::size_t>(format.nb), '0');
  bits[0] = in.negative ? '1' : '0';
  for (int i = 0; i < nbexp; ++i) {
    if ((e >> (nbexp - 1 - i)) & 1U) bits[static_cast<std::size_t>(1 + i)] = '1';
  }
  bits.replace(static_cast<std::size_t>(format.posmantisa), static_cast<std::size_t>(nbman),
               BinaryDigits(f, nbman));
  return bits;
}

std::string IeeeDescription(const IeeeReading& r) {
  switch (r.kind) {
    case IeeeClass::kZero: return r.negative ? "cero (-0)" : "cero (+0)";
    case IeeeClass::kSubnormal: return "subnormal";
    case IeeeClass::kNormal: return "normal";
    case IeeeClass::kInfinity: return r.negative ? "infinito (-inf)" : "infinito (+inf)";
    case IeeeClass::kNan: return "NaN";
  }
  return "";
}

// An exact decimal, or the text saying it is too long.
void PrintExact(Trace& trace, const ExactDecimal& d, const char* missing = kTooLong) {
  if (d) {
    trace.Print("%s", d->c_str());
  } else {
    trace.Text(missing);
  }
}

void PrintLine(Trace& trace, const char* label, const ExactDecimal& d) {
  trace.Text(label);
  PrintExact(trace, d);
  trace.Print("\n");
}

// A value's line, with the value also in scientific notation so that a tiny one never reads as
// zero: " Valor exacto: 0.0000...0114 (1.14e-40)".
void PrintValueLine(Trace& trace, const char* label, const ExactDecimal& d, int digits) {
  trace.Text(label);
  PrintExact(trace, d);
  if (d && d->find_first_of("123456789") != std::string::npos &&
      d->find_first_of("infa") == std::string::npos) {
    trace.Print(" (%s)", DecimalScientific(*d, digits).c_str());
  }
  trace.Print("\n");
}

void PrintMethod(Trace& trace, const std::vector<std::string>& method) {
  if (method.empty()) return;
  trace.Print(kMethodHeading);
  // The lines are built at run time: written as texts, so that their accents are converted.
  for (const std::string& line : method) trace.Text((kMethodIndent + line + "\n").c_str());
}

void PrintIeeeReading(Trace& trace, const IeeeReading& r) {
  trace.Print(kIeeeLine, IeeeDescription(r).c_str());
  if (r.kind != IeeeClass::kInfinity && r.kind != IeeeClass::kNan) {
    trace.Print(kIeeeValueLabel);
    PrintExact(trace, r.value);
  }
  trace.Print("\n");
}

}  // namespace

std::string HexOfBits(const std::string& bits) {
  std::uint64_t v = 0;
  for (const char c : bits) v = v << 1 | (c == '1' ? 1U : 0U);
  const int digits = (static_cast<int>(bits.size()) + 3) / 4;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex = "0x";
  for (int i = digits - 1; i >= 0; --i) hex += kDigits[(v >> (4 * i)) & 0xF];
  return hex;
}

const char* IeeeClassName(IeeeClass kind) {
  switch (kind) {
    case IeeeClass::kZero: return "cero";
    case IeeeClass::kSubnormal: return "subnormal";
    case IeeeClass::kNormal: return "normal";
    case IeeeClass::kInfinity: return "infinito";
    case IeeeClass::kNan: return "nan";
  }
  return "";
}

bool IsIeeeShaped(const FloatFormat& f) {
  return DescriptorIsValid(f) && f.TypeMan == 0 && f.typenorma == 1 && f.TypeExp == 3 &&
         f.possigno == 0 && f.posexp == 1 && f.nbexp >= 2 && f.nbexp <= 31 &&
         Wide{f.zEZ} == (Wide{1} << (f.nbexp - 1)) - 1;
}

int SignificantDigits(int precision) {
  return std::max(1, static_cast<int>(std::floor(precision * std::log10(2.0))));
}

int ScientificDigits(int precision) {
  // An 8-bit format carries one decimal digit, and written with one its neighbours read alike
  // (288 and 320 both 3e+02): three digits at least keep the neighbours of an 8-bit format
  // apart, while ieee32 keeps the usual 1.175494e-38.
  return std::max(3, SignificantDigits(precision));
}

int Precision(const FloatFormat& f) {
  return f.typenorma == 0 ? f.NbMan() : f.NbMan() + 1;
}

std::string DecimalScientific(std::string_view exact, int digits) {
  const bool negative = exact.starts_with('-');
  if (negative) exact.remove_prefix(1);
  const std::size_t point = std::min(exact.find('.'), exact.size());
  std::string all(exact.substr(0, point));
  if (point < exact.size()) all += exact.substr(point + 1);
  const std::size_t first = all.find_first_not_of('0');
  if (first == std::string::npos) return "0";
  // The decimal exponent of the first significant digit.
  Wide e10 = static_cast<Wide>(point) - 1 - static_cast<Wide>(first);
  std::string kept = all.substr(first, static_cast<std::size_t>(digits));
  kept.resize(static_cast<std::size_t>(digits), '0');
  const std::string rest = first + static_cast<std::size_t>(digits) < all.size()
                               ? all.substr(first + static_cast<std::size_t>(digits))
                               : std::string();
  // Round to nearest, ties to even, on the dropped digits.
  const bool more = rest.find_first_not_of('0', 1) != std::string::npos;
  const bool up = !rest.empty() &&
                  (rest[0] > '5' || (rest[0] == '5' && (more || (kept.back() - '0') % 2 == 1)));
  if (up) {
    std::size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
    if (i == 0) {
      kept.insert(kept.begin(), '1');
      kept.pop_back();
      ++e10;
    } else {
      ++kept[i - 1];
    }
  }
  std::string text = (negative ? "-" : "") + kept.substr(0, 1);
  if (kept.size() > 1) text += "." + kept.substr(1);
  char exponent[32];
  std::snprintf(exponent, sizeof exponent, "e%c%02lld", e10 < 0 ? '-' : '+',
                static_cast<long long>(e10 < 0 ? -e10 : e10));
  return text + exponent;
}

RepresentationReport ReportRepresentation(const FloatFormat& f, const char* bits,
                                          const RepresentationInput& input, bool with_method) {
  RepresentationReport report;
  const std::string pattern(bits, static_cast<std::size_t>(f.nb));
  report.hex = HexOfBits(pattern);
  report.digits = ScientificDigits(Precision(f));
  std::optional<Decimal> stored;
  report.stored = ProgramValue(f, pattern.c_str(), &stored);
  const Input in = input.fixed_point ? ParseFixedText(input.text) : FromFloat(input.value);
  const std::optional<Decimal> exact_input = SignedValue(in);
  if (exact_input) report.input = ToString(*exact_input, in.negative);
  if (stored && exact_input) {
    const Decimal error = Difference(*stored, *exact_input);
    report.error = ToString(error);
    if (exact_input->num != 0) {
      report.relative_error =
          error.num == 0
              ? 0.0
              : Ratio(error.num, exact_input->num * Pow10(error.scale - exact_input->scale));
    }
  }
  report.expansion = Expand(in);
  report.rounded = RoundIntoFormat(f, in);
  if (IsIeeeShaped(f)) {
    IeeeRepresentation ieee;
    ieee.reading = ReadIeee(f, pattern.c_str());
    ieee.rounded_bits = RoundIeee(f, in);
    ieee.rounded_hex = HexOfBits(ieee.rounded_bits);
    const IeeeClass rounded_kind = ReadIeee(f, ieee.rounded_bits.c_str()).kind;
    ieee.overflows =
        in.finite && (rounded_kind == IeeeClass::kInfinity || rounded_kind == IeeeClass::kNan);
    ieee.overflow_nan = ieee.overflows && rounded_kind == IeeeClass::kNan;
    report.ieee = ieee;
  }
  if (with_method) {
    report.method = exact_input::WritingMethod(f, in, input.fixed_point, report.input);
  }
  return report;
}

InterpretationReport ReportInterpretation(const FloatFormat& f, const char* bits,
                                          bool with_method) {
  InterpretationReport report;
  const std::string pattern(bits, static_cast<std::size_t>(f.nb));
  report.hex = HexOfBits(pattern);
  report.digits = ScientificDigits(Precision(f));
  report.value = ProgramValue(f, pattern.c_str());
  if (IsIeeeShaped(f)) report.ieee = ReadIeee(f, pattern.c_str());
  if (with_method) report.method = exact_input::ReadingMethod(f, pattern.c_str(), report.value);
  return report;
}

void PrintRepresentationReport(const RepresentationReport& report, Trace& trace) {
  trace.Print(kHexLine, report.hex.c_str());
  PrintValueLine(trace, kStoredLabel, report.stored, report.digits);
  PrintLine(trace, kInputLabel, report.input);
  if (report.expansion) {
    trace.Print(kExpansionLine, report.expansion->text.c_str());
    if (report.expansion->shortened) {
      trace.Print(kLongPeriodLine, report.expansion->period.c_str(), kMaxPeriodDigits);
    }
  }
  trace.Print(kErrorLabel);
  PrintExact(trace, report.error, kUndefined);
  if (report.relative_error) trace.Print(kRelativePart, *report.relative_error);
  trace.Print("\n");
  if (report.ieee && report.ieee->overflows) {
    if (report.ieee->overflow_nan) {
      trace.Print(kOverflowNanLine, report.ieee->rounded_bits.c_str(),
                  report.ieee->rounded_hex.c_str());
    } else {
      trace.Print(kOverflowLine, report.ieee->rounded_bits[0] == '1' ? '-' : '+',
                  report.ieee->rounded_bits.c_str(), report.ieee->rounded_hex.c_str());
    }
  } else if (report.rounded) {
    const RoundedPattern& r = *report.rounded;
    trace.Print(kRoundedLine, r.bits.c_str(), r.hex.c_str());
    trace.Print(kRoundedValueLabel);
    PrintExact(trace, r.value);
    trace.Print(kRoundedErrorLabel);
    PrintExact(trace, r.error, kUndefined);
    trace.Print("\n");
  } else {
    trace.Print(kOutOfRangeLine);
  }
  if (report.ieee) {
    PrintIeeeReading(trace, report.ieee->reading);
    trace.Print(kIeeeRoundedLine, report.ieee->rounded_bits.c_str(),
                report.ieee->rounded_hex.c_str());
  }
  PrintMethod(trace, report.method);
}

void PrintInterpretationReport(const InterpretationReport& report, Trace& trace) {
  trace.Print(kHexLine, report.hex.c_str());
  PrintValueLine(trace, kReadLabel, report.value, report.digits);
  if (report.ieee) PrintIeeeReading(trace, *report.ieee);
  PrintMethod(trace, report.method);
}

}  // namespace repbin
