// Arithmetic exercises: keys checked against plain machine arithmetic (64-bit integers, the
// machine's IEEE float), variants that keep each position's overflow verdict, the usual mistakes
// named, and the --tipos words that ask for these kinds.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "exercises/answer_check.h"
#include "exercises/arithmetic_exercises.h"
#include "exercises/draw_options.h"
#include "exercises/exercise_sheet.h"
#include "exercises/practice.h"
#include "output/output.h"
#include "program/program.h"
#include "real/format.h"

namespace repbin {
namespace {

using exercises::Exercise;
using exercises::Kind;
using exercises::Operation;
using ops::System;

// --- Plain integer arithmetic, written from the systems' definitions ---------------------------

std::int64_t Natural(const std::string& bits) {
  std::int64_t v = 0;
  for (char c : bits) v = v * 2 + (c == '1');
  return v;
}

std::int64_t ValueOf(System s, const std::string& bits, std::int64_t z) {
  const int n = static_cast<int>(bits.size());
  const std::int64_t all = std::int64_t{1} << n;
  const std::int64_t u = Natural(bits);
  const bool neg = bits[0] == '1';
  switch (s) {
    case System::kNatural: return u;
    case System::kTwos: return neg ? u - all : u;
    case System::kOnes: return neg ? -(all - 1 - u) : u;
    case System::kSignMagnitude: return neg ? -(u - all / 2) : u;
    default: return u - z;
  }
}

bool Fits(System s, int n, std::int64_t v, std::int64_t z) {
  const std::int64_t half = std::int64_t{1} << (n - 1);
  switch (s) {
    case System::kNatural: return v >= 0 && v < 2 * half;
    case System::kTwos: return v >= -half && v < half;
    case System::kExcess: return v >= -z && v < 2 * half - z;
    default: return v > -half && v < half;
  }
}

std::string OperandPattern(const Exercise& e, const std::string& operand) {
  if (operand.rfind("0b", 0) == 0) return operand.substr(2);
  // A decimal operand: its code as a natural number, from the system's definition.
  const std::int64_t v = std::stoll(operand);
  const std::int64_t all = std::int64_t{1} << e.bits;
  std::int64_t u = v;
  switch (e.kind.system) {
    case System::kTwos: u = v < 0 ? all + v : v; break;
    case System::kOnes: u = v < 0 ? all - 1 + v : v; break;
    case System::kSignMagnitude: u = v < 0 ? all / 2 - v : v; break;
    case System::kExcess: u = v + e.exceso; break;
    default: break;
  }
  std::string bits;
  for (int i = e.bits - 1; i >= 0; --i) bits += ((u >> i) & 1) ? '1' : '0';
  return bits;
}

exercises::SheetOptions Options(std::vector<Kind> kinds, std::uint64_t seed, int count) {
  exercises::SheetOptions options;
  options.kinds = std::move(kinds);
  options.seed = seed;
  options.count = count;
  return options;
}

std::vector<Kind> IntegerKinds() {
  std::vector<Kind> kinds;
  for (const Kind& k : exercises::ArithmeticKinds()) {
    if (k.system != System::kFloat) kinds.push_back(k);
  }
  return kinds;
}

// Every integer key: the verdict is whether the exact result lies outside the range; a result
// that fits reads back as the exact result; the sheet's own key is accepted.
TEST(ArithmeticExerciseTest, IntegerKeysAgreeWithPlainArithmetic) {
  int overflowing = 0, total = 0;
  for (int level = 1; level <= 2; ++level) {
    for (std::uint64_t seed : {1u, 2u, 3u}) {
      exercises::SheetOptions options = Options(IntegerKinds(), seed, 100);
      options.dificultad = level;
      for (const Exercise& e : exercises::Generate(options)) {
        if (e.bits > 16) continue;
        ASSERT_EQ(e.operandos.size(), 2u);
        const std::string a = OperandPattern(e, e.operandos[0]);
        const std::string b = OperandPattern(e, e.operandos[1]);
        const std::int64_t va = ValueOf(e.kind.system, a, e.exceso);
        const std::int64_t vb = ValueOf(e.kind.system, b, e.exceso);
        const std::int64_t exact = e.kind.operation == Operation::kAdd ? va + vb : va - vb;
        const bool overflow = !Fits(e.kind.system, e.bits, exact, e.exceso);
        const std::string bits = e.respuesta.substr(0, e.respuesta.find(','));
        SCOPED_TRACE(e.enunciado + " -> " + e.respuesta);
        EXPECT_EQ(static_cast<int>(bits.size()), e.bits);
        EXPECT_EQ(e.desborda, overflow);
        EXPECT_EQ(e.respuesta.ends_with(overflow ? ", desborda" : ", no desborda"), true);
        if (!overflow) {
          EXPECT_EQ(ValueOf(e.kind.system, bits, e.exceso), exact);
        }
        // Two's complement and natural leave the exact result modulo 2^n even on overflow.
        if (e.kind.system == System::kTwos || e.kind.system == System::kNatural) {
          const std::int64_t m = std::int64_t{1} << e.bits;
          EXPECT_EQ(Natural(bits), ((exact % m) + m) % m);
        }
        EXPECT_TRUE(CheckAnswer(e, e.respuesta).correcta);
        for (const std::string& accepted : exercises::AcceptedAnswers(e)) {
          EXPECT_TRUE(CheckAnswer(e, accepted).correcta) << accepted;
        }
        EXPECT_FALSE(e.traza.empty());
        overflowing += overflow;
        ++total;
      }
    }
  }
  // Sheets mix results that fit with results that do not.
  EXPECT_GT(overflowing, total / 10);
  EXPECT_LT(overflowing, total / 2);
}

TEST(ArithmeticExerciseTest, VariantsKeepEachPositionsOverflow) {
  exercises::SheetOptions options = Options(IntegerKinds(), 11, 30);
  options.variantes = 4;
  const std::vector<Exercise> sheet = exercises::Generate(options);
  ASSERT_EQ(sheet.size(), 120u);
  std::set<std::string> posed;
  for (const Exercise& e : sheet) {
    const Exercise& a = sheet[static_cast<std::size_t>(e.numero - 1)];
    EXPECT_EQ(e.kind, a.kind);
    EXPECT_EQ(e.bits, a.bits);
    EXPECT_EQ(e.desborda, a.desborda) << e.enunciado;
    if (e.variante == 1) posed.insert(e.dato);
  }
  EXPECT_GT(posed.size(), 20u);  // the values are drawn afresh
}

// A hand-made integer exercise, solved by the program.
Exercise IntegerExercise(Operation op, System s, int bits, const char* a, const char* b,
                         int excess = 0) {
  Exercise e;
  e.kind = {op, s};
  e.bits = bits;
  e.exceso = excess;
  e.operandos = {a, b};
  e.operador = op == Operation::kAdd ? "+" : "-";
  exercises::SolveIntegerArithmetic(e, false);
  return e;
}

// Each wrong answer is what the mistaken method gives, worked out by hand.
TEST(ArithmeticExerciseTest, IntegerMistakesAreNamed) {
  const struct {
    Exercise e;
    const char* answer;
    const char* named;
  } cases[] = {
      // 0101 + 1101 = 1 0010; the end-around carry makes it 0011 (5 + -2 = 3).
      {IntegerExercise(Operation::kAdd, System::kOnes, 4, "0b0101", "0b1101"), "0010, no desborda",
       "fin de vuelta"},
      // 5 - 3: 0101 + 0011 + 1 = 1001 without inverting; 0101 + 1100 = 0001 without the +1.
      {IntegerExercise(Operation::kSubtract, System::kTwos, 4, "0b0101", "0b0011"),
       "1001, no desborda", "sin invertir"},
      {IntegerExercise(Operation::kSubtract, System::kTwos, 4, "0b0101", "0b0011"),
       "0001, no desborda", "+1"},
      // 7 + 1 overflows with no carry out; -1 + 1 carries out and fits.
      {IntegerExercise(Operation::kAdd, System::kTwos, 4, "7", "1"), "1000, no desborda",
       "acarreo final"},
      {IntegerExercise(Operation::kAdd, System::kTwos, 4, "-1", "1"), "0000, desborda",
       "acarreo final"},
      // 3 + -5 = -2: 1010; the sign of the first operand gives 0010.
      {IntegerExercise(Operation::kAdd, System::kSignMagnitude, 4, "0b0011", "0b1101"),
       "0010, no desborda", "mayor magnitud"},
      // Excess 8: 1010 (2) + 1001 (1) = 1011 (3); the codes alone add to 1 0011.
      {IntegerExercise(Operation::kAdd, System::kExcess, 4, "0b1010", "0b1001", 8),
       "0011, no desborda", "restar Z"},
      {IntegerExercise(Operation::kSubtract, System::kExcess, 4, "0b1010", "0b1001", 8),
       "0001, no desborda", "sumar Z"},
      // Natural: 12 + 6 = 18 does not fit 4 bits.
      {IntegerExercise(Operation::kAdd, System::kNatural, 4, "12", "6"), "0010, no desborda",
       "rango va de 0 a 15"},
  };
  for (const auto& c : cases) {
    const exercises::Verdict v = CheckAnswer(c.e, c.answer);
    EXPECT_FALSE(v.correcta) << c.answer;
    EXPECT_NE(v.diagnostico.find(c.named), std::string::npos)
        << c.e.enunciado << " " << c.answer << ": " << v.diagnostico;
  }
  const Exercise e = IntegerExercise(Operation::kAdd, System::kTwos, 8, "100", "-1");
  EXPECT_EQ(e.respuesta, "01100011, no desborda");
  for (const char* right :
       {"01100011, no desborda", "0110 0011 no desborda", "0x63, NO", "01100011; no desborda"}) {
    EXPECT_TRUE(CheckAnswer(e, right).correcta) << right;
  }
  // The pattern without its verdict, or the value for the pattern: asked again.
  EXPECT_TRUE(CheckAnswer(e, "01100011").repetir);
  EXPECT_TRUE(CheckAnswer(e, "99, no desborda").repetir);
  EXPECT_FALSE(CheckAnswer(e, "0110001, no desborda").correcta);
  EXPECT_FALSE(CheckAnswer(e, "01100011, desborda").correcta);
}

// --- Floating point against the machine --------------------------------------------------------

float FloatOperand(const std::string& text) {
  if (text.rfind("0b", 0) == 0) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(std::stoul(text.substr(2), nullptr, 2)));
  }
  return std::strtof(text.c_str(), nullptr);  // short binary fractions: exact
}

std::string Bits32(float f) {
  std::string bits;
  const auto u = std::bit_cast<std::uint32_t>(f);
  for (int i = 31; i >= 0; --i) bits += ((u >> i) & 1) ? '1' : '0';
  return bits;
}

// The result the machine gives: to nearest by its own float arithmetic, truncated from the
// double result, which is exact for operands of a few significant bits.
std::string MachineResult(float a, const std::string& op, float b, bool nearest) {
  const double exact = op == "x"   ? double{a} * double{b}
                       : op == "-" ? double{a} - double{b}
                                   : double{a} + double{b};
  if (nearest) return Bits32(op == "x" ? a * b : op == "-" ? a - b : a + b);
  float f = static_cast<float>(exact);
  if (std::fabs(double{f}) > std::fabs(exact)) f = std::nextafter(f, 0.0f);
  return Bits32(f);
}

TEST(ArithmeticExerciseTest, FloatKeysAgreeWithTheMachine) {
  exercises::SheetOptions options =
      Options({{Operation::kAdd, System::kFloat}, {Operation::kMultiply, System::kFloat}}, 5, 300);
  options.formato = *FindPreset("ieee32");
  options.preset = "ieee32";
  int nearest = 0, patterns = 0;
  for (const Exercise& e : exercises::Generate(options)) {
    SCOPED_TRACE(e.enunciado);
    ASSERT_EQ(e.operandos.size(), 2u);
    const float a = FloatOperand(e.operandos[0]), b = FloatOperand(e.operandos[1]);
    EXPECT_EQ(e.respuesta, MachineResult(a, e.operador, b, e.redondeo == "cercano"));
    EXPECT_TRUE(CheckAnswer(e, e.respuesta).correcta);
    EXPECT_EQ(e.desborda, false);
    // Operands a student can handle: few significant bits, exponents a few units apart.
    for (float v : {a, b}) {
      const auto u = std::bit_cast<std::uint32_t>(v);
      EXPECT_EQ(u & 0xFFFFu, 0u) << v;
      EXPECT_LE(std::abs(std::ilogb(v)), 5) << v;
    }
    if (e.operador != "x") {
      EXPECT_LE(std::abs(std::ilogb(a) - std::ilogb(b)), 4);
    }
    nearest += e.redondeo == "cercano";
    patterns += e.operandos[0].rfind("0b", 0) == 0;
  }
  EXPECT_GT(nearest, 50);
  EXPECT_LT(nearest, 250);
  EXPECT_GT(patterns, 20);
}

// Layouts of their own at the upper levels, named formats at the first; every key accepted.
TEST(ArithmeticExerciseTest, FloatFormatsByLevel) {
  for (int level = 1; level <= 3; ++level) {
    exercises::SheetOptions options =
        Options({{Operation::kAdd, System::kFloat}, {Operation::kMultiply, System::kFloat}},
                static_cast<std::uint64_t>(level), 60);
    options.dificultad = level;
    int named = 0, in_range = 0;
    for (const Exercise& e : exercises::Generate(options)) {
      named += !e.preset.empty();
      in_range += e.respuesta != "Fuera de Rango";
      EXPECT_TRUE(CheckAnswer(e, e.respuesta).correcta) << e.enunciado;
      EXPECT_NE(e.traza.find("redondeo: " + e.redondeo), std::string::npos);
    }
    EXPECT_EQ(named, level == 1 ? 60 : 0) << level;
    EXPECT_GT(in_range, 50) << level;
  }
}

Exercise FloatExercise(Operation op, const char* a, const char* oper, const char* b,
                       const char* rounding) {
  Exercise e;
  e.kind = {op, System::kFloat};
  e.formato = *FindPreset("ieee32");
  e.preset = "ieee32";
  e.bits = 32;
  e.operandos = {a, b};
  e.operador = oper;
  e.redondeo = rounding;
  exercises::SolveFloatArithmetic(e, "ieee32", {"-f", "ieee32"}, false);
  return e;
}

// Each mistaken method's result worked out with the machine's floats.
TEST(ArithmeticExerciseTest, FloatMistakesAreNamed) {
  const Exercise sum = FloatExercise(Operation::kAdd, "1.5", "+", "0.375", "truncar");
  const Exercise carry = FloatExercise(Operation::kAdd, "1.5", "+", "1", "truncar");
  const Exercise product = FloatExercise(Operation::kMultiply, "1.5", "x", "2.5", "truncar");
  // 1 + 2^-23 times 3 ends halfway between two floats: to nearest it goes to the even one.
  const Exercise tie =
      FloatExercise(Operation::kMultiply, "1.00000011920928955078125", "x", "3", "cercano");
  const Exercise cut =
      FloatExercise(Operation::kMultiply, "1.00000011920928955078125", "x", "3", "truncar");
  ASSERT_EQ(sum.respuesta, Bits32(1.875f));
  ASSERT_EQ(product.respuesta, Bits32(3.75f));
  const float third = 1.00000011920928955078125f * 3.0f;
  ASSERT_EQ(tie.respuesta, Bits32(third));
  const std::string truncated = Bits32(std::nextafter(third, 0.0f));
  ASSERT_EQ(cut.respuesta, truncated);
  const struct {
    const Exercise& e;
    std::string answer;
    const char* named;
  } cases[] = {
      {sum, Bits32(1.5f + 0.375f * 4), "No ha alineado"},        // both under 2^0
      {sum, Bits32(1.5f / 16 + 0.375f), "operando equivocado"},  // 1.5 shifted, 2^-2 kept
      {sum, Bits32(0.5f + 0.125f), "bit impl"},                  // 0.1 + 0.001 (x 2^-2)
      {carry, Bits32(1.5f), "No ha normalizado"},                // 10.1 read as 1.1
      {product, Bits32(0.5f * 0.5f), "bit impl"},                // 0.1 x 0.01 (x 2^1)
      {product, Bits32(std::bit_cast<float>(std::bit_cast<std::uint32_t>(3.75f) + (127u << 23))),
       "exceso"},
      {tie, truncated, "Ha truncado"},
      {cut, Bits32(third), "Ha redondeado"},
  };
  for (const auto& c : cases) {
    const exercises::Verdict v = CheckAnswer(c.e, c.answer);
    EXPECT_FALSE(v.correcta);
    EXPECT_NE(v.diagnostico.find(c.named), std::string::npos)
        << c.e.enunciado << " " << c.answer << ": " << v.diagnostico;
  }
  // Any other answer: which fields are wrong.
  std::string other = sum.respuesta;
  other[0] = '1';
  const exercises::Verdict v = CheckAnswer(sum, other);
  ASSERT_TRUE(v.campos.has_value());
  EXPECT_FALSE(v.campos->sign);
  EXPECT_TRUE(v.campos->exponent);
  EXPECT_TRUE(v.campos->mantissa);
  EXPECT_FALSE(CheckAnswer(sum, "Fuera de Rango").correcta);
}

// The solution's trace is what the exercise's own command prints, with its exit status.
TEST(ArithmeticExerciseTest, OneShotCommandPrintsTheTrace) {
  for (bool ampliado : {false, true}) {
    exercises::SheetOptions options = Options(exercises::ArithmeticKinds(), 21, 24);
    options.report.ampliado = ampliado;
    for (const Exercise& e : exercises::Generate(options)) {
      int status = -1;
      const out::Captured printed =
          out::Capture([&] { status = RunCommandLine(e.orden); }, out::Encoding::kUtf8);
      if (printed.err.find("no disponible") != std::string::npos) {
        GTEST_SKIP() << "the one-shot commands are not in this build";
      }
      EXPECT_EQ(printed.out, e.traza) << e.enunciado;
      EXPECT_EQ(status, e.en_rango.value_or(true) ? 0 : 1) << e.enunciado;
      EXPECT_EQ(e.orden.back() == "--ampliado", ampliado);
    }
  }
}

// --- The words of --tipos ------------------------------------------------------------------

TEST(ArithmeticExerciseTest, KindsAreNamedInTheList) {
  const struct {
    const char* list;
    std::vector<std::string> kinds;  // empty: refused
  } cases[] = {
      {"c2,suma", {"suma-c2"}},
      {"suma,resta,exceso", {"suma-exceso", "resta-exceso"}},
      {"producto", {"producto-flotante"}},
      {"suma-flotante,producto-flotante", {"suma-flotante", "producto-flotante"}},
      {"flotante,suma,representar", {"representar-flotante", "suma-flotante"}},
      {"c2", {"representar-c2", "interpretar-c2"}},
      {"c2,producto", {}},
      {"resta-flotante", {}},
      // Fixed point: only when named; the systems and operations beside it choose among it.
      {"fija",
       {"representar-fija-natural", "representar-fija-c1", "representar-fija-c2",
        "representar-fija-sm", "interpretar-fija-natural", "interpretar-fija-c1",
        "interpretar-fija-c2", "interpretar-fija-sm"}},
      {"fija,c2", {"representar-fija-c2", "interpretar-fija-c2"}},
      {"c2,interpretar,fija", {"interpretar-fija-c2"}},
      {"fija,sm,suma", {"suma-sm", "representar-fija-sm", "interpretar-fija-sm"}},
      {"representar-fija-c1,representar-c1", {"representar-c1", "representar-fija-c1"}},
      {"fija,exceso", {}},
      {"fija,flotante", {}},
  };
  for (const auto& c : cases) {
    exercises::DrawCommandLine line;
    const std::optional<std::string> refusal =
        exercises::ReadDrawCommandLine({"--tipos", c.list}, {}, line);
    std::vector<std::string> names;
    for (const Kind& k : line.options.kinds) names.push_back(exercises::KindName(k));
    if (c.kinds.empty()) {
      EXPECT_TRUE(refusal.has_value()) << c.list;
    } else {
      EXPECT_FALSE(refusal.has_value()) << c.list;
      EXPECT_EQ(names, c.kinds) << c.list;
    }
  }
  // Without --tipos, the sheets keep their kinds: no arithmetic, no fixed point.
  for (const Exercise& e : exercises::Generate(Options({}, 3, 40))) {
    EXPECT_FALSE(exercises::IsArithmetic(e.kind));
    EXPECT_FALSE(e.kind.fija);
  }
}

// The page's round: each exercise carries its operands, its key is right, and a float pattern
// with a wrong sign gets its fields marked.
TEST(ArithmeticExerciseTest, PageRoundCarriesOperandsAndVerdicts) {
  const std::vector<std::string> args = {"--semilla", "8",       "-n",
                                         "6",         "--tipos", "suma-flotante,c2,resta"};
  for (int numero = 1; numero <= 6; ++numero) {
    const auto e = nlohmann::json::parse(exercises::PracticeExerciseJson(args, numero));
    ASSERT_FALSE(e.contains("error")) << e.dump();
    ASSERT_EQ(e["operandos"].size(), 2u);
    const std::string key = e["respuesta"];
    const auto right = nlohmann::json::parse(exercises::PracticeVerdictJson(args, numero, key));
    EXPECT_TRUE(right["correcta"].get<bool>()) << e.dump();
    if (e["tipo"] == "suma-flotante" && key != "Fuera de Rango") {
      EXPECT_EQ(e["redondeo"].is_string(), true);
      std::string flipped = key;
      const auto sign = static_cast<std::size_t>(e["formato"]["pos_signo"].get<int>());
      flipped[sign] = flipped[sign] == '1' ? '0' : '1';
      const auto wrong =
          nlohmann::json::parse(exercises::PracticeVerdictJson(args, numero, flipped));
      EXPECT_FALSE(wrong["correcta"].get<bool>());
      EXPECT_FALSE(wrong["campos"]["signo"].get<bool>()) << wrong.dump();
      EXPECT_TRUE(wrong["campos"]["mantisa"].get<bool>()) << wrong.dump();
    }
  }
}

}  // namespace
}  // namespace repbin
