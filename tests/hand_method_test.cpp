// The floating-point hand method: over random layouts its last line is the pattern the encoders
// write and the value the program reads, both worked out here another way (exact rationals and
// integer arithmetic on the fields); a few cases checked line by line for their wording.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

#include "codec/codec.h"
#include "real/real.h"
#include "real/report.h"
#include "support.h"

namespace repbin {
namespace {

namespace mp = boost::multiprecision;
using Big = mp::cpp_int;
using Rational = mp::cpp_rational;
using Lines = std::vector<std::string>;

Big Pow2(std::int64_t k) {
  return Big(1) << static_cast<unsigned>(k);
}

Rational Scale2(const Rational& x, std::int64_t k) {
  return k >= 0 ? Rational(x * Pow2(k)) : Rational(x / Pow2(-k));
}

// A plain decimal ("-12.5", "0.001", "7") as a rational.
Rational Parse(std::string text) {
  const bool minus = !text.empty() && text[0] == '-';
  if (minus) text.erase(0, 1);
  const std::size_t dot = text.find('.');
  unsigned scale = 0;
  if (dot != std::string::npos) {
    scale = static_cast<unsigned>(text.size() - dot - 1);
    text.erase(dot, 1);
  }
  text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));  // not read as octal
  const Rational r(Big(text), mp::pow(Big(10), scale));
  return minus ? Rational(-r) : r;
}

Big Floor(const Rational& x) {
  return numerator(x) / denominator(x);  // x >= 0
}

std::string BitsOf(const Big& v, int width) {
  std::string bits;
  for (int i = width - 1; i >= 0; --i)
    bits += mp::bit_test(v, static_cast<unsigned>(i)) ? '1' : '0';
  return bits;
}

Big Field(const std::string& bits, int first, int width) {
  Big v = 0;
  for (int i = first; i < first + width; ++i) v = v * 2 + (bits[static_cast<std::size_t>(i)] - '0');
  return v;
}

// The exponents a field of the format holds, by its system.
std::int64_t Lowest(const FloatFormat& f) {
  const std::int64_t half = std::int64_t{1} << (f.nbexp - 1);
  return f.TypeExp == 3 ? -std::int64_t{f.zEZ} : f.TypeExp == 2 ? -half : -(half - 1);
}
std::int64_t Highest(const FloatFormat& f) {
  const std::int64_t half = std::int64_t{1} << (f.nbexp - 1);
  return f.TypeExp == 3 ? 2 * half - 1 - f.zEZ : half - 1;
}

// A random valid layout: any order of the fields, every system and normalisation.
FloatFormat RandomLayout(std::mt19937_64& r) {
  for (;;) {
    FloatFormat f{};
    f.nb = 3 + static_cast<int>(r() % 62);
    f.nbexp = 1 + static_cast<int>(r() % static_cast<unsigned>(std::min(f.nb - 2, 12)));
    const int nbman = f.nb - f.nbexp - 1;
    int order[3] = {0, 1, 2};  // sign, exponent, mantissa
    std::shuffle(order, order + 3, r);
    const int widths[3] = {1, f.nbexp, nbman};
    int at = 0;
    for (const int field : order) {
      (field == 0 ? f.possigno : field == 1 ? f.posexp : f.posmantisa) = at;
      at += widths[field];
    }
    f.TypeExp = static_cast<int>(r() % 4);
    const int usual = (1 << (f.nbexp - 1)) - 1;
    f.zEZ = r() % 2 ? usual : static_cast<int>(r() % 600) - 100;
    f.TypeMan = static_cast<int>(r() % 3);
    f.typenorma = static_cast<int>(r() % 3);
    if (DescriptorIsValid(f)) return f;
  }
}

// The value the program reads in `bits`, from the fields: the exponent by its system, the
// mantissa's magnitude undoing the complement of the stored bits (the sign has its own bit), the
// implicit bit added, and the pattern of zero.
Rational ExpectedReading(const FloatFormat& f, const std::string& bits) {
  const int n = f.nbexp;
  const int nbman = f.NbMan();
  const bool minus = bits[static_cast<std::size_t>(f.possigno)] == '1';
  const Big u = Field(bits, f.posexp, n);
  const bool first = bits[static_cast<std::size_t>(f.posexp)] == '1';
  Big e;
  switch (f.TypeExp) {
    case 0: e = first ? Big(-Field(bits, f.posexp + 1, n - 1)) : u; break;
    case 1: e = first ? Big(u - (Pow2(n) - 1)) : u; break;
    case 2: e = first ? Big(u - Pow2(n)) : u; break;
    default: e = u - f.zEZ; break;
  }
  const Big m = Field(bits, f.posmantisa, nbman);
  const int bi = f.typenorma > 0 ? 1 : 0;
  // A zero magnitude: in one's complement a negative one is stored as ones.
  const bool zero_field = f.TypeMan == 1 && minus ? m == Pow2(nbman) - 1 : m == 0;
  if (bi == 1 && e == Lowest(f) && zero_field) return 0;
  Big magnitude = m;
  if (minus && f.TypeMan == 1) magnitude = Pow2(nbman) - 1 - m;
  if (minus && f.TypeMan == 2)
    magnitude = bi == 1 ? Big((Pow2(nbman) - m) % Pow2(nbman)) : Big(Pow2(nbman) - m);
  if (bi == 1) magnitude += Pow2(nbman);
  const Rational v = Scale2(Rational(magnitude),
                            e.convert_to<std::int64_t>() - nbman - (f.typenorma == 2 ? 1 : 0));
  return minus ? Rational(-v) : v;
}

// The pattern the encoders write for the exact value `x` (with its sign `minus`, for -0), the
// mantissa truncated; a fixed-point text keeps at most 62 - L fraction digits (L the integer
// digits), as its 64-character binary text does. Empty when the exponent does not fit.
std::string ExpectedPattern(const FloatFormat& f, const Rational& x, bool minus, bool text) {
  const int nbman = f.NbMan();
  const int bi = f.typenorma > 0 ? 1 : 0;
  const int p = nbman + bi;
  const Rational a = x < 0 ? Rational(-x) : x;
  std::int64_t e = Lowest(f);
  Big mantissa = 0;
  if (a != 0) {
    std::int64_t lead = 0;
    while (a >= Scale2(1, lead + 1)) ++lead;
    while (a < Scale2(1, lead)) --lead;
    Rational kept = a;
    if (text) {
      const Big whole = Floor(a);
      const std::int64_t digits = whole == 0 ? 1 : static_cast<std::int64_t>(mp::msb(whole)) + 1;
      kept = Scale2(Rational(Floor(Scale2(a, 62 - digits))), -(62 - digits));
    }
    const Big s = Floor(Scale2(kept, p - 1 - lead));
    e = f.typenorma == 1 ? lead : lead + 1;
    mantissa = s % Pow2(nbman);
    if (e < Lowest(f) || e > Highest(f)) return "";
    if (bi == 1 && e == Lowest(f) && mantissa == 0) return "";
  }
  if (minus && f.TypeMan == 1) mantissa = Pow2(nbman) - 1 - mantissa;
  if (minus && f.TypeMan == 2) mantissa = (Pow2(nbman) - mantissa) % Pow2(nbman);
  const int n = f.nbexp;
  Big field;
  switch (f.TypeExp) {
    case 0: field = e < 0 ? Big(Pow2(n - 1) - e) : Big(e); break;
    case 1: field = e < 0 ? Big(Pow2(n) - 1 + e) : Big(e); break;
    case 2: field = e < 0 ? Big(Pow2(n) + e) : Big(e); break;
    default: field = e + f.zEZ; break;
  }
  std::string pattern(static_cast<std::size_t>(f.nb), '0');
  pattern[static_cast<std::size_t>(f.possigno)] = minus ? '1' : '0';
  pattern.replace(static_cast<std::size_t>(f.posexp), static_cast<std::size_t>(n),
                  BitsOf(field, n));
  pattern.replace(static_cast<std::size_t>(f.posmantisa), static_cast<std::size_t>(nbman),
                  BitsOf(mantissa, nbman));
  return pattern;
}

// What follows the last ": " or " = " of a line.
std::string Tail(const std::string& line, const std::string& separator) {
  const std::size_t at = line.rfind(separator);
  return at == std::string::npos ? "" : line.substr(at + separator.size());
}

TEST(HandMethodTest, ReadingEndsWithTheProgramsValue) {
  std::mt19937_64 r(35);
  for (int i = 0; i < 3000 / test::kSlowdown; ++i) {
    const FloatFormat f = RandomLayout(r);
    const std::string bits = BitsOf(Big(r()), f.nb);
    SCOPED_TRACE(bits + " in a layout of " + std::to_string(f.nb) + " bits, exponent " +
                 std::to_string(f.TypeExp) + ", mantissa " + std::to_string(f.TypeMan) + ", norm " +
                 std::to_string(f.typenorma));
    const InterpretationReport report = ReportInterpretation(f, bits.c_str(), true);
    ASSERT_FALSE(report.method.empty());
    ASSERT_TRUE(report.value);
    const Rational expected = ExpectedReading(f, bits);
    // The value after the last " = ", or after the colon of the line of zero.
    const std::string& last = report.method.back();
    const std::string tail =
        last.find(" = ") != std::string::npos ? Tail(last, " = ") : Tail(last, ": ");
    SCOPED_TRACE(last);
    EXPECT_EQ(Parse(tail), expected);
    EXPECT_EQ(Parse(*report.value), expected);
  }
}

TEST(HandMethodTest, WritingEndsWithTheEncodersPattern) {
  std::mt19937_64 r(1035);
  int fitting = 0;
  constexpr int kLayouts = 3000 / test::kSlowdown;
  for (int i = 0; i < kLayouts; ++i) {
    const FloatFormat f = RandomLayout(r);
    // Decimal texts of every size, both signs, zero among them; and single-precision values.
    const bool text = r() % 4 != 0;
    std::string input;
    Rational x;
    bool minus = false;
    float value = 0;
    if (text) {
      const int whole_digits = static_cast<int>(r() % 8);
      const int fraction_digits = static_cast<int>(r() % 10);
      std::string whole = std::to_string(r() % 100000000)
                              .substr(0, static_cast<std::size_t>(std::max(whole_digits, 1)));
      std::string fraction;
      for (int k = 0; k < fraction_digits; ++k) fraction += static_cast<char>('0' + r() % 10);
      if (r() % 5 == 0) fraction = "000" + fraction;  // small values, far below one
      if (r() % 20 == 0) whole = "0", fraction = "0";
      minus = r() % 2 == 0;
      input = (minus ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
      if (CheckFixedText(input.c_str()) != FixedTextFault::kNone) continue;
      x = Parse(input);
    } else {
      // Finite single-precision values across the whole range, subnormals included.
      const auto image = static_cast<std::uint32_t>(r());
      value = std::bit_cast<float>(image);
      if (!std::isfinite(value)) continue;
      minus = std::signbit(value);
      int k = 0;
      const double fraction = std::frexp(std::fabs(static_cast<double>(value)), &k);
      x = Scale2(Rational(static_cast<std::int64_t>(std::ldexp(fraction, 53))), k - 53);
      if (minus) x = -x;
    }
    const std::string expected = ExpectedPattern(f, x, minus, text);
    char bits[kMaxWidth + 1];
    const int fits =
        text ? CFCFL(f, input.c_str(), bits, NoTrace()) : CFLBN(f, value, bits, NoTrace());
    SCOPED_TRACE((text ? input : std::to_string(value)) + " in a layout of " +
                 std::to_string(f.nb) + " bits, exponent " + std::to_string(f.TypeExp) +
                 ", mantissa " + std::to_string(f.TypeMan) + ", norm " +
                 std::to_string(f.typenorma));
    const RepresentationReport report = ReportRepresentation(f, bits, {input, text, value}, true);
    ASSERT_FALSE(report.method.empty());
    EXPECT_EQ(fits != 0, !expected.empty());
    if (expected.empty()) {
      EXPECT_NE(report.method.back().find("no representa el valor"), std::string::npos)
          << report.method.back();
      continue;
    }
    ++fitting;
    EXPECT_EQ(bits, expected);
    EXPECT_EQ(Tail(report.method.back(), ": "), expected);
  }
  EXPECT_GT(fitting, kLayouts / 3);
}

// The wording, step by step, in a few layouts a course uses.
TEST(HandMethodTest, StepsAsWrittenByHand) {
  const FloatFormat ieee32 = *FindPreset("ieee32");
  // A layout with the exponent in two's complement, the mantissa in one's complement, 0'M.
  FloatFormat complements = *FindPreset("ieee16");
  complements.TypeExp = 2;
  complements.TypeMan = 1;
  complements.typenorma = 0;
  FloatFormat twos = *FindPreset("ieee16");
  twos.TypeMan = 2;
  struct Case {
    const char* why;
    FloatFormat format;
    bool represent;
    const char* input;
    Lines method;
  };
  const Case cases[] = {
      {"an exact value in ieee32",
       ieee32,
       true,
       "5.375",
       {"parte entera: 5 = 101", "parte fraccionaria: 0.375 = 0.011",
        "normalizado en 1'M (bit implícito entero): 1.01011 × 2^2",
        "exponente: 2 + 127 = 129 = 10000001",
        "mantisa: sin el 1 implícito, en 23 bits: 01011000000000000000000", "signo: positivo, 0",
        "cada campo en sus posiciones (signo 0, exponente 1 a 8, mantisa 9 a 31): "
        "01000000101011000000000000000000"}},
      {"a value the mantissa truncates",
       *FindPreset("ieee16"),
       true,
       "-0.1",
       {"parte entera: 0 = 0", "parte fraccionaria: 0.1 = 0.00011001100110...",
        "se trunca a 11 bits significativos",
        "normalizado en 1'M (bit implícito entero): -1.100110011 × 2^-4",
        "exponente: -4 + 15 = 11 = 01011", "mantisa: sin el 1 implícito, en 10 bits: 1001100110",
        "signo: negativo, 1",
        "cada campo en sus posiciones (signo 0, exponente 1 a 5, mantisa 6 a 15): "
        "1010111001100110"}},
      {"complements in both fields, no implicit bit: the whole field is complemented",
       complements,
       true,
       "-0.1875",
       {"parte entera: 0 = 0", "parte fraccionaria: 0.1875 = 0.0011",
        "normalizado en 0'M (sin bit implícito): -0.11 × 2^-2",
        "exponente -2 en complemento a dos: 2 = 00010, se invierten los bits y se suma 1: "
        "11101 + 1 = 11110",
        "mantisa: las cifras tras el 0., en 10 bits: 1100000000",
        "negativo, con la mantisa en complemento a uno: se invierten sus bits: 0011111111",
        "signo: negativo, 1",
        "cada campo en sus posiciones (signo 0, exponente 1 a 5, mantisa 6 a 15): "
        "1111100011111111"}},
      {"the same pattern read back",
       complements,
       false,
       "1111100011111111",
       {"signo (posición 0): 1, negativo",
        "exponente (posiciones 1 a 5): 11110 en complemento a dos: empieza por 1, es negativo; "
        "se invierten los bits y se suma 1: 00001 + 1 = 00010 = 2: -2",
        "mantisa (posiciones 6 a 15): 0011111111",
        "signo 1 y mantisa en complemento a uno: se invierten los bits guardados: 1100000000",
        "sin bit implícito: 0.11", "valor: -0.11 × 2^-2 = -0.0011 = -0.1875"}},
      {"two's complement of a zero field: the carry leaves it, the implicit bit stays",
       twos,
       false,
       "1100000000000000",
       {"signo (posición 0): 1, negativo",
        "exponente (posiciones 1 a 5): 10000 en exceso 15: 16 - 15 = 1",
        "mantisa (posiciones 6 a 15): 0000000000",
        "signo 1 y mantisa en complemento a dos: se invierten los bits guardados y se suma 1: "
        "1111111111 + 1 = 0000000000 (el acarreo sale del campo y se pierde)",
        "se restaura el 1 implícito: 1.0", "valor: -1.0 × 2^1 = -10 = -2"}},
      {"zero has no normalised form",
       twos,
       true,
       "-0",
       {"el 0 no tiene forma normalizada: se escriben el menor exponente, -15, y la mantisa a "
        "cero",
        "exponente: -15 + 15 = 0 = 00000", "mantisa: 10 bits a 0: 0000000000",
        "negativo, con la mantisa en complemento a dos: se invierten los bits guardados (el bit "
        "implícito no) y se suma 1: 1111111111 + 1 = 0000000000 (el acarreo sale del campo y se "
        "pierde)",
        "signo: el del -0, 1",
        "cada campo en sus posiciones (signo 0, exponente 1 a 5, mantisa 6 a 15): "
        "1000000000000000"}},
      {"an exponent beyond its field ends the method",
       *FindPreset("fp8-e4m3"),
       true,
       "1000",
       {"parte entera: 1000 = 1111101000", "se trunca a 4 bits significativos",
        "normalizado en 1'M (bit implícito entero): 1.111 × 2^9",
        "exponente 9: no cabe en 4 bits en exceso 7 (de -7 a 8); la cadena no representa el "
        "valor"}},
      {"IEEE 754's reserved exponent, read as the program reads it",
       *FindPreset("ieee16"),
       false,
       "0111110000000000",
       {"signo (posición 0): 0, positivo",
        "exponente (posiciones 1 a 5): 11111 en exceso 15: 31 - 15 = 16",
        "mantisa (posiciones 6 a 15): 0000000000", "se restaura el 1 implícito: 1.0",
        "en IEEE 754 el exponente 11111 está reservado a infinitos y NaN; aquí se lee como los "
        "demás",
        "valor: 1.0 × 2^16 = 10000000000000000 = 65536"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    if (c.represent) {
      char bits[kMaxWidth + 1];
      CFCFL(c.format, c.input, bits, NoTrace());
      EXPECT_EQ(ReportRepresentation(c.format, bits, {c.input, true, 0}, true).method, c.method);
    } else {
      EXPECT_EQ(ReportInterpretation(c.format, c.input, true).method, c.method);
    }
  }
  // A single-precision value starts from its exact value.
  char bits[kMaxWidth + 1];
  CFLBN(*FindPreset("bfloat16"), 0.1f, bits, NoTrace());
  const Lines method =
      ReportRepresentation(*FindPreset("bfloat16"), bits, {"", false, 0.1f}, true).method;
  ASSERT_FALSE(method.empty());
  EXPECT_EQ(method[0], "el valor en simple precisión es exactamente 0.100000001490116119384765625");
  // Without asking, the reports carry no method.
  EXPECT_TRUE(ReportInterpretation(ieee32, std::string(32, '0').c_str()).method.empty());
}

}  // namespace
}  // namespace repbin
