// Floating-point addition, subtraction and multiplication step by step: the results checked
// against the machine's own float and double arithmetic, against exact rationals rounded by a
// search over the format's values, and against truncation in random custom layouts.
#include <gtest/gtest.h>

#include <bit>
#include <boost/multiprecision/cpp_int.hpp>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "exact_text.h"
#include "operations/float_arithmetic.h"
#include "operations/layout.h"
#include "operations/layout_options.h"
#include "program/program.h"
#include "real/format.h"
#include "real/report.h"
#include "support.h"

namespace {

using repbin::test::kSlowdown;

namespace mp = boost::multiprecision;
using Rational = mp::cpp_rational;
using repbin::FloatFormat;
using repbin::ops::FloatOperator;
using repbin::ops::OperateFloat;
using repbin::ops::Rounding;

constexpr FloatOperator kOperators[] = {FloatOperator::kAdd, FloatOperator::kSubtract,
                                        FloatOperator::kMultiply};

std::string Hex(std::uint64_t pattern, int bits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", bits / 4, static_cast<unsigned long long>(pattern));
  return text;
}

std::string Bits(std::uint64_t pattern, int bits) {
  std::string text;
  for (int i = bits - 1; i >= 0; --i) text.push_back((pattern >> i) & 1 ? '1' : '0');
  return text;
}

using repbin::test::Exact;

// 2^k, exactly.
Rational Power2(long k) {
  const mp::cpp_int power = mp::pow(mp::cpp_int(2), static_cast<unsigned>(k < 0 ? -k : k));
  return k >= 0 ? Rational(power) : Rational(1, power);
}

Rational Apply(FloatOperator op, const Rational& a, const Rational& b) {
  if (op == FloatOperator::kAdd) return a + b;
  if (op == FloatOperator::kSubtract) return a - b;
  return a * b;
}

// --- Against the machine ------------------------------------------------------------------------

template <class Float, class Word>
struct MachineCheck {
  explicit MachineCheck(const FloatFormat& f) : format(f) {}
  FloatFormat format;
  int failures = 0;
  std::string first;

  void Check(Word a, Word b, FloatOperator op) {
    const volatile Float x = std::bit_cast<Float>(a);
    const volatile Float y = std::bit_cast<Float>(b);
    const Float z = op == FloatOperator::kAdd        ? x + y
                    : op == FloatOperator::kSubtract ? x - y
                                                     : x * y;
    const int width = static_cast<int>(sizeof(Word) * 8);
    const auto result = OperateFloat(format, Hex(a, width), op, Hex(b, width), Rounding::kNearest);
    int kind = std::fpclassify(z);
    // A product of nonzero values that the machine flushes to zero has underflowed.
    if (kind == FP_ZERO && op == FloatOperator::kMultiply && x != 0 && y != 0) kind = FP_SUBNORMAL;
    const bool fine = kind == FP_NORMAL || kind == FP_ZERO
                          ? result.cadena == Bits(std::bit_cast<Word>(z), width)
                          : result.desbordamiento && result.cadena.empty();
    if (fine && result.fault.empty()) return;
    if (failures++ == 0) {
      first = Hex(a, width) + " " + repbin::ops::OperatorName(op) + " " + Hex(b, width) +
              ": expected " + Hex(std::bit_cast<Word>(z), width) + ", got " + result.hex + " " +
              result.fault;
    }
  }
};

// A normal pattern: random sign and mantissa, the exponent field in [low, high].
template <class Word>
Word RandomNormal(std::mt19937_64& random, int mantissa_bits, int low, int high) {
  std::uniform_int_distribution<int> exponent(low, high);
  const Word mantissa = static_cast<Word>(random()) & ((Word{1} << mantissa_bits) - 1);
  const Word sign = static_cast<Word>(random() & 1) << (sizeof(Word) * 8 - 1);
  return sign | (static_cast<Word>(exponent(random)) << mantissa_bits) | mantissa;
}

// Random pairs: half with exponents a few units apart (alignment, cancellation), the rest
// anywhere in the normal range (far apart, overflow and underflow of products).
template <class Float, class Word>
void RandomPairs(MachineCheck<Float, Word>& check, int mantissa_bits, int max_field, int pairs) {
  pairs /= kSlowdown;
  std::mt19937_64 random(20261207);
  const int middle = max_field / 2;
  for (int i = 0; i < pairs; ++i) {
    const bool near = i % 2 == 0;
    const Word a = near ? RandomNormal<Word>(random, mantissa_bits, middle - 4, middle + 4)
                        : RandomNormal<Word>(random, mantissa_bits, 1, max_field);
    const int e = static_cast<int>(a >> mantissa_bits) & max_field;
    const int spread = mantissa_bits + 4;
    Word b = near ? RandomNormal<Word>(random, mantissa_bits, std::max(1, e - spread),
                                       std::min(max_field, e + spread))
                  : RandomNormal<Word>(random, mantissa_bits, 1, max_field);
    if (i % 10 == 1) b = static_cast<Word>(b ^ (Word{1} << (sizeof(Word) * 8 - 1)));
    for (const FloatOperator op : kOperators) check.Check(a, b, op);
  }
}

TEST(FloatArithmeticTest, SinglePrecisionAgreesWithTheMachine) {
  MachineCheck<float, std::uint32_t> check(*repbin::FindPreset("ieee32"));
  RandomPairs(check, 23, 254, 100000);
  EXPECT_EQ(check.failures, 0) << check.first;
}

TEST(FloatArithmeticTest, DoublePrecisionAgreesWithTheMachine) {
  MachineCheck<double, std::uint64_t> check(*repbin::FindPreset("ieee64"));
  RandomPairs(check, 52, 2046, 100000);
  EXPECT_EQ(check.failures, 0) << check.first;
}

// The classic cases: equal exponents, exponent differences of 0, 1, p, p+1 and p+2 with ties
// and sticky bits, cancellation to a single bit, results at the largest and smallest normal,
// overflow and underflow, zeros.
TEST(FloatArithmeticTest, BoundaryCasesAgreeWithTheMachine) {
  MachineCheck<float, std::uint32_t> check(*repbin::FindPreset("ieee32"));
  const auto f = [](float v) { return std::bit_cast<std::uint32_t>(v); };
  const float one = 1.0f;
  const float cases[][2] = {
      {1.5f, 1.5f},
      {1.75f, 1.25f},
      {1.0f, 0.5f},
      {1.0f, 0.75f},
      {one, std::ldexp(1.0f, -23)},
      {one, std::ldexp(1.0f, -24)},                          // a tie, kept even
      {one + std::ldexp(1.0f, -23), std::ldexp(1.0f, -24)},  // a tie, rounded to even
      {one, std::ldexp(1.0f, -24) + std::ldexp(1.0f, -47)},  // just above the tie: sticky
      {one, std::ldexp(1.0f, -25)},
      {one, std::ldexp(1.0f, -26)},
      {one, std::ldexp(1.5f, -25)},
      {one, -std::ldexp(1.0f, -25)},
      {one, -std::ldexp(1.5f, -26)},
      {one, -std::ldexp(1.0f, -24) - std::ldexp(1.0f, -47)},
      {one + std::ldexp(1.0f, -23), -one},  // cancellation to a single bit
      {std::ldexp(1.0f, 100), -std::ldexp(1.0f, 100) + std::ldexp(1.0f, 77)},
      {FLT_MAX, FLT_MAX},
      {FLT_MAX, -FLT_MAX},
      {FLT_MAX, std::ldexp(1.0f, 103)},  // half an ulp: overflows under ties to even
      {FLT_MAX, std::ldexp(1.0f, 102)},
      {std::ldexp(1.0f, 64), std::ldexp(1.9999999f, 63)},
      {FLT_MIN, FLT_MIN},
      {FLT_MIN * 2, -FLT_MIN},
      {FLT_MIN * 1.5f, -FLT_MIN},  // subnormal
      {FLT_MIN, 0.5f},
      {FLT_MIN, 1.0f},
      {std::ldexp(1.0f, -63), std::ldexp(1.0f, -63)},
      {0.0f, 0.0f},
      {-0.0f, -0.0f},
      {0.0f, -3.5f},
      {-0.0f, 2.0f},
      {3.0f, 3.0f},
      {0.1f, 0.2f},
  };
  for (const auto& [a, b] : cases) {
    for (const FloatOperator op : kOperators) {
      check.Check(f(a), f(b), op);
      check.Check(f(b), f(a), op);
    }
  }
  EXPECT_EQ(check.failures, 0) << check.first;
}

// --- Against exact rationals --------------------------------------------------------------------

// An IEEE-shaped 16-bit format's positive normal values, in pattern order (which is value
// order), with the pattern nearest an exact value found by bisection.
struct NormalTable {
  int exp_bits;
  int man_bits;
  std::vector<Rational> values;  // index i: pattern min_pattern + i
  std::uint32_t min_pattern;

  NormalTable(int exp, int man) : exp_bits(exp), man_bits(man) {
    min_pattern = 1u << man;
    const std::uint32_t max_pattern = ((1u << exp) - 1) << man;  // the all-ones exponent
    const int bias = (1 << (exp - 1)) - 1;
    for (std::uint32_t p = min_pattern; p < max_pattern; ++p) {
      const int e = static_cast<int>(p >> man) - bias;
      values.push_back(Rational((1u << man) | (p & ((1u << man) - 1))) * Power2(e - man));
    }
  }
  Rational Value(std::uint32_t pattern) const {
    const Rational v = values[(pattern & 0x7FFF) - min_pattern];
    return pattern & 0x8000 ? -v : v;
  }
  // Round to nearest, ties to even pattern; nothing when the result is not a normal number
  // (or lies where an unbounded exponent and a subnormal would round differently).
  std::optional<std::uint32_t> Nearest(const Rational& exact) const {
    const std::uint32_t sign = exact < 0 ? 0x8000 : 0;
    const Rational m = exact < 0 ? Rational(-exact) : exact;
    if (m < values.front() || m > values.back()) return std::nullopt;
    const auto above = std::lower_bound(values.begin(), values.end(), m);
    std::size_t i = static_cast<std::size_t>(above - values.begin());
    if (*above != m) {
      const Rational low = values[i - 1], high = *above;
      const Rational below_gap = m - low, above_gap = high - m;
      if (below_gap < above_gap || (below_gap == above_gap && ((min_pattern + i - 1) % 2 == 0))) {
        --i;
      }
    }
    return sign | (min_pattern + static_cast<std::uint32_t>(i));
  }
};

TEST(FloatArithmeticTest, HalfAndBrainFloatAgreeWithExactRationals) {
  struct Case {
    const char* preset;
    int exp, man;
  };
  for (const Case& c : {Case{"ieee16", 5, 10}, Case{"bfloat16", 8, 7}}) {
    SCOPED_TRACE(c.preset);
    const NormalTable table(c.exp, c.man);
    const FloatFormat format = *repbin::FindPreset(c.preset);
    std::mt19937_64 random(16);
    int failures = 0, checked = 0;
    std::string first;
    for (int i = 0; i < 30000 / kSlowdown; ++i) {
      const int max_field = (1 << c.exp) - 2;
      const auto a = RandomNormal<std::uint32_t>(random, c.man, 1, max_field) & 0xFFFF;
      const int e = static_cast<int>(a >> c.man) & max_field;
      const bool near = i % 2 == 0;
      const auto b =
          RandomNormal<std::uint32_t>(random, c.man, near ? std::max(1, e - c.man - 3) : 1,
                                      near ? std::min(max_field, e + c.man + 3) : max_field) &
          0xFFFF;
      for (const FloatOperator op : kOperators) {
        const Rational exact = Apply(op, table.Value(a), table.Value(b));
        const auto result = OperateFloat(format, Hex(a, 16), op, Hex(b, 16), Rounding::kNearest);
        bool fine = true;
        if (exact == 0) {
          fine = result.cadena == std::string(16, '0');
        } else if (const auto expected = table.Nearest(exact)) {
          fine = result.cadena == Bits(*expected, 16);
          ++checked;
        } else {
          fine = result.desbordamiento || !result.cadena.empty();
        }
        if (!fine && failures++ == 0) {
          first = Hex(a, 16) + " " + repbin::ops::OperatorName(op) + " " + Hex(b, 16) + " gave " +
                  result.hex;
        }
      }
    }
    EXPECT_EQ(failures, 0) << first;
    EXPECT_GT(checked, 60000 / kSlowdown);
  }
}

// --- Truncation in custom layouts ---------------------------------------------------------------

// floor(log2 |v|) of a nonzero rational.
long Log2(Rational v) {
  if (v < 0) v = -v;
  long e =
      static_cast<long>(mp::msb(mp::numerator(v))) - static_cast<long>(mp::msb(mp::denominator(v)));
  while (Power2(e) > v) --e;
  while (Power2(e + 1) <= v) ++e;
  return e;
}

// Whether `kept` is `exact` truncated to `p` significant bits: the same sign, no larger in
// magnitude, less than one unit of its last place below it, and holding at most p bits.
bool IsTruncation(const Rational& kept, const Rational& exact, int p) {
  if (exact == 0) return kept == 0;
  if (kept == 0 || (kept < 0) != (exact < 0)) return false;
  const Rational k = kept < 0 ? Rational(-kept) : kept;
  const Rational e = exact < 0 ? Rational(-exact) : exact;
  const long last = Log2(k) - (p - 1);
  const Rational unit = Power2(last);
  const Rational units = k / unit;
  return k <= e && e - k < unit && mp::denominator(units) == 1;
}

TEST(FloatArithmeticTest, CustomLayoutsTruncateTheExactResult) {
  std::mt19937_64 random(33);
  int checked = 0;
  for (int layout = 0; layout < 600; ++layout) {
    repbin::ops::LayoutOptions options;
    options.bits = static_cast<int>(6 + random() % 30);
    options.exp =
        static_cast<int>(2 + random() % static_cast<unsigned>(std::min(6, *options.bits - 4)));
    const int order = static_cast<int>(random() % 3);  // where the sign goes
    const int man = *options.bits - *options.exp - 1;
    options.pos_signo = order == 0 ? 0 : order == 1 ? *options.exp : *options.bits - 1;
    options.pos_exp = order == 0 ? 1 : 0;
    options.pos_man = order == 0 ? 1 + *options.exp : order == 1 ? *options.exp + 1 : *options.exp;
    options.sis_exp = static_cast<int>(random() % 4);
    options.sis_man = static_cast<int>(random() % 3);
    options.norma = static_cast<int>(random() % 3);
    const FloatFormat f = repbin::ops::BuildLayout(options);
    const auto fault = repbin::ops::CheckFloatFormat(f);
    ASSERT_FALSE(fault) << layout << ": " << repbin::ops::LayoutFaultText(*fault);
    const int p = man + f.bi();
    const auto text = [&] {
      std::string t = (random() % 2 ? "-" : "") + std::to_string(random() % 200);
      if (random() % 2) t += "." + std::to_string(random() % 1000);
      return t;
    };
    for (int i = 0; i < 20; ++i) {
      const std::string a = text(), b = text();
      for (const FloatOperator op : kOperators) {
        const auto r = OperateFloat(f, a, op, b, Rounding::kTruncate);
        ASSERT_TRUE(r.fault.empty()) << r.fault;
        if (r.desbordamiento) continue;
        SCOPED_TRACE(a + " " + repbin::ops::OperatorName(op) + " " + b + " layout " +
                     std::to_string(layout));
        for (const auto& operand : r.operands) {
          ASSERT_TRUE(IsTruncation(Exact(operand.valor_exacto), Exact(operand.entrada_exacta), p))
              << operand.valor_exacto << " from " << operand.entrada_exacta;
        }
        const Rational exact =
            Apply(op, Exact(r.operands[0].valor_exacto), Exact(r.operands[1].valor_exacto));
        ASSERT_EQ(Exact(r.valor_exacto), exact);
        ASSERT_TRUE(IsTruncation(Exact(r.valor), exact, p)) << r.valor << " from " << exact;
        if (exact != 0) {
          // The pattern reads back, through the program's own decoder, as the value reported.
          const repbin::InterpretationReport read =
              repbin::ReportInterpretation(f, r.cadena.c_str());
          ASSERT_TRUE(read.value);
          ASSERT_EQ(Exact(*read.value), Exact(r.valor)) << r.cadena;
        }
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 15000);
}

// --- What the steps say -------------------------------------------------------------------------

TEST(FloatArithmeticTest, GuardRoundAndStickyBits) {
  struct Case {
    const char* a;
    const char* b;
    Rounding rounding;
    const char* grs;
    const char* result;  // the value kept
  };
  const FloatFormat ieee32 = *repbin::FindPreset("ieee32");
  // 2^-24 is half a unit of 1's last place; 1.00000000000000000000001 (binary) is 1 + 2^-23.
  const Case cases[] = {
      {"1", "0x33800000", Rounding::kNearest, "100", "1"},  // a tie, 1 is even
      {"1", "0x33800001", Rounding::kNearest, "101", "1.00000011920928955078125"},
      {"1", "0x33800000", Rounding::kUp, "100", "1.00000011920928955078125"},
      {"1", "0x33800000", Rounding::kTruncate, "100", "1"},
      {"-1", "0xB3800000", Rounding::kDown, "100", "-1.00000011920928955078125"},
      {"-1", "0xB3800000", Rounding::kUp, "100", "-1"},
      {"1", "0x33000000", Rounding::kNearest, "010", "1"},  // a quarter unit
      {"1", "0x32800000", Rounding::kNearest, "001", "1"},  // an eighth: sticky
      {"15", "3.75", Rounding::kTruncate, "000", "18.75"},
  };
  for (const Case& c : cases) {
    const auto r = OperateFloat(ieee32, c.a, FloatOperator::kAdd, c.b, c.rounding);
    const std::string grs =
        std::string(r.guarda ? "1" : "0") + (r.redondeo ? "1" : "0") + (r.retenedor ? "1" : "0");
    EXPECT_EQ(grs, c.grs) << c.a << " + " << c.b;
    EXPECT_EQ(r.valor, c.result) << c.a << " + " << c.b;
    EXPECT_EQ(r.inexacto, std::string(c.grs) != "000");
  }
}

// The columns the page draws, read back as numbers: the rows are the larger operand and the
// smaller one shifted under it, the result row is their sum or difference, the carry row is
// what column addition leaves (computed here as (x op y) ^ x ^ y), and the normalised
// significand ends in the guard, round and sticky bits and holds the truncated result.
TEST(FloatArithmeticTest, JsonColumnsOfTheAlignedSignificands) {
  struct Case {
    std::vector<std::string> args;
    bool aligned;       // an addition or subtraction of two nonzero values
    bool second_exact;  // nothing is lost in the shift: the shifted row is the smaller operand
  };
  const std::vector<Case> cases = {
      {{"15", "+", "3.75"}, true, true},                  // the course's exercise
      {{"1", "+", "0x33800001"}, true, false},            // a long shift that leaves the sticky bit
      {{"-1.5", "-", "-2", "-f", "ieee16"}, true, true},  // different signs: a subtraction
      {{"3.5", "-", "0.625", "-b", "12", "--exp", "4", "--norma", "0M"}, true, true},
      {{"0.1", "+", "0.2", "-f", "bfloat16"}, true, false},
      {{"0.75", "-", "3", "-b", "10", "--exp", "4", "--norma", "01M", "--sis-man", "c2"},
       true,
       true},
      {{"3", "x", "0.1", "-f", "ieee16"}, false, false},  // a product: normalised only
      {{"0", "+", "5"}, false, false},                    // nothing to align
  };
  const auto number = [](const std::string& bits) {
    mp::cpp_int n = 0;
    for (const char c : bits) n = n * 2 + (c - '0');
    return n;
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"operar", "flotante"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back("--json");
    SCOPED_TRACE(c.args[0] + " " + c.args[1] + " " + c.args[2]);
    const auto run = repbin::RunProgramOnText(args, "", repbin::out::Encoding::kUtf8);
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    const bool zero_operand = c.args[0] == "0";
    ASSERT_EQ(json.contains("alineados"), c.aligned);
    ASSERT_EQ(json.contains("normalizado"), !zero_operand);
    const Rational a = mp::abs(Exact(json["operandos"][0]["valor_exacto"]));
    const Rational b = mp::abs(Exact(json["operandos"][1]["valor_exacto"]));
    if (c.aligned) {
      const auto& columns = json["alineados"];
      const std::string first = columns["primero"], second = columns["segundo"];
      ASSERT_EQ(first.size(), second.size());
      ASSERT_EQ(std::string(columns["resultado"]).size(), first.size());
      ASSERT_EQ(std::string(columns["acarreos"]).size(), first.size());
      const mp::cpp_int x = number(first), y = number(second);
      const bool subtract = columns["resta"];
      const mp::cpp_int t = subtract ? mp::cpp_int(x - y) : mp::cpp_int(x + y);
      const mp::cpp_int mask = (mp::cpp_int(1) << first.size()) - 1;
      EXPECT_EQ(number(columns["resultado"]), t & mask);
      EXPECT_EQ(number(columns["acarreos"]), (t ^ x ^ y) & mask);
      const long fraction = static_cast<long>(first.size()) - columns["cifras_enteras"].get<long>();
      const Rational scale = Power2(columns["exponente"].get<long>() - fraction);
      EXPECT_EQ(Rational(x) * scale, std::max(a, b));
      if (c.second_exact) {
        EXPECT_EQ(Rational(y) * scale, std::min(a, b));
      }
    }
    if (json.contains("normalizado")) {
      const auto& normal = json["normalizado"];
      const std::string digits = normal["cifras"];
      const auto& grs = json["bits_guarda"];
      EXPECT_EQ(digits.substr(digits.size() - 3), std::string(grs["guarda"]) +
                                                      std::string(grs["redondeo"]) +
                                                      std::string(grs["retenedor"]));
      // Truncation keeps the significand's digits as they are.
      const std::string kept = digits.substr(0, digits.size() - 3);
      const long fraction = static_cast<long>(kept.size()) - normal["cifras_enteras"].get<long>();
      EXPECT_EQ(Rational(number(kept)) * Power2(normal["exponente"].get<long>() - fraction),
                mp::abs(Exact(json["resultado"]["valor_exacto"])));
    }
  }
}

// The course's exercise: 15 + 3.75 in single precision, through the command.
TEST(FloatArithmeticTest, CommandShowsTheStepsAndTheJson) {
  const auto run = [](const std::vector<std::string>& args) {
    return repbin::RunProgramOnText(args, "", repbin::out::Encoding::kUtf8);
  };
  const auto text = run({"operar", "flotante", "15", "+", "3.75"});
  EXPECT_EQ(text.status, 0);
  for (const char* piece : {"10000010 en exceso 127 es 3", "10000000 en exceso 127 es 1",
                            "0 10000011 00101100000000000000000", "0x41960000", "18.75"}) {
    EXPECT_NE(text.out.find(piece), std::string::npos) << piece << "\n" << text.out;
  }
  const auto json = run({"operar", "flotante", "15", "+", "3.75", "--json"});
  const nlohmann::ordered_json object = nlohmann::ordered_json::parse(json.out);
  std::vector<std::string> keys;
  for (const auto& item : object.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"operacion", "sistema", "formato", "operador",
                                            "redondeo", "operandos", "resultado", "valor_exacto",
                                            "inexacto", "bits_guarda", "desbordamiento", "motivo",
                                            "desborda_ieee", "pasos", "alineados", "normalizado"}));
  EXPECT_EQ(object["resultado"]["hex"], "0x41960000");
  EXPECT_EQ(object["operandos"][1]["valor_exacto"], "3.75");
  EXPECT_EQ(object["bits_guarda"]["guarda"], "0");

  struct Case {
    std::vector<std::string> args;
    int status;
    const char* err_has;
  };
  const std::vector<Case> cases = {
      {{"operar", "flotante", "0x7F7FFFFF", "+", "0x7F7FFFFF", "--redondeo", "cercano"},
       1,
       "infinito"},
      {{"operar", "flotante", "0x00800000", "x", "0.5"}, 1, "subnormal"},
      {{"operar", "flotante", "0x7F800000", "+", "1"}, 2, "infinito o NaN"},
      {{"operar", "flotante", "1", "/", "2"}, 2, "escriba +, - o x"},
      {{"operar", "flotante", "1", "+"}, 2, "A OP B"},
      {{"operar", "flotante", "1", "+", "2", "--redondeo", "par"},
       2,
       "--redondeo espera truncar, cercano"},
      {{"operar", "flotante", "abc", "+", "2"}, 2, "coma fija"},
      {{"operar", "--redondeo", "cercano", "c2", "1", "+", "2"}, 2, "es de operar flotante"},
      {{"operar", "flotante", "-1.5", "-", "-2", "-f", "ieee16", "--json"}, 0, ""},
      {{"operar", "flotante", "1000", "x", "1000", "-b", "8", "--exp", "3"}, 1, "no cabe"},
  };
  for (const Case& c : cases) {
    const auto t = run(c.args);
    EXPECT_EQ(t.status, c.status) << c.args[2] << c.args[3] << t.err;
    EXPECT_NE(t.err.find(c.err_has), std::string::npos) << t.err;
  }
  // The dialogue's --ampliado, given before the command, reaches it.
  const auto extended = run({"--ampliado", "operar", "flotante", "1", "+", "2"});
  EXPECT_EQ(extended.status, 0) << extended.err;
  EXPECT_NE(extended.out.find("Hexadecimal: 0x40400000"), std::string::npos) << extended.out;

  const auto lines =
      repbin::RunProgramOnText({"operar", "flotante", "-", "--json"}, "1 + 2\n\n3 x 0.5\n1 ? 2\n",
                               repbin::out::Encoding::kUtf8);
  EXPECT_EQ(lines.status, 2);
  EXPECT_EQ(std::count(lines.out.begin(), lines.out.end(), '\n'), 2);
}

// A result beyond the largest value: what the format itself holds instead, as IEEE 754 rounds
// (an infinity away from zero, the largest value toward zero) and, in fp8-e4m3, which has no
// infinities, NaN (S.1111.111) or its largest value, 448 = 1.110 x 2^8; its all-ones exponent
// holds values below that. The patterns are written from the formats' published tables.
TEST(FloatArithmeticTest, OverflowSaysWhatTheFormatHolds) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* motivo;  // part of the reason ("" when it fits)
    const char* cadena;  // the format's own result on overflow, or the result when it fits
    const char* valor;   // its value ("" for none: a custom layout)
  };
  const std::vector<Case> cases = {
      // 384 = 1.1 x 2^8: the all-ones exponent holds a value in fp8-e4m3.
      {{"256", "+", "128", "-f", "fp8-e4m3"}, 0, "", "01111100", ""},
      {{"0x7E", "+", "0", "-f", "fp8-e4m3"}, 0, "", "01111110", ""},
      // 480 = 1.111 x 2^8 would be the NaN pattern.
      {{"448", "+", "32", "-f", "fp8-e4m3", "--redondeo", "cercano"},
       1,
       "el resultado sería NaN",
       "01111111",
       "nan"},
      {{"448", "+", "32", "-f", "fp8-e4m3", "--redondeo", "truncar"},
       1,
       "el mayor valor finito, 448",
       "01111110",
       "448"},
      {{"-448", "-", "64", "-f", "fp8-e4m3", "--redondeo", "abajo"},
       1,
       "no tiene infinitos",
       "11111111",
       "nan"},
      {{"-448", "-", "64", "-f", "fp8-e4m3", "--redondeo", "arriba"},
       1,
       "el mayor valor finito, -448",
       "11111110",
       "-448"},
      {{"57344", "+", "57344", "-f", "fp8-e5m2", "--redondeo", "cercano"},
       1,
       "sería +infinito",
       "01111100",
       "inf"},
      {{"57344", "+", "57344", "-f", "fp8-e5m2", "--redondeo", "cero"},
       1,
       "el mayor valor finito, 57344",
       "01111011",
       "57344"},
      {{"-65504", "-", "65504", "-f", "ieee16", "--redondeo", "cercano"},
       1,
       "sería -infinito",
       "1111110000000000",
       "-inf"},
      {{"1000", "x", "1000", "-b", "8", "--exp", "3"}, 1, "no cabe en el campo", "", ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"operar", "flotante"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const std::string what = c.args[0] + " " + c.args[1] + " " + c.args[2] + " " + c.args[4];
    const auto text = repbin::RunProgramOnText(args, "", repbin::out::Encoding::kUtf8);
    EXPECT_EQ(text.status, c.status) << what << text.err;
    EXPECT_NE(text.err.find(c.motivo), std::string::npos) << what << ": " << text.err;
    EXPECT_EQ(text.err.find("sería infinito"), std::string::npos) << what;
    args.push_back("--json");
    const auto json = repbin::RunProgramOnText(args, "", repbin::out::Encoding::kUtf8);
    const nlohmann::json j = nlohmann::json::parse(json.out);
    if (c.status == 0) {
      EXPECT_EQ(j["resultado"]["cadena"], c.cadena) << what;
      EXPECT_TRUE(j["desborda_ieee"].is_null()) << what;
      EXPECT_TRUE(j["motivo"].is_null()) << what;
      continue;
    }
    EXPECT_NE(j["motivo"].get<std::string>().find(c.motivo), std::string::npos) << what;
    if (*c.valor == '\0') {
      EXPECT_TRUE(j["desborda_ieee"].is_null()) << what;
      continue;
    }
    EXPECT_EQ(j["desborda_ieee"]["cadena"], c.cadena) << what;
    EXPECT_EQ(j["desborda_ieee"]["valor"], c.valor) << what;
  }
  // The NaN pattern is no operand.
  const auto nan = repbin::RunProgramOnText(
      {"operar", "flotante", "0x7F", "+", "1", "-f", "fp8-e4m3"}, "", repbin::out::Encoding::kUtf8);
  EXPECT_EQ(nan.status, 2);
  EXPECT_NE(nan.err.find("es NaN"), std::string::npos) << nan.err;
}

}  // namespace
