// Practice rounds: every key accepted in every form, the typical mistakes named, the same
// exercises as the sheet, the record file, and the command line.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "exercise_cases.h"
#include "exercises/answer_check.h"
#include "exercises/exercise_sheet.h"
#include "program/program.h"

namespace repbin {
namespace {

using exercises::CheckAnswer;
using exercises::Exercise;
using exercises::Operation;
using ops::System;
using test::Float;
using test::Integer;

const Operation kWrite = Operation::kRepresent;
const Operation kRead = Operation::kInterpret;
const FloatFormat kIeee32 = *FindPreset("ieee32");
const FloatFormat kIeee16 = *FindPreset("ieee16");
// Mantissa, exponent (excess 3), sign, from the left: 1.5 is 1000 011 0.
const FloatFormat kMantissaFirst{8, 3, 4, 0, 7, 3, 3, 0, 1};

// The keys below are written by hand from the systems' definitions, not by the program.
TEST(AnswerCheckTest, AcceptedForms) {
  const struct {
    Exercise e;
    const char* answer;
  } cases[] = {
      {Integer(kWrite, System::kTwos, "-5", 8, "11111011"), "1111 1011"},
      {Integer(kWrite, System::kTwos, "-5", 8, "11111011"), " 1111_1011 "},
      {Integer(kWrite, System::kTwos, "-5", 8, "11111011"), "1111.1011"},
      {Integer(kWrite, System::kTwos, "-5", 8, "11111011"), "0xfb"},
      {Integer(kWrite, System::kNatural, "300", 8, "Fuera de Rango"), "fuera de rango"},
      {Integer(kWrite, System::kNatural, "300", 8, "Fuera de Rango"), "FUERA-DE-RANGO."},
      {Integer(kWrite, System::kNatural, "300", 8, "Fuera de Rango"), "Fuera de r\xC3\xA1ngo"},
      {Integer(kWrite, System::kNatural, "300", 8, "Fuera de Rango"), "fu\x82ra de rango"},
      {Integer(kRead, System::kOnes, "11111010", 8, "-5"), "-005"},
      {Integer(kRead, System::kOnes, "00000000", 8, "0"), "-0"},
      {Integer(kRead, System::kNatural, "0101", 4, "5"), "+5"},
      {Float(kWrite, kIeee32, "5.375", "01000000101011000000000000000000"), "0x40AC0000"},
      {Float(kWrite, kIeee32, "5.375", "01000000101011000000000000000000"), "0x40ac_0000"},
      {Float(kWrite, kIeee32, "5.375", "01000000101011000000000000000000"),
       "0 10000001 01011000000000000000000"},
      {Float(kWrite, kIeee16, "5.375", "0100010101100000"), "0x4560"},
      {Float(kRead, kIeee32, "01000000101011000000000000000000", "5.375000"), "5,375"},
      // Within half a unit of the sixth decimal, on either side.
      {Float(kRead, kIeee32, "00111101110011001100110011001100", "0.100000"), "0.1000004"},
      {Float(kRead, kIeee32, "00111101110011001100110011001100", "0.100000"), "0.0999996"},
      // 4.1640625 = 4 + 21/128 lies halfway: both roundings are right.
      {Float(kRead, kIeee32, "01000000100001010100000000000000", "4.164062"), "4.164062"},
      {Float(kRead, kIeee32, "01000000100001010100000000000000", "4.164062"), "4.164063"},
      {Float(kRead, kIeee32, "01000000100001010100000000000000", "4.164062"), "4,1640625"},
  };
  for (const auto& c : cases) {
    const exercises::Verdict v = CheckAnswer(c.e, c.answer);
    EXPECT_TRUE(v.correcta) << c.answer << ": " << v.diagnostico;
    EXPECT_EQ(v.diagnostico, "");
  }
  // Just beyond the tolerance, and forms that are not answers.
  const Exercise reading = Float(kRead, kIeee32, "00111101110011001100110011001100", "0.100000");
  EXPECT_FALSE(CheckAnswer(reading, "0.1000006").correcta);
  // Past the tie, wrong, and no other reading of a positive value's mantissa is named.
  const exercises::Verdict past = CheckAnswer(
      Float(kRead, kIeee32, "01000000100001010100000000000000", "4.164062"), "4.1640631");
  EXPECT_FALSE(past.correcta);
  EXPECT_EQ(past.diagnostico.find("mantisa"), std::string::npos) << past.diagnostico;
  EXPECT_FALSE(CheckAnswer(reading, "0.1x").correcta);
  EXPECT_FALSE(
      CheckAnswer(Integer(kWrite, System::kTwos, "-5", 8, "11111011"), "0b11111011").correcta);
}

// Each mistake a student typically makes, and the words that must name it.
TEST(AnswerCheckTest, TypicalMistakesAreNamed) {
  const Exercise c2 = Integer(kWrite, System::kTwos, "-5", 8, "11111011");
  const Exercise c1 = Integer(kWrite, System::kOnes, "-5", 8, "11111010");
  const Exercise sm = Integer(kWrite, System::kSignMagnitude, "-5", 8, "10000101");
  const Exercise excess = Integer(kWrite, System::kExcess, "3", 8, "10000010", 127);
  const Exercise natural = Integer(kWrite, System::kNatural, "6", 8, "00000110");
  const Exercise too_big = Integer(kWrite, System::kNatural, "300", 8, "Fuera de Rango");
  const Exercise read_c1 = Integer(kRead, System::kOnes, "11111010", 8, "-5");
  const Exercise read_c2 = Integer(kRead, System::kTwos, "11111011", 8, "-5");
  const Exercise read_excess = Integer(kRead, System::kExcess, "10000010", 8, "3", 127);
  const Exercise f32 = Float(kWrite, kIeee32, "5.375", "01000000101011000000000000000000");
  const Exercise tenth = Float(kWrite, kIeee32, "0.1", "00111101110011001100110011001100");
  const Exercise minus = Float(kWrite, kIeee32, "-5.375", "11000000101011000000000000000000");
  const Exercise own = Float(kWrite, kMantissaFirst, "1.5", "10000110");
  const Exercise read16 = Float(kRead, kIeee16, "0100010101100000", "5.375000");
  const struct {
    const Exercise& e;
    const char* answer;
    std::vector<const char*> said;
  } cases[] = {
      // Complements: the +1 forgotten, the inversion forgotten, both, or added to one's.
      {c2, "11111010", {"11111010 en complemento a dos vale -6, no -5.", "falta sumar 1"}},
      {c2, "00000110", {"sin invertir sus bits"}},
      {c2, "00000101", {"Falta invertir los bits y sumar 1"}},
      {c1, "11111011", {"11111011 en complemento a uno vale -4, no -5.", "solo se invierten"}},
      {c1, "00000101", {"Falta invertir los bits"}},
      // The sign, another system, the bits backwards, the length.
      {sm, "00000101", {"signo cambiado"}},
      {sm, "11111011", {"Esa cadena es -5 en complemento a dos; se pedía signo-magnitud."}},
      {natural, "01100000", {"orden inverso"}},
      {c2, "1111011", {"Tiene 7 bits; se piden 8."}},
      {natural, "110", {"Tiene 3 bits; se piden 8.", "Faltan los ceros de la izquierda"}},
      // The excess: missing, subtracted, the other usual one.
      {excess, "00000011", {"Falta sumar el exceso 127"}},
      {excess, "10000011", {"Ha sumado 128 en vez del exceso, 127."}},
      // Range.
      {too_big, "100101100", {"300 no cabe: con 8 bits, binario natural va de 0 a 255"}},
      {c2, "fuera de rango", {"-5 sí cabe: con 8 bits, complemento a dos va de -128 a 127."}},
      // Readings: another system's, another excess, the sign, a bit string for a number.
      {read_c1, "-6", {"vale -5, no -6.", "-6 es la lectura en complemento a dos; se pedía"}},
      {read_c1, "250", {"250 es la lectura en binario natural"}},
      {read_excess, "130", {"falta restar el exceso 127"}},
      {read_excess, "2", {"2 es la lectura en exceso 128; se pedía exceso 127."}},
      {read_c2, "5", {"signo cambiado"}},
      {read_c2, "11111011", {"en decimal"}},
      {read_c2, "cinco", {"no es un número entero"}},
      // Floating point, field by field.
      {f32,
       "0 00000010 01011000000000000000000",
       {"El signo está bien. El exponente 00000010 codifica -125; el correcto es 10000001 (2).",
        "Falta sumarle el exceso 127.", "La mantisa está bien."}},
      {f32, "1 10000001 01011000000000000000000", {"El signo está mal: el valor es positivo"}},
      {minus, "0 10000001 01011000000000000000000", {"El signo está mal: el valor es negativo"}},
      {f32, "0 10000010 01011000000000000000000", {"codifica 3", "Difiere en uno"}},
      {f32, "0 10000001 10101100000000000000000", {"Ha guardado el bit implícito"}},
      {f32, "0 10000001 0101100000000000000000", {"Tiene 31 bits; el formato tiene 32."}},
      {tenth, "0x3DCCCCCD", {"redondeada hacia arriba"}},
      {own,
       "0 011 1000",
       {"orden signo, exponente, mantisa", "la mantisa, el exponente y el signo"}},
      {f32, "0x140AC0000", {"no cabe en 32 bits: necesita 33"}},
      {f32, "0x40AG0000", {"Cadena no válida: «0x40AG0000»; tras 0x van cifras"}},
      // Floating-point readings: the exercise's string read another way.
      {read16, "-5.375", {"signo cambiado"}},
      {read16, "176128", {"sin restar el exceso 15"}},
      {read16, "2.6875", {"con exceso 16"}},
      {read16, "1.375", {"normalización 0'M"}},
      {read16, "10.75", {"multiplicado por 2^1"}},
  };
  for (const auto& c : cases) {
    const exercises::Verdict v = CheckAnswer(c.e, c.answer);
    EXPECT_FALSE(v.correcta) << c.answer;
    for (const char* words : c.said) {
      EXPECT_NE(v.diagnostico.find(words), std::string::npos)
          << c.e.dato << " answered " << c.answer << ": " << v.diagnostico;
    }
  }
  // The fields marked for the picture.
  const exercises::Verdict v = CheckAnswer(f32, "1 00000010 01011000000000000000000");
  ASSERT_TRUE(v.campos.has_value());
  EXPECT_FALSE(v.campos->sign);
  EXPECT_FALSE(v.campos->exponent);
  EXPECT_TRUE(v.campos->mantissa);
}

// --- The command --------------------------------------------------------------------------------

std::vector<nlohmann::json> Lines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++n;
  }
  return n;
}

// Answered with the sheet's own keys, every exercise of several rounds is right, in the sheet's
// order; the keys of a float pattern also count in hexadecimal.
TEST(PracticeCommandTest, TheSheetsKeysScoreFull) {
  const std::vector<std::vector<std::string>> options = {
      {"-n", "30", "--semilla", "1"},
      {"-n", "30", "--semilla", "77"},
      {"-n", "20", "--semilla", "5", "--tipos", "c2,c1,exceso", "-b", "6"},
      {"-n", "20", "--semilla", "9", "--tipos", "flotante", "-f", "ieee16", "--norma", "0M"},
  };
  for (const std::vector<std::string>& o : options) {
    std::vector<std::string> sheet = {"ejercicios", "--salida", "json"};
    sheet.insert(sheet.end(), o.begin(), o.end());
    const std::vector<nlohmann::json> exercises = Lines(RunProgramOnText(sheet, "").out);
    std::string answers;
    for (const nlohmann::json& e : exercises) answers += e["respuesta"].get<std::string>() + "\n";
    std::vector<std::string> round = {"practicar", "--utf8"};
    round.insert(round.end(), o.begin(), o.end());
    const Transcript t = RunProgramOnText(round, answers, out::Encoding::kUtf8);
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(Count(t.out, "\nCorrecto\n"), exercises.size()) << t.out;
    const std::string n = std::to_string(exercises.size());
    EXPECT_NE(t.out.find("\nTotal: " + n + " de " + n + "\n"), std::string::npos);
    // The statements come in the sheet's order.
    std::size_t at = 0;
    for (const nlohmann::json& e : exercises) {
      at = t.err.find(". " + e["enunciado"].get<std::string>() + "\nRespuesta: ", at);
      ASSERT_NE(at, std::string::npos) << e["enunciado"];
    }
  }
}

TEST(PracticeCommandTest, VerdictsSkipsAndTheEndOfTheRound) {
  // c2 -5 in 8 bits is the first exercise of this round (checked below).
  const std::vector<std::string> args = {"practicar", "--semilla",      "3",  "-n", "5",
                                         "--tipos",   "c2,representar", "-b", "8",  "--utf8"};
  const Transcript first = RunProgramOnText(args, "", out::Encoding::kUtf8);
  EXPECT_EQ(first.status, 0);
  EXPECT_NE(first.out.find("Total: 0 de 0\n"), std::string::npos) << "end of input at once";
  const std::string sheet = RunProgramOnText({"ejercicios", "--semilla", "3", "-n", "5", "--tipos",
                                              "c2,representar", "-b", "8", "--salida", "json"},
                                             "")
                                .out;
  const std::vector<nlohmann::json> e = Lines(sheet);
  const std::string key = e[0]["respuesta"];
  const Transcript t =
      RunProgramOnText(args, key + "\n?\n\n11\nq\n" + key + "\n", out::Encoding::kUtf8);
  EXPECT_EQ(t.status, 0);
  EXPECT_EQ(Count(t.out, "\nCorrecto\n"), 1u);
  EXPECT_EQ(Count(t.out, "\nSin responder.\nSolución: "), 2u);
  EXPECT_NE(t.out.find("Incorrecto. Tiene 2 bits; se piden 8."), std::string::npos);
  // Each wrong or skipped answer shows the solution and its whole trace.
  EXPECT_NE(t.out.find("Solución: " + e[3]["respuesta"].get<std::string>() + "\n" +
                       e[3]["traza"].get<std::string>()),
            std::string::npos);
  // "q" ends the round before the fifth exercise: four posed.
  EXPECT_NE(t.out.find("Representación en complemento a dos: 1 de 4\nTotal: 1 de 4 (2 sin "
                       "responder)\nSemilla 3; para repetir esta ronda: repbin practicar "),
            std::string::npos)
      << t.out;
  EXPECT_EQ(Count(t.err, "\nRespuesta: "), 5u);
  EXPECT_EQ(t.out.find("Respuesta: "), std::string::npos) << "questions stay on standard error";
}

TEST(PracticeCommandTest, AmpliadoShowsTheHandMethodOfFloatingPoint) {
  // After every verdict of a floating-point conversion, right or not, its method; whatever the
  // answer, its last line ends with the key. Integer exercises keep their verdicts alone.
  const std::vector<std::string> args = {"practicar", "--semilla",  "3",           "-n",
                                         "6",         "--tipos",    "flotante,c2", "-b",
                                         "8",         "--ampliado", "--utf8"};
  std::vector<std::string> sheet_args = {"ejercicios", "--semilla", "3",           "-n",
                                         "6",          "--tipos",   "flotante,c2", "-b",
                                         "8",          "--salida",  "json"};
  const std::vector<nlohmann::json> e = Lines(RunProgramOnText(sheet_args, "").out);
  ASSERT_EQ(e.size(), 6u);
  std::string answers;
  std::size_t floating = 0;
  for (std::size_t i = 0; i < e.size(); ++i) {
    answers += i % 2 == 0 ? e[i]["respuesta"].get<std::string>() + "\n" : "?\n";
    floating += e[i]["tipo"].get<std::string>().find("flotante") != std::string::npos ? 1U : 0U;
  }
  ASSERT_GT(floating, 0u);
  ASSERT_LT(floating, e.size());
  const Transcript t = RunProgramOnText(args, answers, out::Encoding::kUtf8);
  EXPECT_EQ(t.status, 0);
  EXPECT_EQ(Count(t.out, "\n Método a mano:\n"), floating) << t.out;
  for (const nlohmann::json& exercise : e) {
    if (exercise["tipo"].get<std::string>().find("representar-flotante") == std::string::npos) {
      continue;
    }
    EXPECT_NE(t.out.find(": " + exercise["respuesta"].get<std::string>() + "\n\nEjercicio"),
              std::string::npos)
        << "the method of " << exercise["dato"] << " ends with its pattern";
  }
  // Without the option, no method.
  sheet_args.assign(args.begin(), args.end() - 2);
  EXPECT_EQ(RunProgramOnText(sheet_args, answers, out::Encoding::kUtf8).out.find("Método a mano"),
            std::string::npos);
}

TEST(PracticeCommandTest, RecordFileHasOneObjectPerAnswer) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("repbin_registro_" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::remove(path);
  const std::vector<std::string> args = {"practicar", "--semilla",  "12",         "-n",
                                         "4",         "--registro", path.string()};
  // Twice: the second round appends.
  RunProgramOnText(args, "1\n?\n0x3F800000\n\xA2\n");
  const Transcript t = RunProgramOnText(args, "fuera de rango\n");
  EXPECT_EQ(t.status, 0);
  std::stringstream text;
  {
    std::ifstream file(path);  // closed before the file is removed (Windows refuses otherwise)
    text << file.rdbuf();
  }
  std::filesystem::remove(path);
  const std::vector<nlohmann::json> records = Lines(text.str());
  ASSERT_EQ(records.size(), 5u);
  const char* keys[] = {"ejercicio", "tipo",     "orden",       "enunciado", "respuesta_alumno",
                        "respuesta", "correcta", "diagnostico", "semilla",   "instante"};
  for (const nlohmann::json& r : records) {
    for (const char* k : keys) EXPECT_TRUE(r.contains(k)) << k << " in " << r.dump();
    EXPECT_TRUE(r["correcta"].is_boolean());
    EXPECT_TRUE(r["orden"].is_array());
    EXPECT_EQ(r["semilla"], 12);
    EXPECT_EQ(r["instante"].get<std::string>().size(), 20u);  // 2026-12-07T16:15:25Z
  }
  EXPECT_EQ(records[1]["respuesta_alumno"], "?");
  EXPECT_EQ(records[1]["correcta"], false);
  EXPECT_EQ(records[4]["ejercicio"], 1);
  EXPECT_EQ(records[3]["respuesta_alumno"], "\xEF\xBF\xBD") << "a code page 850 byte, replaced";
}

// The page keeps the console's records: the same round answered the same way gives the same
// objects, but for the moment and the round's id, the page's own.
TEST(PracticeRoundTest, PageRecordsAreTheConsoles) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("repbin_registro_pagina_" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  const std::vector<std::string> round = {"--semilla", "12", "-n", "5", "--alumno", "Ana Ruiz"};
  const std::string key =
      nlohmann::json::parse(PracticeExerciseJson(round, 3))["respuesta"].get<std::string>();
  const std::vector<std::string> answers = {"0x3F800000", "?", " " + key, "", "fuera de rango"};
  std::vector<std::string> args = {"practicar", "--registro", path.string()};
  args.insert(args.end(), round.begin(), round.end());
  std::string typed;
  for (const std::string& a : answers) typed += a + "\n";
  ASSERT_EQ(RunProgramOnText(args, typed).status, 0);
  std::stringstream text;
  {
    std::ifstream file(path);
    text << file.rdbuf();
  }
  std::filesystem::remove(path);
  const std::vector<nlohmann::json> console = Lines(text.str());
  ASSERT_EQ(console.size(), answers.size());
  std::set<std::string> estados;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    nlohmann::json page = nlohmann::json::parse(
        PracticeRecordJson(round, static_cast<int>(i) + 1, answers[i], "pagina-1"));
    EXPECT_EQ(page["ronda"], "pagina-1");
    EXPECT_EQ(page["alumno"], "Ana Ruiz");
    estados.insert(page["estado"].get<std::string>());
    nlohmann::json expected = console[i];
    for (nlohmann::json* r : {&page, &expected}) {
      r->erase("instante");
      r->erase("ronda");
    }
    EXPECT_EQ(page, expected) << i;
  }
  EXPECT_EQ(estados.size(), 3u) << "right, wrong and unanswered all met";
  // Without --alumno the record names nobody; a name the console refuses, the page refuses.
  EXPECT_TRUE(nlohmann::json::parse(PracticeRecordJson({"--semilla", "1"}, 1, "0", "r"))["alumno"]
                  .is_null());
  EXPECT_TRUE(nlohmann::json::parse(PracticeRoundJson({"--alumno", "a\tb"})).contains("error"));
  EXPECT_TRUE(nlohmann::json::parse(PracticeRoundJson({"--alumno", "Ana"})).contains("ronda"));
}

TEST(PracticeCommandTest, UsageErrors) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"practicar", "--registro"}, "falta el valor de --registro"},
      {{"practicar", "--registro="}, "--registro espera el nombre de un fichero"},
      {{"practicar", "--salida", "json"}, "opción desconocida: --salida"},
      {{"practicar", "-n", "0"}, "-n espera un número de ejercicios entre 1 y 100000, no «0»"},
      {{"practicar", "--registro", "/no/such/folder/r.jsonl"}, "no se puede abrir"},
  };
  for (const auto& c : cases) {
    const Transcript t = RunProgramOnText(c.args, "", out::Encoding::kUtf8);
    EXPECT_EQ(t.status, 2) << c.message;
    EXPECT_EQ(t.out, "");
    EXPECT_NE(t.err.find(c.message), std::string::npos) << t.err;
  }
  const Transcript help = RunProgramOnText({"practicar", "--help"}, "", out::Encoding::kUtf8);
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Uso: repbin practicar", 0), 0u);
}

// Rounds drawn one exercise at a time give the sheet's exercises, in its order, also when the
// options run out of different exercises before the count.
TEST(PracticeRoundTest, DrawnAsAskedLikeTheSheet) {
  const struct {
    const char* name;
    std::vector<std::string> args;
  } cases[] = {
      {"mixed", {"practicar", "-n", "40", "--semilla", "1"}},
      {"hard", {"practicar", "-n", "30", "--semilla", "42", "--dificultad", "3"}},
      {"inexact",
       {"practicar", "-n", "30", "--semilla", "9", "--inexactos", "--tipos", "flotante"}},
      {"own layout",
       {"practicar", "-n", "20", "--semilla", "12", "--bits-flotante", "12", "--exp", "4"}},
      {"runs out", {"practicar", "-n", "50", "--semilla", "5", "--tipos", "natural", "-b", "2"}},
  };
  for (const auto& c : cases) {
    // The sheet of the same options, and the round, through the program.
    std::vector<std::string> sheet = c.args;
    sheet[0] = "ejercicios";
    sheet.insert(sheet.end(), {"--salida", "json"});
    const std::vector<nlohmann::json> want = Lines(RunProgramOnText(sheet, "").out);
    const Transcript round = RunProgramOnText(c.args, "", out::Encoding::kUtf8);
    ASSERT_FALSE(want.empty()) << c.name;
    // With no answers the round poses its first exercise only; the page's round, drawn one
    // exercise at a time, gives them all and no more.
    const std::vector<std::string> options(c.args.begin() + 1, c.args.end());
    const nlohmann::json page = nlohmann::json::parse(PracticeRoundJson(options));
    EXPECT_EQ(page["total"], want.size()) << c.name;
    EXPECT_NE(round.err.find(want[0]["enunciado"].get<std::string>()), std::string::npos) << c.name;
    for (std::size_t i = 0; i <= want.size(); ++i) {
      const int numero = static_cast<int>(i) + 1;
      const nlohmann::json e = nlohmann::json::parse(PracticeExerciseJson(options, numero));
      if (i == want.size()) {
        EXPECT_EQ(e["error"], "no hay ejercicio " + std::to_string(numero)) << c.name;
        break;
      }
      EXPECT_EQ(e["enunciado"], want[i]["enunciado"]) << c.name << " " << i;
      EXPECT_EQ(e["traza"], want[i]["traza"]) << c.name << " " << i;
      // The page's verdict on the sheet's own key.
      const nlohmann::json verdict = nlohmann::json::parse(
          PracticeVerdictJson(options, numero, want[i]["respuesta"].get<std::string>()));
      EXPECT_EQ(verdict["correcta"], true) << c.name << " " << i << verdict.dump();
    }
  }
}

// The page asks for verdicts in any order, and on several rounds: each on its own exercise.
TEST(PracticeRoundTest, PageVerdictsInAnyOrder) {
  const std::vector<std::string> a = {"--semilla", "3", "-n", "12"};
  const std::vector<std::string> b = {"--semilla", "4", "-n", "12", "--tipos", "c2"};
  // Each round's exercises, asked for in order before any verdict.
  const auto exercises = [](const std::vector<std::string>& args) {
    nlohmann::json list = nlohmann::json::array();
    for (int numero = 1; numero <= 12; ++numero) {
      list.push_back(nlohmann::json::parse(PracticeExerciseJson(args, numero)));
    }
    return nlohmann::json{{"ejercicios", list}};
  };
  const nlohmann::json round_a = exercises(a);
  const nlohmann::json round_b = exercises(b);
  const struct {
    const std::vector<std::string>* args;
    const nlohmann::json* round;
    int numero;
  } asked[] = {{&a, &round_a, 5},  {&a, &round_a, 5},  {&a, &round_a, 2}, {&b, &round_b, 12},
               {&a, &round_a, 12}, {&b, &round_b, 1},  {&a, &round_a, 1}, {&a, &round_a, 7},
               {&b, &round_b, 6},  {&b, &round_b, 13}, {&a, &round_a, 0}, {&a, &round_a, 3}};
  for (const auto& q : asked) {
    const std::size_t i = static_cast<std::size_t>(q.numero - 1);
    const bool exists = q.numero >= 1 && i < (*q.round)["ejercicios"].size();
    const std::string key =
        exists ? (*q.round)["ejercicios"][i]["respuesta"].get<std::string>() : std::string("0");
    const nlohmann::json verdict =
        nlohmann::json::parse(PracticeVerdictJson(*q.args, q.numero, key));
    if (exists) {
      EXPECT_EQ(verdict["correcta"], true) << q.numero << verdict.dump();
    } else {
      EXPECT_EQ(verdict["error"], "no hay ejercicio " + std::to_string(q.numero));
    }
  }
  // A NUL in the answer shows in the diagnosis as the console writes it.
  const nlohmann::json nul =
      nlohmann::json::parse(PracticeVerdictJson(a, 1, std::string_view("1\0x", 3)));
  EXPECT_NE(nul["diagnostico"].get<std::string>().find("1\\0x"), std::string::npos) << nul.dump();
  // A wrong answer is a verdict, never the page's sign of a request without an answer.
  EXPECT_FALSE(nul.contains("error")) << nul.dump();
}

#ifndef _WIN32
// Rounds run at once by several processes append long records to one file: no line is torn,
// and every record is there.
TEST(PracticeCommandTest, ConcurrentRoundsKeepWholeLines) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("repbin_concurrente_" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::remove(path);
  constexpr int kRounds = 8;
  constexpr int kExercises = 150;
  constexpr std::size_t kAnswer = 5000;  // bits: each record repeats it, well over 4 KiB
  std::string answers;
  for (int i = 0; i < kExercises; ++i)
    answers += std::string(kAnswer, i % 2 == 0 ? '1' : '0') + "\n";
  // The rounds wait for one another, then all start at once.
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> children;
  for (int r = 0; r < kRounds; ++r) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(start[1]);
      char go = 0;
      while (read(start[0], &go, 1) > 0) {
      }
      const Transcript t =
          RunProgramOnText({"practicar", "--semilla", std::to_string(100 + r), "-n",
                            std::to_string(kExercises), "--registro", path.string()},
                           answers);
      _exit(t.status);
    }
    children.push_back(child);
  }
  close(start[0]);
  close(start[1]);  // the end of the pipe: every round goes
  for (const pid_t child : children) {
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::stringstream text;
  {
    std::ifstream file(path);
    text << file.rdbuf();
  }
  std::filesystem::remove(path);
  std::set<std::pair<int, int>> seen;  // (seed, exercise)
  std::istringstream lines(text.str());
  std::size_t longest = 0;
  for (std::string line; std::getline(lines, line);) {
    longest = std::max(longest, line.size());
    const nlohmann::json r = nlohmann::json::parse(line, nullptr, false);
    ASSERT_FALSE(r.is_discarded()) << line.substr(0, 200);
    EXPECT_EQ(r["respuesta_alumno"].get<std::string>().size(), 4096u);
    EXPECT_EQ(r["longitud_respuesta_alumno"], kAnswer);
    EXPECT_TRUE(seen.insert({r["semilla"].get<int>(), r["ejercicio"].get<int>()}).second);
  }
  EXPECT_EQ(seen.size(), std::size_t{kRounds} * kExercises);
  EXPECT_GT(longest, std::size_t{4096});
}
#endif

}  // namespace
}  // namespace repbin
