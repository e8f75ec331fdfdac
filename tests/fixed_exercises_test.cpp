// Fixed-point exercises (--tipos fija): keys against exact rationals and against the one-shot
// command, the draw by level and across variants, the words of --tipos, and the answers a
// student gives, right and wrong.

#include <gtest/gtest.h>

#include <boost/multiprecision/cpp_int.hpp>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "exact_text.h"
#include "exercise_cases.h"
#include "exercises/answer_check.h"
#include "exercises/arithmetic_exercises.h"
#include "exercises/draw_options.h"
#include "exercises/exercise_sheet.h"
#include "program/program.h"
#include "support.h"

namespace repbin {
namespace {

namespace mp = boost::multiprecision;
using Rational = mp::cpp_rational;
using exercises::CheckAnswer;
using exercises::Exercise;
using exercises::Operation;
using ops::System;

using test::Exact;

// A pattern read as an integer by the systems' definitions: the weights of its bits, the top
// one negative in two's complement, one less in one's complement, a sign in sign-magnitude.
mp::cpp_int Weighted(System system, const std::string& bits) {
  mp::cpp_int all = 0, rest = 0;
  for (char c : bits) all = 2 * all + (c - '0');
  for (std::size_t i = 1; i < bits.size(); ++i) rest = 2 * rest + (bits[i] - '0');
  const mp::cpp_int top = mp::cpp_int(1) << bits.size();
  if (bits[0] == '0' || system == System::kNatural) return all;
  if (system == System::kTwos) return all - top;
  if (system == System::kOnes) return all - (top - 1);
  return -rest;
}

Rational Fixed(System system, const std::string& bits, int fraction) {
  return Rational(Weighted(system, bits), mp::cpp_int(1) << fraction);
}

exercises::SheetOptions FixedOptions(std::uint64_t seed, int count, int level = 2) {
  exercises::SheetOptions options;
  options.seed = seed;
  options.count = count;
  options.kinds = exercises::FixedKinds();
  options.dificultad = level;
  return options;
}

// Every key against exact rationals: a writing holds the value with the digits beyond the last
// fraction bit dropped toward zero (or the value does not fit), a reading is the pattern's value
// divided by 2^F; and the level's bounds on width and fraction bits hold.
TEST(FixedExerciseTest, KeysAgainstExactRationals) {
  int writings = 0, beyond = 0, truncating = 0, readings = 0;
  constexpr int kSeeds = 40 / test::kSlowdown, kEach = 24;
  for (int level = 1; level <= 3; ++level) {
    const int most_fraction[] = {0, 2, 4, 8};
    for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
      for (const Exercise& e : exercises::Generate(FixedOptions(seed, kEach, level))) {
        SCOPED_TRACE(e.enunciado);
        ASSERT_TRUE(e.kind.fija);
        EXPECT_GE(e.fraccion, 1);
        EXPECT_LE(e.fraccion, most_fraction[level]);
        EXPECT_LT(e.fraccion, e.bits);
        const System s = e.kind.system;
        const Rational unit(1, mp::cpp_int(1) << e.fraccion);
        if (e.kind.operation == Operation::kInterpret) {
          ++readings;
          EXPECT_EQ(Exact(e.respuesta), Fixed(s, e.dato, e.fraccion));
          continue;
        }
        ++writings;
        const Rational x = Exact(e.dato);
        if (e.respuesta == "Fuera de Rango") {
          ++beyond;
          // No pattern of the width holds the truncated value: it lies beyond an end.
          const auto n = static_cast<std::size_t>(e.bits);
          const std::string high =
              s == System::kNatural ? std::string(n, '1') : "0" + std::string(n - 1, '1');
          std::string low(n, '0');
          if (s == System::kTwos) low[0] = '1';
          if (s == System::kOnes) low = "1" + std::string(n - 1, '0');
          if (s == System::kSignMagnitude) low = std::string(n, '1');
          EXPECT_TRUE(x >= Fixed(s, high, e.fraccion) + unit ||
                      x <= Fixed(s, low, e.fraccion) - unit);
          continue;
        }
        ASSERT_EQ(e.respuesta.size(), static_cast<std::size_t>(e.bits));
        const Rational held = Fixed(s, e.respuesta, e.fraccion);
        const Rational dropped = x - held;  // toward zero: same sign as x, less than a unit
        EXPECT_TRUE(x >= 0 ? dropped >= 0 && dropped < unit : dropped <= 0 && -dropped < unit);
        if (dropped != 0) {
          ++truncating;
          EXPECT_NE(e.enunciado.find("trunque"), std::string::npos);
          EXPECT_NE(level, 1);
        }
      }
    }
  }
  // Each operation takes at least a quarter of the exercises drawn.
  EXPECT_GT(readings, 3 * kSeeds * kEach / 4);
  EXPECT_GT(writings, 3 * kSeeds * kEach / 4);
  EXPECT_GT(beyond * 100, writings * 3);  // a few "does it fit?" exercises
  EXPECT_GT(truncating * 100, writings * 10);
}

// The statement names the format as a course writes it.
TEST(FixedExerciseTest, StatementsNameWidthAndFractionBits) {
  std::set<std::string> seen;
  for (const Exercise& e : exercises::Generate(FixedOptions(3, 60))) {
    const std::string width = std::to_string(e.bits) + " bits de los que " +
                              std::to_string(e.fraccion) +
                              (e.fraccion == 1 ? " es fraccionario" : " son fraccionarios");
    EXPECT_NE(e.enunciado.find(width), std::string::npos) << e.enunciado;
    const char* sign = e.kind.system == System::kNatural ? "coma fija sin signo, binario natural"
                                                         : "coma fija con signo, ";
    EXPECT_NE(e.enunciado.find(sign), std::string::npos) << e.enunciado;
    seen.insert(exercises::KindName(e.kind));
  }
  EXPECT_EQ(seen.size(), 8u);  // every system, both ways
}

// Each exercise's `orden` is the real command: it prints the exercise's trace, exits 0 or 1 as
// the value fits, and its JSON gives the key; with the extended report too.
TEST(FixedExerciseTest, OrdenRunsThroughTheCommand) {
  for (bool ampliado : {false, true}) {
    exercises::SheetOptions options = FixedOptions(17, 40, ampliado ? 3 : 2);
    options.report.ampliado = ampliado;
    for (const Exercise& e : exercises::Generate(options)) {
      const auto run = RunProgramOnText(e.orden, "", out::Encoding::kUtf8);
      if (run.err.find("no disponible") != std::string::npos) {
        GTEST_SKIP() << "the one-shot commands are not in this build";
      }
      EXPECT_EQ(run.out, e.traza) << e.enunciado;
      EXPECT_EQ(run.status, e.en_rango.value_or(true) ? 0 : 1) << e.enunciado;
      EXPECT_EQ(e.orden.back() == "--ampliado", ampliado);
      std::vector<std::string> json = e.orden;
      json.push_back("--json");
      const nlohmann::json j =
          nlohmann::json::parse(RunProgramOnText(json, "", out::Encoding::kUtf8).out);
      EXPECT_EQ(j["fraccion"], e.fraccion);
      if (e.kind.operation == Operation::kInterpret) {
        EXPECT_EQ(j["valor"].dump(), e.respuesta);  // an exact decimal, written as a number
      } else {
        EXPECT_EQ(j["cadena"].is_null() ? "Fuera de Rango" : j["cadena"].get<std::string>(),
                  e.respuesta);
      }
    }
  }
}

// Variants are as hard as variant A, position by position: the same kind, width, fraction bits
// and fit, a scaled value of the same sign and a magnitude within one bit, nothing trivial.
TEST(FixedExerciseTest, VariantsAreFair) {
  exercises::SheetOptions options = FixedOptions(8, 16);
  options.variantes = 4;
  const std::vector<Exercise> sheet = exercises::Generate(options);
  ASSERT_EQ(sheet.size(), 64u);
  const auto scaled = [](const Exercise& e) {
    const Rational v = e.kind.operation == Operation::kInterpret
                           ? Fixed(e.kind.system, e.dato, e.fraccion)
                           : Exact(e.dato);
    const Rational s = v * Rational(mp::cpp_int(1) << e.fraccion);
    return mp::cpp_int(mp::numerator(s) / mp::denominator(s));
  };
  const auto length = [](mp::cpp_int v) {
    int n = 0;
    for (v = mp::abs(v); v != 0; v >>= 1) ++n;
    return n;
  };
  for (std::size_t i = 16; i < sheet.size(); ++i) {
    const Exercise& a = sheet[i % 16];
    const Exercise& e = sheet[i];
    SCOPED_TRACE(a.enunciado + " / " + e.enunciado);
    EXPECT_EQ(e.kind, a.kind);
    EXPECT_EQ(e.bits, a.bits);
    EXPECT_EQ(e.fraccion, a.fraccion);
    EXPECT_EQ(e.en_rango, a.en_rango);
    EXPECT_EQ(scaled(e) < 0, scaled(a) < 0);
    EXPECT_EQ(scaled(e) == 0, scaled(a) == 0);
    EXPECT_LE(std::abs(length(scaled(e)) - length(scaled(a))), 1);
  }
  for (std::size_t i = 0; i < 16; ++i) EXPECT_GT(length(scaled(sheet[i])), 1) << sheet[i].dato;
}

// Every output form carries the same exercise, the fraction bits in JSON.
TEST(FixedExerciseTest, EveryFormCarriesTheKey) {
  const std::vector<Exercise> sheet = exercises::Generate(FixedOptions(5, 12));
  exercises::SheetHeader header;
  header.seed = 5;
  header.command = "repbin ejercicios --tipos fija -n 12 --semilla 5";
  const std::string text = exercises::RenderText(sheet, header, true);
  const std::string markdown = exercises::RenderMarkdown(sheet, header, true);
  const std::string html = exercises::RenderHtml(sheet, header, true);
  const std::string gift = exercises::RenderGift(sheet, header);
  std::istringstream json(exercises::RenderJson(sheet, header));
  for (const Exercise& e : sheet) {
    std::string line;
    ASSERT_TRUE(std::getline(json, line));
    const nlohmann::json j = nlohmann::json::parse(line);
    EXPECT_EQ(j["tipo"], exercises::KindName(e.kind));
    EXPECT_EQ(j["fraccion"], e.fraccion);
    EXPECT_EQ(j["orden"], e.orden);
    EXPECT_EQ(j["respuesta"], e.respuesta);
    EXPECT_NE(text.find("\n" + std::to_string(e.numero) + ". " + e.respuesta + "\n"),
              std::string::npos);
    EXPECT_NE(markdown.find("`" + e.respuesta + "`"), std::string::npos);
    EXPECT_NE(html.find(e.respuesta), std::string::npos);
    // A reading is a numerical question with the exact decimal; a writing a short answer.
    const std::string answer = e.kind.operation == Operation::kInterpret
                                   ? "{#" + e.respuesta + "####"
                                   : "{=" + exercises::GiftEscape(e.respuesta);
    EXPECT_NE(gift.find(answer), std::string::npos) << answer;
  }
  EXPECT_NE(gift.find("$CATEGORY: repbin/Representaci"), std::string::npos);
  EXPECT_NE(gift.find("en coma fija, "), std::string::npos);
}

// The keys below are written by hand: 9.75 × 2^3 = 78 = 01001110 in two's complement with 8
// bits; 10001111 is -113 in two's complement, -113 / 8 = -14.125.
Exercise Write(System s, const char* value, const char* key, int bits = 8, int fraction = 3) {
  Exercise e = test::Integer(Operation::kRepresent, s, value, bits, key);
  e.kind.fija = true;
  e.fraccion = fraction;
  return e;
}
Exercise Read(System s, const char* bits, const char* key, int fraction = 3) {
  Exercise e =
      test::Integer(Operation::kInterpret, s, bits, static_cast<int>(std::strlen(bits)), key);
  e.kind.fija = true;
  e.fraccion = fraction;
  return e;
}

TEST(FixedAnswerTest, AcceptedForms) {
  const Exercise write = Write(System::kTwos, "9.75", "01001110");
  const Exercise read = Read(System::kTwos, "10001111", "-14.125");
  const Exercise whole = Read(System::kNatural, "10000", "4", 2);
  const Exercise too_big = Write(System::kTwos, "20", "Fuera de Rango");
  const struct {
    const Exercise& e;
    const char* answer;
  } cases[] = {
      {write, "01001110"}, {write, "0100 1110"}, {write, "0x4E"},
      {read, "-14.125"},   {read, "-14,125"},    {read, " -14.1250 "},
      {whole, "4"},        {whole, "4,00"},      {too_big, "fuera de rango"},
  };
  for (const auto& c : cases) {
    const exercises::Verdict v = CheckAnswer(c.e, c.answer);
    EXPECT_TRUE(v.correcta) << c.answer << ": " << v.diagnostico;
  }
  EXPECT_TRUE(CheckAnswer(write, "78").repetir);  // a number where bits are asked
}

// The usual mistakes, each with its code and the words that explain it.
TEST(FixedAnswerTest, MistakesAreNamed) {
  const Exercise c2 = Write(System::kTwos, "9.75", "01001110");
  const Exercise minus = Write(System::kTwos, "-9.75", "10110010");       // -78
  const Exercise cut = Write(System::kTwos, "9.95", "01001111");          // 79.6 -> 79
  const Exercise cut_minus = Write(System::kTwos, "-9.9", "10110001");    // -79.2 -> -79
  const Exercise too_big = Write(System::kTwos, "20", "Fuera de Rango");  // -16 to 15.875
  const Exercise read = Read(System::kTwos, "10001111", "-14.125");
  const struct {
    const Exercise& e;
    const char* answer;
    const char* code;
    const char* said;
  } cases[] = {
      {c2, "00001001", "fija_sin_escalar", "multiplica por 2^3 (9.75 × 2^3 = 78)"},
      {cut, "01010000", "fija_redondeo", "se truncan"},              // 80, to nearest
      {cut_minus, "10110000", "fija_redondeo", "redondeado a -80"},  // down, not toward zero
      {minus, "10110001", "c2_falta_sumar_1", "-9.75 × 2^3 = -78"},
      {minus, "11001110", "otro_sistema", "signo-magnitud"},
      {minus, "01001110", "c2_sin_complementar", "Falta invertir los bits y sumar 1"},
      {c2, "10110010", "signo_cambiado", "signo cambiado"},
      {c2, "01110010", "orden_inverso", "orden inverso"},
      {c2, "1001110", "longitud", "Tiene 7 bits; se piden 8."},
      {too_big, "10100000", "no_cabe", "de -16 a 15.875"},
      {c2, "Fuera de Rango", "cabe", "de -16 a 15.875"},
      {read, "-113", "fija_sin_escalar", "falta dividir entre 2^3"},
      {read, "-14", "otro_sistema", "complemento a uno"},
      {read, "17.875", "otro_sistema", "binario natural"},
      {read, "-1.875", "otro_sistema", "signo-magnitud"},
      {read, "14.125", "signo_cambiado", "signo cambiado"},
      {read, "10001111", "cadena_por_valor", "en decimal"},
      {read, "fuera de rango", "fuera_de_rango_al_leer", "no hay «fuera de rango»"},
      {read, "-14.1x", "no_es_numero", "no es un número"},
  };
  std::set<std::string> known;
  for (const exercises::ErrorCode& c : exercises::ErrorCodes()) known.insert(c.code);
  for (const auto& c : cases) {
    const exercises::Verdict v = CheckAnswer(c.e, c.answer);
    EXPECT_FALSE(v.correcta) << c.answer;
    EXPECT_EQ(v.error, c.code) << c.e.dato << " answered " << c.answer << ": " << v.diagnostico;
    EXPECT_EQ(known.count(v.error), 1u) << v.error;
    EXPECT_NE(v.diagnostico.find(c.said), std::string::npos)
        << c.e.dato << " answered " << c.answer << ": " << v.diagnostico;
  }
}

// The sheets' own keys score full in a practice round.
TEST(FixedAnswerTest, TheKeysAreRight) {
  for (const Exercise& e : exercises::Generate(FixedOptions(12, 80, 3))) {
    EXPECT_TRUE(CheckAnswer(e, e.respuesta).correcta) << e.enunciado << " " << e.respuesta;
  }
}

}  // namespace
}  // namespace repbin
