// Tests of the extended floating-point report: exact values, errors, rounding to nearest in any
// format, and the IEEE 754 reading and encoding against the machine's own conversions.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <boost/multiprecision/cpp_int.hpp>

#include "codec/codec.h"
#include "output/platform.h"
#include "real/real.h"
#include "real/report.h"
#include "support.h"

namespace repbin {
namespace {

namespace mp = boost::multiprecision;
using Big = mp::cpp_int;
using Rational = mp::cpp_rational;
using test::Capture;

struct Layout {  // nb, nbexp, posexp, posmantisa, possigno, TypeExp, zEZ, TypeMan, typenorma
  int nb, nbexp, posexp, posmantisa, possigno, type_exp, z, type_man, norma;
};
constexpr Layout kHalf{16, 5, 1, 6, 0, 3, 15, 0, 1};
constexpr Layout kSingle{32, 8, 1, 9, 0, 3, 127, 0, 1};
constexpr Layout kDouble{64, 11, 1, 12, 0, 3, 1023, 0, 1};
constexpr Layout kBfloat{16, 8, 1, 9, 0, 3, 127, 0, 1};

// The format the functions below are run in, and a working string, as the dialogue keeps them.
FloatFormat format{};
char buffer[kMaxWidth + 1];
int& nb = format.nb;
int& typenorma = format.typenorma;

void Set(const Layout& l) {
  format = {l.nb,       l.nbexp, l.posexp,   l.posmantisa, l.possigno,
            l.type_exp, l.z,     l.type_man, l.norma};
  ASSERT_TRUE(DescriptorIsValid(format));
}

// The report's functions and the codecs in that format; the codecs print their traces.
int NbMan() {
  return format.NbMan();
}
FloatReading ReadFloat(const char* bits) {
  return repbin::ReadFloat(format, bits);
}
bool IsIeeeShaped() {
  return repbin::IsIeeeShaped(format);
}
RepresentationReport ReportRepresentation(const char* bits, const RepresentationInput& input) {
  return repbin::ReportRepresentation(format, bits, input);
}
InterpretationReport ReportInterpretation(const char* bits) {
  return repbin::ReportInterpretation(format, bits);
}
void PrintRepresentationReport(const RepresentationReport& report) {
  repbin::PrintRepresentationReport(report, PrintedTrace());
}
void PrintInterpretationReport(const InterpretationReport& report) {
  repbin::PrintInterpretationReport(report, PrintedTrace());
}
int CFLBN(float num, char* bitmap) {
  return repbin::CFLBN(format, num, bitmap, PrintedTrace());
}
int CFCFL(const char* decimal, char* bitmap) {
  return repbin::CFCFL(format, decimal, bitmap, PrintedTrace());
}

// A plain decimal ("-12.5", "0.001", "7") as a rational.
Rational Parse(const std::string& text) {
  const bool minus = text.starts_with('-');
  std::string digits = text.substr(minus ? 1 : 0);
  const std::size_t dot = digits.find('.');
  unsigned scale = 0;
  if (dot != std::string::npos) {
    scale = static_cast<unsigned>(digits.size() - dot - 1);
    digits.erase(dot, 1);
  }
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));  // not octal
  const Rational r(Big(digits), mp::pow(Big(10), scale));
  return minus ? Rational(-r) : r;
}

Rational Pow2(std::int64_t k) {
  const Big p = Big(1) << static_cast<unsigned>(std::abs(k));
  return k >= 0 ? Rational(p) : Rational(Big(1), p);
}

// The value the program reads in a pattern, exactly.
Rational ProgramReading(const std::string& bits) {
  const FloatReading r = ReadFloat(bits.c_str());
  return Rational(r.man) * Pow2(r.exp - r.shift);
}

RepresentationReport FromText(const std::string& text, const std::string& bits = "") {
  const std::string stored = bits.empty() ? std::string(static_cast<std::size_t>(nb), '0') : bits;
  return ReportRepresentation(stored.c_str(), {text, true, 0});
}

std::string Bits(std::uint64_t pattern, int width) {
  return std::bitset<64>(pattern).to_string().substr(static_cast<std::size_t>(64 - width));
}

// The text "0.<digits>e<exp>" of a positive exact value num / 10^scale: the same number for
// strtod and for the fixed-point reading (an integer part of 0, the fraction with its exponent).
std::string DecimalText(const Big& num, std::int64_t scale) {
  const std::string digits = num.str();
  return "0." + digits + "e" + std::to_string(static_cast<std::int64_t>(digits.size()) - scale);
}
// The same for m x 2^k.
std::string DyadicText(const Big& m, int k) {
  if (k >= 0) return DecimalText(Big(m << k), 0);
  return DecimalText(Big(m * mp::pow(Big(5), static_cast<unsigned>(-k))), -k);
}
// The same, signed, for a rational whose denominator is 2^a 5^b.
std::string RationalText(const Rational& x) {
  Big den = denominator(x);
  unsigned twos = 0;
  unsigned fives = 0;
  while (!mp::bit_test(den, 0)) den >>= 1, ++twos;
  while (den % 5 == 0) den /= 5, ++fives;
  const unsigned scale = std::max(twos, fives);
  const Big num =
      mp::abs(numerator(x)) * mp::pow(Big(2), scale - twos) * mp::pow(Big(5), scale - fives);
  return (x < 0 ? "-" : "") + (num == 0 ? std::string("0.0") : DecimalText(num, scale));
}

TEST(ReportTest, SingleAndDoubleExamples) {
  Set(kSingle);
  Capture([] { CFCFL("0.1", buffer); });
  RepresentationReport r = FromText("0.1", buffer);
  // The doubling runs on the exact 0.1: the field holds its truncation, 13421772 x 2^-27.
  EXPECT_EQ(r.hex, "0x3DCCCCCC");
  EXPECT_EQ(r.stored, "0.0999999940395355224609375");
  EXPECT_EQ(r.input, "0.1");
  EXPECT_EQ(r.error, "-0.0000000059604644775390625");
  ASSERT_TRUE(r.relative_error);
  EXPECT_DOUBLE_EQ(*r.relative_error, -5.9604644775390625e-8);
  ASSERT_TRUE(r.rounded);
  EXPECT_EQ(r.rounded->hex, "0x3DCCCCCD");
  EXPECT_EQ(r.rounded->value, "0.100000001490116119384765625");
  EXPECT_EQ(r.rounded->error, "0.000000001490116119384765625");
  ASSERT_TRUE(r.ieee);
  EXPECT_EQ(r.ieee->reading.kind, IeeeClass::kNormal);
  EXPECT_EQ(r.ieee->rounded_hex, "0x3DCCCCCD");

  // The float path converts the float's exact value: its own pattern, no error.
  Capture([] { CFLBN(0.1f, buffer); });
  r = ReportRepresentation(buffer, {"", false, 0.1f});
  EXPECT_EQ(r.input, "0.100000001490116119384765625");
  EXPECT_EQ(r.error, "0");
  EXPECT_EQ(r.relative_error, 0.0);
  EXPECT_EQ(r.rounded->bits, std::string(buffer));

  // Double precision rounds the typed text, not its single-precision doubling.
  Set(kDouble);
  Capture([] { CFCFL("0.1", buffer); });
  r = FromText("0.1", buffer);
  EXPECT_EQ(r.rounded->hex, "0x3FB999999999999A");
  EXPECT_EQ(r.ieee->rounded_hex, "0x3FB999999999999A");
  EXPECT_EQ(FromText("-3.", buffer).input, "-3");
  EXPECT_EQ(FromText("-0.1875", buffer).rounded->hex, "0xBFC8000000000000");
}

TEST(ReportTest, ReadsIeeeClassesBesideTheProgramsReading) {
  Set(kSingle);
  const std::string max_single = "340282346638528859811704183484516925440";
  using Case = std::tuple<std::uint32_t, std::string, IeeeClass, std::string, std::string>;
  for (const auto& [pattern, hex, kind, ieee_value, program_value] :
       std::vector<Case>{{0x00000000, "0x00000000", IeeeClass::kZero, "0", ""},  // program: 2^-127
                         {0x80000000, "0x80000000", IeeeClass::kZero, "-0", ""},
                         {0x00000001, "0x00000001", IeeeClass::kSubnormal, "", ""},
                         {0x3F800000, "0x3F800000", IeeeClass::kNormal, "1", "1"},
                         {0xC0200000, "0xC0200000", IeeeClass::kNormal, "-2.5", "-2.5"},
                         {0x7F7FFFFF, "0x7F7FFFFF", IeeeClass::kNormal, max_single, max_single},
                         {0xFF800000, "0xFF800000", IeeeClass::kInfinity, "-inf", ""},
                         {0x7FC00000, "0x7FC00000", IeeeClass::kNan, "nan", ""}}) {
    const std::string bits = Bits(pattern, 32);
    SCOPED_TRACE(bits);
    const InterpretationReport r = ReportInterpretation(bits.c_str());
    EXPECT_EQ(r.hex, hex);
    ASSERT_TRUE(r.ieee && r.value);
    EXPECT_EQ(r.ieee->kind, kind);
    if (!ieee_value.empty()) {
      EXPECT_EQ(r.ieee->value, ieee_value);
    }
    if (!program_value.empty()) {
      EXPECT_EQ(r.value, program_value);
    }
    EXPECT_EQ(Parse(*r.value), ProgramReading(bits));
  }
  const InterpretationReport sub = ReportInterpretation(Bits(1, 32).c_str());
  EXPECT_EQ(Parse(*sub.ieee->value), Pow2(-149));
  // Zero's pattern reads as zero, with its sign.
  EXPECT_EQ(ReportInterpretation(Bits(0, 32).c_str()).value, "0");
  EXPECT_EQ(ReportInterpretation(Bits(std::uint64_t{1} << 31, 32).c_str()).value, "-0");
  // Not IEEE-shaped: a complement mantissa, a 0'M normalisation, another excess.
  for (const Layout& l :
       {Layout{32, 8, 1, 9, 0, 3, 127, 2, 1}, Layout{32, 8, 1, 9, 0, 3, 127, 0, 0},
        Layout{32, 8, 1, 9, 0, 3, 128, 0, 1}, Layout{32, 8, 24, 1, 0, 3, 127, 0, 1}}) {
    Set(l);
    EXPECT_FALSE(IsIeeeShaped());
  }
  for (const Layout& l : {kHalf, kSingle, kDouble, kBfloat}) {
    Set(l);
    EXPECT_TRUE(IsIeeeShaped());
  }
}

TEST(ReportTest, ExactValuesReadBackAndErrorsSubtract) {
  // Random layouts and patterns: the exact decimal is the program's reading, and the error is
  // stored - input, for inputs typed as text and as floats.
  std::mt19937_64 r(12);
  for (int n = 0; n < 1500; ++n) {
    const int width = 3 + static_cast<int>(r() % 62);
    const int nbexp = 1 + static_cast<int>(r() % static_cast<unsigned>(std::min(width - 2, 13)));
    const int nbman = width - nbexp - 1;
    const int norma = static_cast<int>(r() % 3);
    Layout l{width,
             nbexp,
             1,
             nbexp + 1,
             0,
             static_cast<int>(r() % 4),
             static_cast<int>(r() % 300),
             static_cast<int>(r() % 3),
             norma};
    if (r() % 2) l = {width, nbexp, 0, nbexp + 1, nbexp, l.type_exp, l.z, l.type_man, norma};
    if (r() % 2) l = {width, nbexp, nbman + 1, 1, 0, l.type_exp, l.z, l.type_man, norma};
    Set(l);
    std::string bits = Bits(r(), width);
    SCOPED_TRACE(bits);
    const InterpretationReport read = ReportInterpretation(bits.c_str());
    ASSERT_TRUE(read.value);
    EXPECT_EQ(Parse(*read.value), ProgramReading(bits));
    const std::string text =
        std::to_string(static_cast<int>(r() % 2000) - 1000) + "." + std::to_string(r() % 100000000);
    const RepresentationReport rep = FromText(text, bits);
    ASSERT_TRUE(rep.stored && rep.input && rep.error);
    EXPECT_EQ(Parse(*rep.stored), ProgramReading(bits));
    EXPECT_EQ(Parse(*rep.error), Parse(*rep.stored) - Parse(*rep.input));
    if (rep.rounded) {
      EXPECT_EQ(Parse(*rep.rounded->value), ProgramReading(rep.rounded->bits));
      EXPECT_EQ(Parse(*rep.rounded->error), Parse(*rep.rounded->value) - Parse(*rep.input));
    }
  }
  // A fixed-point text is read as typed, never through a float.
  Set(kSingle);
  using Case = std::pair<const char*, const char*>;
  for (const auto& [text, exact] :
       {Case{"0.1", "0.1"}, Case{"-.5", "-0.5"}, Case{"  +12.25x", "12.25"}, Case{"7", "7"},
        Case{"3,25", "3"}, Case{".1e1", "1"}, Case{"2.5e-3", "2.0005"}, Case{"1.5e", "1.5"},
        Case{"0.99999999", "0.99999999"}, Case{"abc", "0"}, Case{"-0", "-0"},
        Case{"12345678901234567890.5", "12345678901234567890.5"}}) {
    EXPECT_EQ(FromText(text).input, exact) << text;
  }
  // Beyond 16500 digits there is no exact text, and the too-long case says so.
  EXPECT_FALSE(FromText("0.1e-20000").input);
  Set({64, 20, 1, 21, 0, 3, 0, 0, 1});
  const std::string huge = "0" + std::string(20, '1') + std::string(43, '0');
  EXPECT_FALSE(ReportInterpretation(huge.c_str()).value);
  const std::string printed =
      Capture([&] { PrintInterpretationReport(ReportInterpretation(huge.c_str())); },
              out::Encoding::kUtf8)
          .out;
  EXPECT_NE(printed.find("demasiado largo"), std::string::npos) << printed;
}

// The exact IEEE pattern of the machine's conversion of `text`, as the program reads a value:
// the C library's strtod and strtof, correctly rounded on every system.
std::string Machine(const std::string& text, const Layout& l) {
  if (l.nb == 64) return Bits(std::bit_cast<std::uint64_t>(out::StrToD(text.c_str(), nullptr)), 64);
  return Bits(std::bit_cast<std::uint32_t>(out::StrToF(text.c_str(), nullptr)), 32);
}

TEST(ReportTest, IeeeRoundingEqualsStrtodAndStrtof) {
  std::mt19937_64 r(754);
  for (const Layout& l : {kSingle, kDouble}) {
    Set(l);
    const int p = l.nb == 64 ? 53 : 24;
    const int min_exp = l.nb == 64 ? -1074 : -149;  // the smallest subnormal's unit
    const int max_exp = l.nb == 64 ? 1024 : 128;
    std::vector<std::string> texts;
    // Random digits over the whole range, both signs.
    for (int n = 0; n < 600; ++n) {
      std::string digits = std::to_string(1 + r() % 9);
      for (int d = static_cast<int>(r() % 25); d > 0; --d)
        digits += static_cast<char>('0' + r() % 10);
      const int e10 = static_cast<int>(r() % 660) - 340;
      texts.push_back((r() % 2 ? "-0." : "0.") + digits + "e" +
                      std::to_string(l.nb == 64 ? e10 : e10 / 8));
    }
    // Halfway between neighbours, and a hair either side, across normals, subnormals, the
    // smallest subnormal's half (to zero) and the top (to infinity).
    std::vector<std::pair<Big, int>> halves;  // (odd m, k): m x 2^k is a halfway point
    for (int n = 0; n < 150; ++n) {
      const Big m = (Big(r()) % (Big(1) << p)) | (Big(1) << (p - 1));
      const int k = min_exp + static_cast<int>(r() % static_cast<unsigned>(max_exp - p - min_exp));
      halves.emplace_back(2 * m + 1, k - 1);
    }
    for (int n = 0; n < 40; ++n) {  // between subnormals
      halves.emplace_back(2 * (Big(r()) % (Big(1) << (p - 1))) + 1, min_exp - 1);
    }
    halves.emplace_back(Big(1), min_exp - 1);                       // half the smallest: to zero
    halves.emplace_back(Big(3), min_exp - 1);                       // 1.5 smallest: to 2 (even)
    halves.emplace_back((Big(1) << (p + 1)) - 1, max_exp - p - 1);  // max + half unit: to inf
    halves.emplace_back((Big(1) << (p + 1)) - 3,
                        max_exp - p - 1);  // max - half unit: down, to even
    for (const auto& [m, k] : halves) {
      texts.push_back(DyadicText(m, k));
      const Big scaled = k < 0 ? Big(m * mp::pow(Big(5), static_cast<unsigned>(-k))) : Big(m << k);
      const std::int64_t scale = k < 0 ? -k : 0;
      texts.push_back(DecimalText(Big(scaled * 10 + 1), scale + 1));  // a hair above
      texts.push_back(DecimalText(Big(scaled * 10 - 1), scale + 1));  // a hair below
    }
    for (const char* t :
         {"0.1", "0.0", "-0.0", "0.5e-400", "0.1e-50", "0.4e-45", "0.7e-45", "0.34028235e39",
          "0.340282356779733661637539395458142568448e39", "0.17976931348623157e309",
          "0.17976931348623159e309", "0.24703282292062328e-323", "0.24703282292062327e-323"}) {
      texts.push_back(t);
    }
    for (const std::string& text : texts) {
      const RepresentationReport rep = FromText(text);
      ASSERT_TRUE(rep.ieee);
      EXPECT_EQ(rep.ieee->rounded_bits, Machine(text, l)) << text;
    }
  }
}

TEST(ReportTest, HalfPrecisionRoundingEqualsTheNearestPattern) {
  Set(kHalf);
  // Every finite non-negative half value in units of 2^-24, in pattern order (which is value
  // order); the reference picks the nearest by exact comparison, ties to the even pattern, and
  // infinity from the max plus half its unit (65520) on.
  std::vector<std::int64_t> units;
  for (std::uint32_t pattern = 0; pattern < 0x7C00; ++pattern) {
    const std::int64_t f = pattern & 0x3FF;
    const int e = static_cast<int>(pattern >> 10);
    units.push_back(e == 0 ? f : (f + 1024) << (e - 1));
  }
  auto reference = [&](const Rational& x) -> std::uint32_t {
    const Rational scaled = mp::abs(x) * Pow2(24);
    const std::uint32_t sign = x < 0 ? 0x8000 : 0;
    if (scaled >= Rational(65520) * Pow2(24)) return sign | 0x7C00;
    const auto above = std::partition_point(units.begin(), units.end(),
                                            [&](std::int64_t u) { return Rational(u) < scaled; });
    auto best = above;
    if (above == units.end()) {
      best = above - 1;
    } else if (above != units.begin()) {
      const Rational up = Rational(*above) - scaled;
      const Rational down = scaled - Rational(*(above - 1));
      if (down < up || (down == up && (above - units.begin()) % 2 == 1)) best = above - 1;
    }
    return sign | static_cast<std::uint32_t>(best - units.begin());
  };
  std::mt19937_64 r(16);
  std::vector<std::string> texts;
  for (int n = 0; n < 800; ++n) {
    std::string digits = std::to_string(1 + r() % 9);
    for (int d = static_cast<int>(r() % 12); d > 0; --d)
      digits += static_cast<char>('0' + r() % 10);
    texts.push_back((r() % 2 ? "-0." : "0.") + digits + "e" +
                    std::to_string(static_cast<int>(r() % 16) - 9));
  }
  for (int n = 0; n < 200; ++n) {  // halfway points between neighbours
    const std::size_t i = r() % (units.size() - 1);
    texts.push_back(DyadicText(Big(units[i] + units[i + 1]), -25));
  }
  for (const char* t :
       {"0.6552e5", "0.65519e5", "0.6551999e5", "0.65520e5", "0.2980232238769531e-7",
        "0.29802322387695313e-7", "0.59604644775390625e-7", "0.1"}) {
    texts.push_back(t);
  }
  for (const std::string& text : texts) {
    const RepresentationReport rep = FromText(text);
    ASSERT_TRUE(rep.ieee && rep.input);
    EXPECT_EQ(rep.ieee->rounded_bits, Bits(reference(Parse(*rep.input)), 16)) << text;
  }
}

// Whether the program reads back what the encoders write for negative values in the current
// format (complement mantissas with an implicit bit did not always).
bool NegativesReadBack() {
  Capture([] { CFLBN(-1.25f, buffer); });
  return ProgramReading(buffer) == Rational(-5, 4);
}

bool IsNormalised(const std::string& bits) {
  const FloatReading f = ReadFloat(bits.c_str());
  const Big m = mp::abs(Big(f.man));
  const int p = NbMan() + format.bi();
  return (m >= (Big(1) << (p - 1)) && m < (Big(1) << p)) || (typenorma == 0 && m == 0);
}

TEST(ReportTest, RoundsToTheNearestValueOfSmallFormats) {
  // Every pattern of 9-bit formats in every system, normalisation and field order: the rounded
  // pattern reads as the nearest normalised value, ties to the even mantissa; out of range
  // exactly when the input lies past the largest value (or below the smallest) by half a unit.
  std::mt19937_64 r(9);
  for (int type_exp = 0; type_exp < 4; ++type_exp) {
    for (int type_man = 0; type_man < 3; ++type_man) {
      for (int norma = 0; norma < 3; ++norma) {
        for (const Layout& l : {Layout{9, 3, 1, 4, 0, type_exp, 3, type_man, norma},
                                Layout{9, 4, 0, 5, 4, type_exp, 9, type_man, norma},
                                Layout{9, 3, 6, 1, 0, type_exp, 2, type_man, norma}}) {
          Set(l);
          SCOPED_TRACE(testing::Message() << type_exp << type_man << norma << " at " << l.posexp);
          const bool negatives = NegativesReadBack();
          std::vector<std::pair<Rational, std::string>> values;  // the normalised values
          for (std::uint64_t pattern = 0; pattern < 512; ++pattern) {
            const std::string bits = Bits(pattern, 9);
            if (IsNormalised(bits)) values.emplace_back(ProgramReading(bits), bits);
          }
          std::sort(values.begin(), values.end());
          Rational top = 0;
          Rational bottom = 0;  // the largest and smallest positive magnitudes
          for (const auto& [v, bits] : values) {
            if (v > 0 && (bottom == 0 || v < bottom)) bottom = v;
            top = std::max(top, v);
          }
          const Rational top_unit =
              top - std::prev(std::upper_bound(values.begin(), values.end(),
                                               std::make_pair(top, std::string())))
                        ->first;
          for (int n = 0; n < 60; ++n) {
            // Inputs from below the smallest to past the largest, and every halfway point.
            Rational x;
            if (n < 30) {
              const std::size_t i = r() % (values.size() - 1);
              x = (values[i].first + values[i + 1].first) / 2;
            } else {
              x = Rational(Big(r() % 100000), Big(1000)) * Pow2(static_cast<int>(r() % 12) - 8);
            }
            if (!negatives) x = mp::abs(x);
            const std::string text = RationalText(x);
            const RepresentationReport rep = FromText(text);
            const Rational mag = mp::abs(x);
            // With an implicit bit the smallest exponent's power of two is zero's pattern, so
            // the smallest value lies one unit above it, and what rounds to it (ties to its even
            // mantissa included) does not fit.
            const int bi = format.bi();
            const Rational below =
                bi == 1 ? bottom - bottom / (Pow2(NbMan()) + 1) / 2 : Rational(0);
            const bool outside = mag >= top + top_unit / 2 ||
                                 (bi == 0 && mag < bottom * (1 - Pow2(-NbMan() - 1)) && mag != 0) ||
                                 (bi == 1 && mag <= below && mag != 0);
            ASSERT_EQ(!rep.rounded, outside) << text;
            if (!rep.rounded) continue;
            if (mag == 0) continue;  // ZeroRoundsToTheEncodersPattern
            const Rational got = ProgramReading(rep.rounded->bits);
            ASSERT_TRUE(IsNormalised(rep.rounded->bits)) << text;
            // The nearest values of the sorted list lie either side of x.
            const auto above =
                std::lower_bound(values.begin(), values.end(), std::make_pair(x, std::string()));
            Rational nearest = -1;
            for (auto it : {above, above - 1}) {
              if (it < values.begin() || it >= values.end()) continue;
              const Rational d = mp::abs(it->first - x);
              if (nearest < 0 || d < nearest) nearest = d;
            }
            const Rational best = mp::abs(got - x);
            ASSERT_EQ(best, nearest) << text << " got " << rep.rounded->bits;
            const bool tie = above != values.begin() && above != values.end() &&
                             above->first - x == x - (above - 1)->first;
            if (tie) {  // the even mantissa wins
              EXPECT_FALSE(mp::bit_test(Big(ReadFloat(rep.rounded->bits.c_str()).man), 0)) << text;
            }
          }
        }
      }
    }
  }
}

// Zero has no normalised form: rounded to nearest it is what the encoder writes, the smallest
// exponent and a zero magnitude, with its sign, in every system and normalisation.
TEST(ReportTest, ZeroRoundsToTheEncodersPattern) {
  for (int type_exp = 0; type_exp < 4; ++type_exp) {
    for (int type_man = 0; type_man < 3; ++type_man) {
      for (int norma = 0; norma < 3; ++norma) {
        Set({12, 4, 1, 5, 0, type_exp, 7, type_man, norma});
        for (const char* text : {"0", "-0.000"}) {
          SCOPED_TRACE(testing::Message() << type_exp << type_man << norma << " " << text);
          char typed[kMaxWidth];
          std::snprintf(typed, sizeof typed, "%s", text);
          Capture([&] { CFCFL(typed, buffer); });
          const RepresentationReport rep = FromText(text, buffer);
          ASSERT_TRUE(rep.rounded.has_value());
          EXPECT_EQ(rep.rounded->bits, std::string(buffer));
        }
      }
    }
  }
}

TEST(ReportTest, RoundsBetweenItsNeighboursInWideFormats) {
  // 32-bit formats in every system: the rounded pattern is normalised, and the input is no
  // nearer to the values one unit above and below it (ties: an even mantissa).
  std::mt19937_64 r(32);
  for (int type_exp = 0; type_exp < 4; ++type_exp) {
    for (int type_man = 0; type_man < 3; ++type_man) {
      for (int norma = 0; norma < 3; ++norma) {
        Set({32, 8, 24, 1, 0, type_exp, 127, type_man, norma});
        const bool negatives = NegativesReadBack();
        const int p = NbMan() + format.bi();
        for (int n = 0; n < 40; ++n) {
          std::string text = std::to_string(r() % 100000) + "." + std::to_string(r() % 1000000000);
          if (n % 4 == 0) text = "0.000" + std::to_string(r());
          if (negatives && n % 2) text = "-" + text;
          const RepresentationReport rep = FromText(text);
          ASSERT_TRUE(rep.rounded && rep.input) << text;
          ASSERT_TRUE(IsNormalised(rep.rounded->bits)) << text;
          const FloatReading f = ReadFloat(rep.rounded->bits.c_str());
          const Rational x = mp::abs(Parse(*rep.input));
          const Big m = mp::abs(Big(f.man));
          const Rational unit = Pow2(f.exp - f.shift);
          const Rational got = Rational(m) * unit;
          const Rational up = Rational(m + 1) * unit;
          const Rational down = m == Big(1) << (p - 1) ? (Rational(m) - Rational(1, 2)) * unit
                                                       : Rational(m - 1) * unit;
          EXPECT_EQ(f.man < 0, text.starts_with('-')) << text;
          EXPECT_LE(mp::abs(got - x), mp::abs(up - x)) << text;
          EXPECT_LE(mp::abs(got - x), mp::abs(x - down)) << text;
          if (mp::abs(got - x) == mp::abs(up - x) || mp::abs(got - x) == mp::abs(x - down)) {
            EXPECT_FALSE(mp::bit_test(m, 0)) << text;
          }
        }
      }
    }
  }
}

TEST(ReportTest, PrintsTheBlock) {
  // Half precision truncates 0.3 (1.0011001100|11... x 2^-2); rounding carries.
  Set(kHalf);
  Capture([] { CFCFL("0.3", buffer); });
  const std::string rep =
      Capture([] { PrintRepresentationReport(FromText("0.3", buffer)); }, out::Encoding::kUtf8).out;
  EXPECT_EQ(rep,
            " Hexadecimal: 0x34CC\n"
            " Valor exacto almacenado: 0.2998046875\n"
            " Valor exacto de la entrada: 0.3\n"
            " Expansión binaria exacta de la entrada: 0.0(1001)\n"
            " Error: -0.0001953125 (relativo -0.000651)\n"
            " Redondeo al más próximo (empates al par): 0011010011001101 0x34CD\n"
            "   valor 0.300048828125, error 0.000048828125\n"
            " IEEE 754: normal, valor 0.2998046875\n"
            " IEEE 754 redondeado: 0011010011001101 0x34CD\n");
  Set(kSingle);
  const std::string zero = std::string(32, '0');
  EXPECT_EQ(Capture([&] { PrintInterpretationReport(ReportInterpretation(zero.c_str())); }).out,
            " Hexadecimal: 0x00000000\n Valor exacto: " +
                ReportInterpretation(zero.c_str()).value.value() +
                "\n IEEE 754: cero (+0), valor 0\n");
  // Beyond the range of a format without an IEEE reading (0'M), and the code page 850 of the
  // accents.
  Set({16, 3, 1, 4, 0, 3, 3, 0, 0});
  const std::string out = Capture([] { PrintRepresentationReport(FromText("1000")); }).out;
  EXPECT_NE(out.find(test::Cp850(" Redondeo al más próximo (empates al par): fuera del rango")),
            std::string::npos)
      << out;
}

// The value an expansion "-101.0(0011)" writes: integer digits, s digits, then a period of L
// digits, P/(2^L - 1) units of the last of the s digits. Read back in rationals.
Rational ExpansionValue(std::string text) {
  const bool minus = text.starts_with('-');
  if (minus) text.erase(0, 1);
  const std::size_t dot = std::min(text.find('.'), text.size());
  const std::size_t open = std::min(text.find('('), text.size());
  const auto binary = [](const std::string& digits) {
    Big n = 0;
    for (const char c : digits) n = 2 * n + (c - '0');
    return n;
  };
  Rational value(binary(text.substr(0, dot)));
  if (dot < text.size()) {
    const std::string pre = text.substr(dot + 1, open - dot - 1);
    value += Rational(binary(pre)) * Pow2(-static_cast<std::int64_t>(pre.size()));
    if (open < text.size()) {
      const std::string period = text.substr(open + 1, text.size() - open - 2);
      value += Rational(binary(period), (Big(1) << period.size()) - 1) *
               Pow2(-static_cast<std::int64_t>(pre.size()));
    }
  }
  return minus ? Rational(-value) : value;
}

TEST(ReportTest, ExactBinaryExpansion) {
  // Finite, periodic from the point or later, negative, zero, a float's (always finite): the text
  // given, which reads back as the input's exact value.
  Set(kSingle);
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"0.1", "0.0(0011)", "4"},   {"5.375", "101.011", "0"},
      {"0.2", "0.(0011)", "4"},    {"1.1", "1.0(0011)", "4"},
      {"-0.1", "-0.0(0011)", "4"}, {"5.", "101", "0"},
      {"-0.000", "-0", "0"},       {"0.04", "0.(00001010001111010111)", "20"}};
  for (const auto& [text, expansion, period] : cases) {
    SCOPED_TRACE(text);
    const RepresentationReport rep = FromText(text);
    ASSERT_TRUE(rep.expansion);
    EXPECT_EQ(rep.expansion->text, expansion);
    EXPECT_EQ(rep.expansion->period, period);
    EXPECT_FALSE(rep.expansion->shortened);
    EXPECT_EQ(ExpansionValue(expansion), Parse(text));
  }
  const RepresentationReport tenth =
      ReportRepresentation(std::string(32, '0').c_str(), {"", false, 0.1f});
  ASSERT_TRUE(tenth.expansion);
  EXPECT_EQ(tenth.expansion->text, "0.000110011001100110011001101");
  EXPECT_EQ(ExpansionValue(tenth.expansion->text), Rational(13421773, Big(1) << 27));
}

TEST(ReportTest, LongPeriodsShowTheirFirstDigitsAndLength) {
  // A denominator 2^s x 5^t gives s digits before the period; the period's length is the order of
  // 2 modulo 5^t, found here by counting; its digits are those of floor(x 2^(s+64)).
  Set(kSingle);
  for (const std::string text : {"0.0000001", "0.123456789", "3.14159", "-0.00000123", "0.001"}) {
    SCOPED_TRACE(text);
    const RepresentationReport rep = FromText(text);
    ASSERT_TRUE(rep.expansion);
    const Rational x = mp::abs(Parse(text));
    const Big den = mp::denominator(x);
    const unsigned s = mp::lsb(den);
    const Big odd = den >> s;
    std::uint64_t order = 1;
    for (Big p = 2 % odd; p != 1; p = p * 2 % odd) ++order;
    EXPECT_EQ(rep.expansion->period, std::to_string(order));
    const std::size_t shown = std::min<std::uint64_t>(order, 64);
    EXPECT_EQ(rep.expansion->shortened, order > 64);
    const Rational fraction = x - Rational(mp::numerator(x) / den);
    const Rational scaled = fraction * Pow2(static_cast<std::int64_t>(s + shown));
    const Big digits = mp::numerator(scaled) / mp::denominator(scaled);
    std::string expected;
    for (std::size_t i = s + shown; i-- > 0;)
      expected += mp::bit_test(digits, static_cast<unsigned>(i)) ? '1' : '0';
    expected.insert(s, "(");
    const std::string& got = rep.expansion->text;
    const std::size_t dot = got.find('.');
    ASSERT_NE(dot, std::string::npos);
    EXPECT_EQ(got.substr(dot + 1), expected + (order > 64 ? "...)" : ")"));
  }
  // The line that says how long the period is.
  const std::string out =
      Capture([] { PrintRepresentationReport(FromText("0.0000001")); }, out::Encoding::kUtf8).out;
  EXPECT_NE(out.find("   el periodo tiene 62500 cifras; se muestran las 64 primeras\n"),
            std::string::npos)
      << out;
}

}  // namespace
}  // namespace repbin
