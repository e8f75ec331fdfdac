// Format cards, neighbours, fixed point and conversions between formats, checked against values
// the test works out another way: published constants, the machine's float and double, exact
// rationals and exhaustive readings of every pattern of small formats.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <boost/multiprecision/cpp_int.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "operations/fixed_point.h"
#include "operations/format_card.h"
#include "operations/layout.h"
#include "operations/layout_options.h"
#include "operations/operations.h"
#include "program/program.h"
#include "real/format.h"
#include "real/report.h"
#include "support.h"

namespace {

namespace mp = boost::multiprecision;
using Rational = mp::cpp_rational;
using Big = mp::cpp_int;
using repbin::FindPreset;
using repbin::FloatFormat;
using repbin::NoTrace;
using repbin::ops::System;

// A decimal such as "-0.015625" or "448" as an exact rational.
Rational FromDecimal(const std::string& text) {
  const bool negative = text.starts_with('-');
  Big digits = 0;
  Big scale = 1;
  bool point = false;
  for (const char c : text.substr(negative ? 1 : 0)) {
    if (c == '.') {
      point = true;
      continue;
    }
    digits = digits * 10 + (c - '0');
    if (point) scale *= 10;
  }
  const Rational value(digits, scale);
  return negative ? Rational(-value) : value;
}

// The exact decimal of a float or double, as glibc prints it (every digit is exact).
std::string ExactOf(double value) {
  char text[1200];
  std::snprintf(text, sizeof text, "%.1100f", value);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string Bits(std::uint64_t pattern, int width) {
  std::string bits;
  for (int i = width - 1; i >= 0; --i) bits += (pattern >> i & 1) != 0 ? '1' : '0';
  return bits;
}

// The values the published tables give for the named formats.
TEST(FormatCardTest, NamedFormatsMatchTheStandards) {
  struct Case {
    const char* name;
    std::string largest, smallest_normal, smallest_subnormal, epsilon;
  };
  const auto bf16 = [](std::uint32_t top) {
    return ExactOf(static_cast<double>(std::bit_cast<float>(top << 16)));
  };
  const std::vector<Case> cases = {
      {"ieee32", ExactOf(std::numeric_limits<float>::max()),
       ExactOf(std::numeric_limits<float>::min()),
       ExactOf(std::numeric_limits<float>::denorm_min()),
       ExactOf(std::numeric_limits<float>::epsilon())},
      {"ieee64", ExactOf(std::numeric_limits<double>::max()),
       ExactOf(std::numeric_limits<double>::min()),
       ExactOf(std::numeric_limits<double>::denorm_min()),
       ExactOf(std::numeric_limits<double>::epsilon())},
      {"ieee16", "65504", "0.00006103515625", "0.000000059604644775390625", "0.0009765625"},
      // bfloat16 is the top half of a float.
      {"bfloat16", bf16(0x7F7F), bf16(0x0080), bf16(0x0001), "0.0078125"},
      // OCP 8-bit floating point: E4M3 has no infinities, so its top exponent holds values.
      {"fp8-e4m3", "448", "0.015625", "0.001953125", "0.125"},
      {"fp8-e5m2", "57344", "0.00006103515625", "0.0000152587890625", "0.25"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FloatFormat f = *FindPreset(c.name);
    ASSERT_TRUE(repbin::ops::IsNamedIeee(f));
    const repbin::ops::FloatCard card = repbin::ops::BuildFloatCard(f);
    EXPECT_TRUE(card.ieee);
    EXPECT_EQ(card.largest.exact, c.largest);
    EXPECT_EQ(card.smallest_normal.exact, c.smallest_normal);
    EXPECT_EQ(card.smallest_positive.exact, c.smallest_subnormal);
    ASSERT_TRUE(card.smallest_subnormal);
    EXPECT_EQ(card.smallest_subnormal->exact, c.smallest_subnormal);
    EXPECT_EQ(card.epsilon.exact, c.epsilon);
    // The patterns read back, by IEEE 754, as the values they stand for.
    for (const repbin::ops::CardValue* v :
         {&card.largest, &card.smallest_normal, &card.smallest_positive}) {
      const repbin::InterpretationReport r = repbin::ReportInterpretation(f, v->bits.c_str());
      ASSERT_TRUE(r.ieee);
      EXPECT_EQ(r.ieee->value, v->exact) << v->bits;
    }
  }
  // The scientific notation of the usual examples.
  const repbin::ops::FloatCard single = repbin::ops::BuildFloatCard(*FindPreset("ieee32"));
  EXPECT_EQ(single.smallest_normal.scientific, "1.175494e-38");
  EXPECT_EQ(single.largest.scientific, "3.402823e+38");
  EXPECT_EQ(single.precision, 24);
  EXPECT_EQ(single.count, "4278190079");  // 2^32 less 2^24 - 2 NaNs, 2 infinities and -0
}

// Scientific notation from an exact decimal against glibc's printf of the same double, which
// rounds the exact binary value to nearest, ties to even: ties, carries into a new digit, tiny
// and huge values, at the digits of every format.
TEST(FormatCardTest, ScientificNotationAgreesWithPrintf) {
  std::mt19937_64 r(20261212U);
  std::vector<double> values = {0.125,
                                0.375,
                                2.5,
                                9.995,
                                99.95,
                                448,
                                57344,
                                65504,
                                1e-300,
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::max(),
                                -0.2998046875,
                                1.0 / 3};
  for (int i = 0; i < 300; ++i) {
    values.push_back(std::bit_cast<double>(r() >> 1));  // any positive finite double or NaN
  }
  for (const double v : values) {
    if (!std::isfinite(v) || v == 0) continue;
    for (const int digits : {3, 7, 15, 17}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%.*e", digits - 1, v);
      EXPECT_EQ(repbin::DecimalScientific(ExactOf(v), digits), expected) << ExactOf(v);
    }
  }
  EXPECT_EQ(repbin::DecimalScientific("0", 7), "0");
  EXPECT_EQ(repbin::DecimalScientific("-0", 7), "0");
}

// Every value a format holds: the readings of all its patterns (IEEE 754 for a named format, the
// program's otherwise), infinities and NaN left out.
std::set<Rational> AllValues(const FloatFormat& f, bool ieee) {
  std::set<Rational> values;
  for (std::uint64_t p = 0; p < (std::uint64_t{1} << f.nb); ++p) {
    const repbin::InterpretationReport r = repbin::ReportInterpretation(f, Bits(p, f.nb).c_str());
    const repbin::ExactDecimal& v = ieee ? r.ieee->value : r.value;
    if (!v || *v == "nan" || *v == "inf" || *v == "-inf") continue;
    values.insert(FromDecimal(*v));
  }
  return values;
}

// A neighbour's pattern reads back as its value, and that value is the one the test expects.
void ExpectNeighbour(const FloatFormat& f, bool ieee,
                     const std::optional<repbin::ops::CardValue>& got,
                     const std::optional<Rational>& expected, const char* which) {
  SCOPED_TRACE(which);
  ASSERT_EQ(got.has_value(), expected.has_value());
  if (!got) return;
  ASSERT_TRUE(got->exact);
  EXPECT_EQ(FromDecimal(*got->exact), *expected);
  const repbin::InterpretationReport r = repbin::ReportInterpretation(f, got->bits.c_str());
  EXPECT_EQ(FromDecimal(*(ieee ? r.ieee->value : r.value)), *expected) << got->bits;
}

// The neighbours of X, the choices of truncation and rounding, against the sorted set of every
// value the format's patterns read as: no pattern lies between the two neighbours.
void CheckNeighbours(const FloatFormat& f, bool ieee, const std::set<Rational>& values,
                     const Rational& x) {
  SCOPED_TRACE(testing::Message() << "X = " << x);
  const repbin::ops::Neighbours n =
      repbin::ops::FindNeighbours(f, {mp::numerator(x).str(), mp::denominator(x).str()});
  const auto above = values.upper_bound(x);
  const auto at_or_above = values.lower_bound(x);
  std::optional<Rational> previous;
  std::optional<Rational> next;
  if (at_or_above != values.begin()) previous = *std::prev(at_or_above);
  if (above != values.end()) next = *above;
  const bool exact = at_or_above != values.end() && *at_or_above == x;
  EXPECT_EQ(n.exact, exact);
  ExpectNeighbour(f, ieee, n.previous, previous, "previous");
  ExpectNeighbour(f, ieee, n.next, next, "next");
  if (exact) {
    ASSERT_TRUE(n.at);
    EXPECT_EQ(FromDecimal(*n.at->exact), x);
    return;
  }
  // Truncation keeps the neighbour toward zero, but never crosses it (a format without zero
  // keeps X's sign, and reads zero as the smallest positive value); beyond the ends, the end.
  const std::optional<Rational> toward = x >= 0 ? (previous && *previous >= 0 ? previous : next)
                                                : (next && *next <= 0 ? next : previous);
  ExpectNeighbour(f, ieee, n.truncated, toward, "truncated");
  if (previous && next && n.nearest) {
    const Rational chosen = FromDecimal(*n.nearest->exact);
    const Rational d_prev = x - *previous;
    const Rational d_next = *next - x;
    if (d_prev != d_next) {
      EXPECT_EQ(chosen, d_prev < d_next ? *previous : *next);
    } else {
      EXPECT_TRUE(chosen == *previous || chosen == *next);
    }
  }
}

// The probes of a value set: each value, the midpoints and quarter points between neighbours,
// beyond both ends, and a few random rationals.
std::vector<Rational> Probes(const std::set<Rational>& values, std::mt19937& r) {
  std::vector<Rational> probes;
  std::vector<Rational> sorted(values.begin(), values.end());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    probes.push_back(sorted[i]);
    if (i + 1 < sorted.size()) {
      probes.push_back((sorted[i] + sorted[i + 1]) / 2);
      probes.push_back((3 * sorted[i] + sorted[i + 1]) / 4);
    }
  }
  probes.push_back(sorted.back() * 2 + 1);
  probes.push_back(sorted.front() * 2 - 1);
  for (int i = 0; i < 50; ++i) {
    const int a = std::uniform_int_distribution<int>(-100000, 100000)(r);
    probes.push_back(Rational(a, std::uniform_int_distribution<int>(1, 4096)(r)));
  }
  return probes;
}

// The small named formats, every pattern: the card's ends and count, and the neighbours.
TEST(FormatCardTest, EightBitFormatsExhaustively) {
  std::mt19937 r(20261208U);
  for (const char* name : {"fp8-e4m3", "fp8-e5m2"}) {
    SCOPED_TRACE(name);
    const FloatFormat f = *FindPreset(name);
    const std::set<Rational> values = AllValues(f, true);
    const repbin::ops::FloatCard card = repbin::ops::BuildFloatCard(f);
    EXPECT_EQ(FromDecimal(*card.largest.exact), *values.rbegin());
    EXPECT_EQ(card.count, std::to_string(values.size()));
    for (const Rational& x : Probes(values, r)) {
      CheckNeighbours(f, true, values, x);
      if (HasFailure()) return;
    }
  }
}

// Random custom layouts up to 12 bits, read by the program's own reading: the largest and
// smallest positive values, the count, and the neighbours of every value and between values.
TEST(FormatCardTest, CustomLayoutsExhaustively) {
  std::mt19937 r(20261209U);
  const auto draw = [&r](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(r);
  };
  int checked = 0;
  for (int n = 0; n < 200 && checked < 40 / repbin::test::kSlowdown; ++n) {
    FloatFormat f = *FindPreset("ieee32");
    f.nbexp = draw(2, 5);
    const int nbman = draw(1, 6);
    f.nb = 1 + f.nbexp + nbman;
    f.TypeExp = draw(0, 3);
    f.TypeMan = draw(0, 2);
    f.typenorma = draw(0, 2);
    f.zEZ = (1 << (f.nbexp - 1)) + draw(-1, 0);
    int order[] = {0, 1, 2};
    int start = 0;
    std::shuffle(std::begin(order), std::end(order), r);
    for (const int field : order) {
      (field == 0 ? f.possigno : field == 1 ? f.posexp : f.posmantisa) = start;
      start += field == 0 ? 1 : field == 1 ? f.nbexp : nbman;
    }
    if (repbin::ops::CheckFloatFormat(f) || repbin::ops::IsNamedIeee(f)) continue;
    SCOPED_TRACE(testing::Message()
                 << f.nb << " bits, exponent " << f.nbexp << " at " << f.posexp << " system "
                 << f.TypeExp << " excess " << f.zEZ << ", sign at " << f.possigno
                 << ", mantissa at " << f.posmantisa << " system " << f.TypeMan << " form "
                 << f.typenorma);
    std::set<Rational> values = AllValues(f, false);
    const repbin::ops::FloatCard card = repbin::ops::BuildFloatCard(f);
    EXPECT_FALSE(card.ieee);
    // A two's-complement mantissa 1.00...0 at the highest exponent reads as -2^top, one step
    // past -largest, a value no encoder writes; the card keeps the symmetric range.
    if (f.TypeMan == 2 && *values.begin() < -FromDecimal(*card.largest.exact)) {
      values.erase(values.begin());
    }
    EXPECT_EQ(FromDecimal(*card.largest.exact), *values.rbegin());
    const auto positive = values.upper_bound(Rational(0));
    ASSERT_NE(positive, values.end());
    EXPECT_EQ(FromDecimal(*card.smallest_positive.exact), *positive);
    EXPECT_EQ(card.has_zero, values.contains(Rational(0)));
    EXPECT_EQ(card.count, std::to_string(values.size()));
    for (const Rational& x : Probes(values, r)) {
      CheckNeighbours(f, false, values, x);
      if (HasFailure()) return;
    }
    ++checked;
  }
  EXPECT_GE(checked, 40 / repbin::test::kSlowdown);
}

// The integer cards against every pattern of widths up to 12 read by interpretar: the range, its
// end patterns, how many distinct values and which patterns are zero, with and without fraction
// bits.
TEST(FormatCardTest, IntegerCardsAgainstEveryPattern) {
  for (const System system :
       {System::kNatural, System::kSignMagnitude, System::kOnes, System::kTwos, System::kExcess}) {
    for (int width = 2; width <= 12; ++width) {
      const int excess = (1 << (width - 1)) - 1;
      const repbin::ops::IntegerFormat format{system, width, excess};
      std::set<Big> values;
      std::vector<std::string> zeros;
      std::map<Big, std::string> pattern_of;
      for (std::uint64_t p = 0; p < (std::uint64_t{1} << width); ++p) {
        const std::string bits = Bits(p, width);
        const Big v(repbin::ops::InterpretInteger(format, bits, {}, NoTrace()).valor);
        values.insert(v);
        pattern_of.emplace(v, bits);
        if (v == 0) zeros.push_back(bits);
      }
      for (const int fraction : {0, width / 2, width - 1}) {
        if (system == System::kExcess && fraction > 0) continue;
        SCOPED_TRACE(testing::Message() << repbin::ops::SystemName(system) << " " << width
                                        << " bits, " << fraction << " fraction bits");
        const repbin::ops::IntegerCard card = repbin::ops::BuildIntegerCard(format, fraction);
        const Rational step(Big(1), Big(1) << fraction);
        EXPECT_EQ(FromDecimal(card.min), Rational(*values.begin()) * step);
        EXPECT_EQ(FromDecimal(card.max), Rational(*values.rbegin()) * step);
        EXPECT_EQ(card.min_bits, pattern_of[*values.begin()]);
        EXPECT_EQ(card.max_bits, pattern_of[*values.rbegin()]);
        EXPECT_EQ(card.count, std::to_string(values.size()));
        std::vector<std::string> card_zeros = card.zeros;
        std::sort(card_zeros.begin(), card_zeros.end());
        EXPECT_EQ(card_zeros, zeros);
        EXPECT_EQ(FromDecimal(card.step), step);
      }
    }
  }
}

// A pattern's integer reading in each system, worked out by the test.
Big ReadInteger(System system, std::uint64_t pattern, int width) {
  const Big all = Big(1) << width;
  const bool top = (pattern >> (width - 1) & 1) != 0;
  const Big magnitude = Big(pattern & ((std::uint64_t{1} << (width - 1)) - 1));
  switch (system) {
    case System::kNatural: return Big(pattern);
    case System::kSignMagnitude: return top ? Big(-magnitude) : magnitude;
    case System::kOnes: return top ? Big(Big(pattern) - all + 1) : Big(pattern);
    case System::kTwos: return top ? Big(Big(pattern) - all) : Big(pattern);
    default: return 0;
  }
}

// Fixed point at every width up to 16 and every fraction: boundary and random patterns read as
// their integer over 2^F, and each such value written back gives the same pattern (but for the
// second zero of sign-magnitude and one's complement); a value between two steps is truncated
// toward zero.
TEST(FixedPointTest, AgainstExactRationals) {
  std::mt19937 r(20261210U);
  for (const System system :
       {System::kNatural, System::kSignMagnitude, System::kOnes, System::kTwos}) {
    for (int width = 2; width <= 16; ++width) {
      for (int fraction = 0; fraction < width; ++fraction) {
        SCOPED_TRACE(testing::Message() << repbin::ops::SystemName(system) << " " << width
                                        << " bits, " << fraction << " fraction bits");
        const repbin::ops::IntegerFormat format{system, width, 0};
        const std::uint64_t last = (std::uint64_t{1} << width) - 1;
        std::vector<std::uint64_t> patterns = {0, 1, last, last - 1, last >> 1, (last >> 1) + 1};
        for (int i = 0; i < 6; ++i) patterns.push_back(r() & last);
        const Rational step(Big(1), Big(1) << fraction);
        for (const std::uint64_t p : patterns) {
          const std::string bits = Bits(p, width);
          const Rational value = Rational(ReadInteger(system, p, width)) * step;
          const std::string read =
              repbin::ops::InterpretFixed(format, fraction, bits, {}, NoTrace());
          EXPECT_EQ(FromDecimal(read), value) << bits;
          const bool second_zero = value == 0 && p != 0;
          // Written back, and a third of a step further from zero, which truncation drops.
          const Rational further = value + Rational(value < 0 ? -step : step) / 3;
          for (const Rational& x : {value, further}) {
            const repbin::ops::FixedRepresentation w = repbin::ops::RepresentFixed(
                format, fraction, {mp::numerator(x).str(), mp::denominator(x).str()}, "x", {},
                NoTrace());
            EXPECT_TRUE(w.en_rango) << x;
            EXPECT_EQ(w.truncated, x != value) << x;
            if (!second_zero) {
              EXPECT_EQ(w.cadena, bits) << x;
            }
            EXPECT_EQ(FromDecimal(w.valor), value) << x;
          }
        }
        // One step past either end is out of range.
        const Rational above = Rational(ReadInteger(system, last >> 1, width)) * step + step;
        const Rational top = system == System::kNatural ? Rational(Big(last)) * step + step : above;
        const repbin::ops::FixedRepresentation beyond = repbin::ops::RepresentFixed(
            format, fraction, {mp::numerator(top).str(), mp::denominator(top).str()}, "x", {},
            NoTrace());
        EXPECT_FALSE(beyond.en_rango) << top;
      }
    }
  }
}

// The issue's own examples, through the command line, with their exit statuses and JSON.
TEST(FixedPointTest, CommandLine) {
  struct Case {
    const char* why;
    std::vector<std::string> args;
    std::string key, expected;
    int status = 0;
  };
  const std::vector<Case> cases = {
      {"9.75 x 2^3 = 78",
       {"representar", "c2", "-b", "8", "--fraccion", "3", "9.75"},
       "cadena",
       "01001110"},
      {"0x8F is -113 / 8", {"interpretar", "c2", "--fraccion", "3", "0x8F"}, "valor", "-14.125"},
      {"truncated toward zero",
       {"representar", "c2", "-b", "8", "--fraccion", "3", "-9.8"},
       "cadena",
       "10110010"},
      {"sign-magnitude",
       {"representar", "sm", "-b", "6", "--fraccion", "2", "-3.25"},
       "cadena",
       "101101"},
      {"beyond the range",
       {"representar", "c2", "-b", "8", "--fraccion", "3", "16"},
       "cadena",
       "null",
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<std::string> args = c.args;
    args.emplace_back("--json");
    const repbin::Transcript t = repbin::RunProgramOnText(args, "");
    EXPECT_EQ(t.status, c.status) << t.err;
    const nlohmann::json j = nlohmann::json::parse(t.out);
    EXPECT_EQ(j[c.key].is_string() ? j[c.key].get<std::string>() : j[c.key].dump(), c.expected);
  }
  // Refusals: a status of 2 and a message saying what is accepted.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"representar", "c2", "-b", "8", "--fraccion", "8", "1"},
        {"representar", "exceso", "--fraccion", "2", "1"},
        {"interpretar", "c2", "--fraccion", "4", "0101"},
        {"representar", "c2", "--fraccion", "3", "1e3"}}) {
    const repbin::Transcript t = repbin::RunProgramOnText(args, "");
    EXPECT_EQ(t.status, 2) << args.back();
    EXPECT_TRUE(t.err.starts_with("repbin: ")) << t.err;
  }
}

// The test's own IEEE 754 reading of a pattern of a small format (the machine's for float and
// double): exact in a double.
double DecodeIeee(const FloatFormat& f, bool only_nan, std::uint64_t p) {
  if (f.nb == 32) return std::bit_cast<float>(static_cast<std::uint32_t>(p));
  if (f.nb == 64) return std::bit_cast<double>(p);
  const int nbman = f.nb - 1 - f.nbexp;
  const std::uint64_t man = p & ((std::uint64_t{1} << nbman) - 1);
  const std::uint64_t e = p >> nbman & ((std::uint64_t{1} << f.nbexp) - 1);
  const std::uint64_t top = (std::uint64_t{1} << f.nbexp) - 1;
  const int bias = (1 << (f.nbexp - 1)) - 1;
  const double sign = (p >> (f.nb - 1)) != 0 ? -1.0 : 1.0;
  if (e == top && (!only_nan || man == (std::uint64_t{1} << nbman) - 1)) {
    if (man != 0) return std::numeric_limits<double>::quiet_NaN();
    return sign * std::numeric_limits<double>::infinity();
  }
  if (e == 0) return sign * std::ldexp(static_cast<double>(man), 1 - bias - nbman);
  return sign * std::ldexp(static_cast<double>(man | std::uint64_t{1} << nbman),
                           static_cast<int>(e) - bias - nbman);
}

// Round to nearest, ties to even, of a double into a small format by search over all its
// patterns; nothing when it overflows (half a step or more past the largest value).
std::optional<std::uint64_t> RoundSmall(const FloatFormat& f, bool only_nan, double x) {
  std::optional<std::uint64_t> best;
  double best_distance = 0;
  double largest = 0;
  double below_largest = 0;
  for (std::uint64_t p = 0; p < (std::uint64_t{1} << f.nb); ++p) {
    const double v = DecodeIeee(f, only_nan, p);
    if (std::isnan(v) || std::isinf(v)) continue;
    if (v > largest) below_largest = largest, largest = v;
    if (std::signbit(v) != std::signbit(x)) continue;
    const double d = std::fabs(v - x);  // exact: both are short binary fractions
    if (!best || d < best_distance || (d == best_distance && (p & 1) == 0)) {
      best = p;
      best_distance = d;
    }
  }
  if (std::fabs(x) - largest >= (largest - below_largest) / 2) return std::nullopt;
  return best;
}

// convertir between every pair of named formats: boundary and random patterns of the source,
// their value rounded to nearest in the target by the machine (float and double) or by search
// over the target's patterns (the smaller formats).
TEST(ConvertTest, BetweenEveryPairOfNamedFormats) {
  std::mt19937_64 r(20261211U);
  for (const char* from_name : repbin::kPresetNames) {
    for (const char* to_name : repbin::kPresetNames) {
      SCOPED_TRACE(testing::Message() << from_name << " -> " << to_name);
      const FloatFormat from = *FindPreset(from_name);
      const FloatFormat to = *FindPreset(to_name);
      const bool from_only_nan = from.specials == repbin::kOnlyNan;
      const bool to_only_nan = to.specials == repbin::kOnlyNan;
      const int nbman = from.nb - 1 - from.nbexp;
      const std::uint64_t all =
          from.nb == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << from.nb) - 1;
      std::vector<std::uint64_t> patterns = {0, std::uint64_t{1} << (from.nb - 1), 1, all >> 1};
      // Random exponents around the target's range, so that values fall inside it and near its
      // ends, with random signs and mantissas.
      const int from_bias = (1 << (from.nbexp - 1)) - 1;
      const int to_bias = (1 << (to.nbexp - 1)) - 1;
      const int to_nbman = to.nb - 1 - to.nbexp;
      for (int i = 0; i < 60; ++i) {
        const int lowest = std::max(0, from_bias - to_bias - to_nbman - 2);
        const int highest = std::min((1 << from.nbexp) - 1, from_bias + to_bias + 2);
        const auto e =
            static_cast<std::uint64_t>(std::uniform_int_distribution<int>(lowest, highest)(r));
        const std::uint64_t man = r() & ((std::uint64_t{1} << nbman) - 1);
        const std::uint64_t sign = r() & 1;
        patterns.push_back(sign << (from.nb - 1) | e << nbman | man);
      }
      for (const std::uint64_t p : patterns) {
        const double x = DecodeIeee(from, from_only_nan, p);
        const std::string bits = Bits(p, from.nb);
        const repbin::Transcript t = repbin::RunProgramOnText(
            {"convertir", bits, "--de", from_name, "--a", to_name, "--json"}, "");
        SCOPED_TRACE(bits + "\n" + t.out + t.err);
        ASSERT_NE(t.status, 2);
        const nlohmann::json j = nlohmann::json::parse(t.out);
        std::optional<std::uint64_t> expected;
        if (to.nb == 64) expected = std::bit_cast<std::uint64_t>(x);
        if (to.nb == 32) expected = std::bit_cast<std::uint32_t>(static_cast<float>(x));
        if (to.nb < 32 && !std::isnan(x) && !std::isinf(x)) {
          expected = RoundSmall(to, to_only_nan, x);
        }
        const bool overflow =
            std::isfinite(x) && (!expected || std::isinf(DecodeIeee(to, to_only_nan, *expected)));
        if (std::isnan(x)) {
          ASSERT_EQ(t.status, 0);
          EXPECT_TRUE(std::isnan(
              DecodeIeee(to, to_only_nan, std::stoull(j["hex"].get<std::string>(), nullptr, 16))));
        } else if (overflow || (std::isinf(x) && to_only_nan)) {
          EXPECT_EQ(t.status, 1);
          EXPECT_EQ(j["fuera_de_rango"], true);
        } else if (std::isinf(x)) {
          EXPECT_EQ(t.status, 0);
          EXPECT_TRUE(std::isinf(
              DecodeIeee(to, to_only_nan, std::stoull(j["hex"].get<std::string>(), nullptr, 16))));
        } else {
          ASSERT_EQ(t.status, 0);
          EXPECT_EQ(j["cadena"], Bits(*expected, to.nb));
          EXPECT_EQ(j["exacto"], DecodeIeee(to, to_only_nan, *expected) == x);
        }
        if (HasFailure()) return;
      }
    }
  }
}

// Refused command lines: status 2 and one line on standard error that says what is accepted.
TEST(ConvertTest, RefusalsSayWhatIsAccepted) {
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{"formato", "-b", "0"}, "-b espera un número de bits entre 1 y 64"},
      {{"formato", "--valor", "abc"}, "escriba un número decimal"},
      {{"formato", "c2", "--valor", "3"}, "solo vale para flotante"},
      {{"formato", "-b", "2"}, "hacen falta al menos 3"},
      {{"formato", "exceso", "--fraccion", "2"}, "vale para natural, sm, c1 y c2"},
      {{"formato", "c2", "-b", "8", "--fraccion", "8"}, "escriba entre 0 y 7"},
      {{"formato", "foo"}, "escriba natural, c1, c2, exceso, sm o flotante"},
      {{"formato", "-f", "ieee128"}, "fp8-e4m3, fp8-e5m2"},
      {{"convertir", "0101", "--de", "ieee32", "--a", "ieee64"}, "tiene 4 bits"},
      {{"convertir", "0x3C00", "--de", "ieee16"}, "falta --a FORMATO"},
      {{"convertir", "0x3C00", "--de", "ieee16", "--a", "ieee32", "--redondeo", "arriba"},
       "--redondeo espera truncar o cercano"},
      {{"convertir", "0x3C00", "--de", "ieee16", "--a", "bits=16,color=2"}, "los nombres son"},
      {{"convertir"}, "falta la CADENA"},
  };
  for (const Case& c : cases) {
    const repbin::Transcript t = repbin::RunProgramOnText(c.args, "", repbin::out::Encoding::kUtf8);
    SCOPED_TRACE(c.args.back());
    EXPECT_EQ(t.status, 2);
    EXPECT_TRUE(t.out.empty()) << t.out;
    EXPECT_NE(t.err.find(c.says), std::string::npos) << t.err;
    EXPECT_EQ(std::count(t.err.begin(), t.err.end(), '\n'), 1) << t.err;
  }
}

// The example and the layout in one word, which names any layout in one argument.
// The neighbours in `formato --json` (what the page's ← → buttons step to): the machine's
// nextafter gives them, and their scientific notation is printf's with single precision's digits.
TEST(FormatCardTest, JsonNeighboursAgreeWithNextafter) {
  for (const float x : {1.0F, -2.5F, 0.1F, 3e-39F, 1.17549435e-38F, 3.0e38F}) {
    char value[64];
    std::snprintf(value, sizeof value, "%.9g", static_cast<double>(x));
    const repbin::Transcript t = repbin::RunProgramOnText(
        {"formato", "-f", "ieee32", "--valor", ExactOf(static_cast<double>(x)), "--json"}, "");
    ASSERT_EQ(t.status, 0) << value;
    const nlohmann::json j = nlohmann::json::parse(t.out);
    EXPECT_TRUE(j["exacto"].get<bool>()) << value;
    const struct {
      const char* key;
      float expected;
    } sides[] = {{"anterior", std::nextafter(x, -INFINITY)},
                 {"siguiente", std::nextafter(x, INFINITY)}};
    for (const auto& side : sides) {
      const nlohmann::json& n = j["vecinos"][side.key];
      char scientific[64];
      std::snprintf(scientific, sizeof scientific, "%.6e", static_cast<double>(side.expected));
      EXPECT_EQ(n["cadena"], Bits(std::bit_cast<std::uint32_t>(side.expected), 32)) << value;
      EXPECT_EQ(FromDecimal(n["valor_exacto"]),
                FromDecimal(ExactOf(static_cast<double>(side.expected))))
          << value;
      EXPECT_EQ(n["cientifico"], scientific) << value << " " << side.key;
    }
  }
}

TEST(ConvertTest, ExamplesAndLayoutWords) {
  const repbin::Transcript t = repbin::RunProgramOnText(
      {"convertir", "0x4048F600", "--de", "ieee32", "--a", "ieee64", "--json"}, "");
  ASSERT_EQ(t.status, 0) << t.err;
  EXPECT_EQ(nlohmann::json::parse(t.out)["hex"], "0x40091EC000000000");

  // A word equal to a preset's layout builds the preset; each name of the word is an option.
  struct Case {
    std::string word;
    std::optional<FloatFormat> expected;  // nothing: refused
  };
  FloatFormat half_0m = *FindPreset("ieee16");
  half_0m.typenorma = 0;
  const std::vector<Case> cases = {
      {"bits=16,exp=5,pos-exp=1,pos-man=6,pos-signo=0,sis-exp=exceso,z=15,sis-man=sm,norma=1M",
       FindPreset("ieee16")},
      {"bits=16,exp=5", FindPreset("ieee16")},
      {"bits=16,exp=5,norma=0M", half_0m},
      {"bits=16,exp=5,colour=3", std::nullopt},
      {"bits=16,,exp=5", std::nullopt},
      {"bits=2,exp=1", std::nullopt},
      {"bits=16,exp=cinco", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    repbin::ops::LayoutOptions layout;
    const std::optional<std::string> refused = repbin::ops::ApplyLayoutOption(layout, "-f", c.word);
    ASSERT_EQ(refused.has_value(), !c.expected.has_value());
    if (c.expected) {
      EXPECT_EQ(repbin::ops::BuildLayout(layout), *c.expected);
    }
  }
}

}  // namespace
