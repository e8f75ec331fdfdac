// A class's use of the exercises: student pages that do not give their key away, records that
// name the student and code each mistake, and the class report read from those records.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "exercise_cases.h"
#include "exercises/answer_check.h"
#include "exercises/class_report.h"
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

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::stringstream text;
  std::ifstream file(path, std::ios::binary);
  text << file.rdbuf();
  return text.str();
}

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("repbin_" + name + "_" +
          std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
}

// --- Student pages ------------------------------------------------------------------------------

// Every form of a student's page, with and without variants and points: neither the seed nor a
// command that would print the key; the key, when asked for, says both, after the last question.
TEST(StudentPagesTest, SayNeitherTheSeedNorTheCommand) {
  const std::vector<std::vector<std::string>> extras = {
      {}, {"--variantes", "3"}, {"--puntos", "--titulo", "Examen"}, {"--dificultad", "3"}};
  for (const char* form : {"texto", "markdown", "html"}) {
    for (const std::vector<std::string>& extra : extras) {
      std::vector<std::string> args = {"ejercicios", "-n",       "6", "--semilla",
                                       "1002",       "--salida", form};
      args.insert(args.end(), extra.begin(), extra.end());
      const Transcript sheet = RunProgramOnText(args, "", out::Encoding::kUtf8);
      ASSERT_EQ(sheet.status, 0) << sheet.err;
      EXPECT_EQ(Lower(sheet.out).find("semilla"), std::string::npos) << form << sheet.out;
      EXPECT_EQ(sheet.out.find("repbin "), std::string::npos) << form;
      EXPECT_EQ(sheet.err, "") << "a seed given is the teacher's already";

      args.push_back("--soluciones");
      const Transcript keyed = RunProgramOnText(args, "", out::Encoding::kUtf8);
      const std::size_t seed = keyed.out.find("Semilla 1002; para crear de nuevo esta hoja:");
      ASSERT_NE(seed, std::string::npos) << form;
      EXPECT_NE(keyed.out.find("repbin ejercicios -n 6 --semilla 1002", seed), std::string::npos);
      // The student's pages are the start of the keyed sheet, up to where the key begins.
      const std::string pages = keyed.out.substr(0, seed);
      EXPECT_EQ(Lower(pages).find("semilla"), std::string::npos) << form;
      EXPECT_EQ(pages.find("repbin "), std::string::npos) << form;
    }
  }
}

// --clave writes the seed line alone, and running the command it names prints the same key as
// asking for it with the sheet; a seed the program chose reaches the teacher by standard error.
TEST(StudentPagesTest, KeyFileAndChosenSeed) {
  const std::filesystem::path path = TempPath("clave");
  const Transcript sheet = RunProgramOnText(
      {"ejercicios", "-n", "4", "--variantes", "2", "--clave", path.string(), "--salida", "html"},
      "", out::Encoding::kUtf8);
  ASSERT_EQ(sheet.status, 0) << sheet.err;
  EXPECT_EQ(sheet.err, "") << "the seed went to the key file";
  const std::string line = ReadAll(path);
  std::filesystem::remove(path);
  const std::string lead = "; para crear de nuevo esta hoja: repbin ";
  ASSERT_EQ(line.rfind("Semilla ", 0), 0u) << line;
  ASSERT_NE(line.find(lead), std::string::npos) << line;
  ASSERT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
  std::vector<std::string> words;
  std::istringstream command(line.substr(line.find(lead) + lead.size()));
  for (std::string word; command >> word;) words.push_back(word);
  EXPECT_EQ(std::count(words.begin(), words.end(), "--clave"), 0);
  const Transcript key = RunProgramOnText(words, "", out::Encoding::kUtf8);
  ASSERT_EQ(key.status, 0) << key.err;
  // The student pages are those of the sheet, and the key follows them.
  const std::size_t end_of_pages = sheet.out.find("</body>");
  ASSERT_NE(end_of_pages, std::string::npos);
  EXPECT_EQ(key.out.substr(0, end_of_pages), sheet.out.substr(0, end_of_pages));
  EXPECT_NE(key.out.find("Soluciones de la variante B"), std::string::npos);

  const Transcript chosen = RunProgramOnText({"ejercicios", "-n", "2"}, "", out::Encoding::kUtf8);
  EXPECT_EQ(chosen.status, 0);
  EXPECT_EQ(Lower(chosen.out).find("semilla"), std::string::npos);
  EXPECT_EQ(chosen.err.rfind("repbin ejercicios: Semilla ", 0), 0u) << chosen.err;
  EXPECT_NE(chosen.err.find("--soluciones --semilla "), std::string::npos) << chosen.err;

  const Transcript unwritable = RunProgramOnText(
      {"ejercicios", "-n", "2", "--clave", "/no/such/folder/clave.txt"}, "", out::Encoding::kUtf8);
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_NE(unwritable.err.find("no se puede escribir la clave"), std::string::npos);
}

// Before the full solutions, each variant's answer table: every exercise's key (its bits in
// groups) and points, in the order of the JSON keys of the same sheet; and the working space.
TEST(StudentPagesTest, AnswerTablesAndWorkingSpace) {
  const std::vector<std::string> args = {"ejercicios",  "-n", "8",        "--semilla", "31",
                                         "--variantes", "3",  "--puntos", "--espacio", "3"};
  std::vector<std::string> json_args = args;
  json_args.insert(json_args.end(), {"--salida", "json"});
  std::vector<std::string> keyed = args;
  keyed.push_back("--soluciones");
  const Transcript json = RunProgramOnText(json_args, "", out::Encoding::kUtf8);
  const Transcript text = RunProgramOnText(keyed, "", out::Encoding::kUtf8);
  ASSERT_EQ(text.status, 0) << text.err;
  std::istringstream keys(json.out);
  std::size_t at = 0;
  for (std::string line; std::getline(keys, line);) {
    const nlohmann::json k = nlohmann::json::parse(line);
    const std::string variant = k["variante"];
    if (k["numero"] == 1) {
      at = text.out.find("\nRespuestas de la variante " + variant + "\n", at);
      ASSERT_NE(at, std::string::npos) << variant;
    }
    // " 3. 1110 1111  (1.25 puntos)": the row of exercise 3.
    const std::string number = std::to_string(k["numero"].get<int>());
    const std::size_t row =
        text.out.find("\n" + std::string(number.size() < 2 ? " " : "") + number + ". ", at);
    ASSERT_NE(row, std::string::npos);
    const std::size_t end = text.out.find('\n', row + 1);
    std::string cells = text.out.substr(row + 1, end - row - 1);
    const std::size_t points = cells.find("  (");
    ASSERT_NE(points, std::string::npos) << cells;
    EXPECT_NE(cells.find(" punto", points), std::string::npos) << cells;
    std::string answer = cells.substr(number.size() + 3, points - number.size() - 3);
    std::string key = k["respuesta"];
    std::erase(answer, ' ');
    std::erase(key, ' ');
    EXPECT_EQ(answer, key) << cells;
    at = end;
  }
  EXPECT_LT(at, text.out.find("\nSoluciones de la variante A\n"));
  // Three blank lines between each statement and its answer line.
  EXPECT_NE(text.out.find(".\n\n\n\n   Respuesta: "), std::string::npos);
  EXPECT_EQ(text.out.find(".\n\n\n\n\n   Respuesta: "), std::string::npos);

  // In the page, each part of the teacher's starts with its heading (a printed section starts
  // its page with it).
  keyed.insert(keyed.end(), {"--salida", "html"});
  const Transcript html = RunProgramOnText(keyed, "", out::Encoding::kUtf8);
  EXPECT_NE(html.out.find("<section class=\"respuestas\">\n<h1>Respuestas de la variante C</h1>"),
            std::string::npos);
  EXPECT_NE(html.out.find("<section class=\"soluciones\">\n<h1>Soluciones de la variante A</h1>"),
            std::string::npos);
  const Transcript refused =
      RunProgramOnText({"ejercicios", "--espacio", "41"}, "", out::Encoding::kUtf8);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("--espacio espera un número de líneas entre 0 y 40"),
            std::string::npos)
      << refused.err;
}

// --- Error codes --------------------------------------------------------------------------------

// The typical mistakes and the code a class report counts them under; a right answer has none.
TEST(ErrorCodeTest, TypicalMistakes) {
  const Operation w = Operation::kRepresent;
  const Operation r = Operation::kInterpret;
  const FloatFormat ieee32 = *FindPreset("ieee32");
  const FloatFormat ieee16 = *FindPreset("ieee16");
  const Exercise c2 = Integer(w, System::kTwos, "-5", 8, "11111011");
  const Exercise c1 = Integer(w, System::kOnes, "-5", 8, "11111010");
  const Exercise sm = Integer(w, System::kSignMagnitude, "-5", 8, "10000101");
  const Exercise excess = Integer(w, System::kExcess, "3", 8, "10000010", 127);
  const Exercise read_excess = Integer(r, System::kExcess, "10000010", 8, "3", 127);
  const Exercise read_c1 = Integer(r, System::kOnes, "11111010", 8, "-5");
  const Exercise too_big = Integer(w, System::kNatural, "300", 8, "Fuera de Rango");
  const Exercise f32 = Float(w, ieee32, "5.375", "01000000101011000000000000000000");
  const Exercise tenth = Float(w, ieee32, "0.1", "00111101110011001100110011001100");
  const Exercise read16 = Float(r, ieee16, "0100010101100000", "5.375000");
  const struct {
    const Exercise& e;
    const char* answer;
    const char* code;
  } cases[] = {
      {c2, "11111011", ""},
      {c2, "11111010", "c2_falta_sumar_1"},  // one's complement: inverted, 1 not added
      {c2, "00000110", "c2_sin_invertir"},
      {c2, "00000101", "c2_sin_complementar"},
      {c1, "11111011", "c1_sumado_1"},
      {sm, "00000101", "signo_cambiado"},
      {sm, "11111011", "otro_sistema"},  // -5 in two's complement
      {c2, "1111011", "longitud"},
      {c2, "fuera de rango", "cabe"},
      {c2, "11111o11", "cadena_no_valida"},
      {too_big, "100101100", "no_cabe"},
      {excess, "00000011", "exceso_sin_sumar"},
      {excess, "10000011", "exceso_equivocado"},  // excess 128
      {read_excess, "130", "exceso_sin_restar"},
      {read_c1, "-6", "otro_sistema"},  // the two's complement reading
      {read_c1, "11111010", "cadena_por_valor"},
      {read_c1, "cinco", "no_es_numero"},
      {f32, "0 00000010 01011000000000000000000", "exceso_sin_sumar"},
      {f32, "0 10000010 01011000000000000000000", "normalizacion"},
      {f32, "0 10000001 10101100000000000000000", "bit_implicito_guardado"},
      {f32, "1 10000001 01011000000000000000000", "signo"},
      {tenth, "0x3DCCCCCD", "redondeo"},
      {read16, "176128", "exceso_sin_restar"},
      {read16, "-5.375", "signo_cambiado"},
  };
  std::set<std::string> known;
  for (const exercises::ErrorCode& c : exercises::ErrorCodes()) {
    EXPECT_TRUE(known.insert(c.code).second) << "twice: " << c.code;
  }
  for (const auto& c : cases) {
    const exercises::Verdict v = CheckAnswer(c.e, c.answer);
    EXPECT_EQ(v.error, c.code) << c.e.dato << " answered " << c.answer << ": " << v.diagnostico;
    if (*c.code != '\0') {
      EXPECT_EQ(known.count(v.error), 1u) << v.error;
    }
  }
}

// Every code is listed in the manual page, which is where a teacher looks them up.
TEST(ErrorCodeTest, ListedInTheManualPage) {
  const std::string page = ReadAll(REPBIN_MANUAL_PAGE);
  ASSERT_FALSE(page.empty());
  for (const exercises::ErrorCode& c : exercises::ErrorCodes()) {
    EXPECT_NE(page.find(".B " + std::string(c.code) + "\n"), std::string::npos) << c.code;
  }
}

// --- Records and the class report ---------------------------------------------------------------

std::vector<nlohmann::json> RecordLines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
    if (!j.is_discarded()) lines.push_back(j);
  }
  return lines;
}

// A CSV reader written apart from the report's writer (RFC 4180: quoted fields, doubled quotes,
// CRLF line ends).
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        rows.back().back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        rows.back().back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      rows.emplace_back(1);
    } else {
      rows.back().back() += c;
    }
  }
  if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
  return rows;
}

// A name a spreadsheet would run as a formula goes into the CSV with a quote before it; the
// other reports keep it as it is.
TEST(ClassReportTest, CsvCellsAreNeverFormulas) {
  const struct {
    std::string name;
    bool guarded;
  } cases[] = {
      {"=HYPERLINK(\"http://x\",\"y\")", true},
      {"+34 600 000 000", true},
      {"-1+2", true},
      {"@SUM(A1)", true},
      {"\tTab", true},
      {"\r=1", true},
      {"'ya", false},
      {"Ana = Luis", false},
      {"María-José", false},
      {"", false},
  };
  exercises::ClassRecords records;
  for (const auto& c : cases) {
    records.AddLine(
        nlohmann::json{{"alumno", c.name}, {"tipo", "representar-c2"}, {"estado", "correcta"}}
            .dump());
  }
  const std::vector<std::vector<std::string>> rows = ReadCsv(exercises::ReportCsv(records));
  ASSERT_EQ(rows.size(), std::size(cases) + 1);
  std::set<std::string> names;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 5u);
    names.insert(rows[i][0]);
  }
  for (const auto& c : cases) {
    EXPECT_TRUE(names.count(c.guarded ? "'" + c.name : c.name)) << c.name;
    EXPECT_TRUE(records.alumnos.count(c.name)) << c.name;
  }
}

// Three students practise into one file (one of them twice, one skipping exercises), a line is
// broken by hand; the report's counts agree with the records read here, and its CSV and JSON
// agree with each other.
TEST(ClassReportTest, CountsFromPracticeRecords) {
  const std::filesystem::path path = TempPath("clase");
  const std::string file = path.string();
  const struct {
    const char* alumno;
    const char* seed;
    const char* answers;
  } rounds[] = {
      {"Ana Ruiz", "1", "0\n1\n?\n"},
      {"Luis \"Lucho\" Pérez, 1ºB", "2", "\n\n\n"},
      {"Ana Ruiz", "3", "fuera de rango\n"},
      {"Marta", "4", "11111010\n-6\n0\n"},
  };
  std::set<std::string> round_ids;
  for (const auto& round : rounds) {
    const Transcript t =
        RunProgramOnText({"practicar", "-n", "3", "--semilla", round.seed, "--tipos", "c2,c1", "-b",
                          "8", "--alumno", round.alumno, "--registro", file},
                         round.answers, out::Encoding::kUtf8);
    ASSERT_EQ(t.status, 0) << t.err;
  }
  { std::ofstream(path, std::ios::app) << "{\"tipo\": \"representar-c2\", \"estado\": \n"; }
  const std::string text = ReadAll(path);
  const std::vector<nlohmann::json> records = RecordLines(text);

  // What the records say, counted here.
  std::map<std::string, std::map<std::string, int>> by_student;
  for (const nlohmann::json& r : records) {
    round_ids.insert(r["ronda"].get<std::string>());
    const std::string estado = r["estado"];
    ++by_student[r["alumno"].get<std::string>()][estado];
    EXPECT_EQ(r["correcta"], estado == "correcta");
    EXPECT_EQ(r["error"].is_null(), estado != "incorrecta") << r.dump();
  }
  EXPECT_EQ(round_ids.size(), 4u) << "one id per round";
  ASSERT_EQ(by_student.size(), 3u);
  EXPECT_EQ(by_student["Luis \"Lucho\" Pérez, 1ºB"]["sin_responder"], 3);

  const Transcript json = RunProgramOnText({"informe", file, "--salida", "json"}, "");
  const Transcript csv = RunProgramOnText({"informe", file, "--salida", "csv"}, "");
  const Transcript html = RunProgramOnText({"informe", "--salida=html", file}, "");
  const Transcript plain = RunProgramOnText({"informe", file, "--utf8"}, "");
  std::filesystem::remove(path);
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json report = nlohmann::json::parse(json.out);
  EXPECT_EQ(report["registros"], records.size());
  EXPECT_EQ(report["lineas_rotas"], 1);
  ASSERT_EQ(report["alumnos"].size(), 3u);

  const std::vector<std::vector<std::string>> rows = ReadCsv(csv.out);
  ASSERT_EQ(rows.size(), 4u) << csv.out;
  EXPECT_EQ(rows[0], (std::vector<std::string>{"alumno", "nota", "correctos", "respondidos",
                                               "sin_responder"}));
  for (std::size_t i = 1; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 5u);
    std::map<std::string, int>& counts = by_student[rows[i][0]];
    const int right = counts["correcta"];
    const int posed = right + counts["incorrecta"] + counts["sin_responder"];
    EXPECT_EQ(rows[i][2], std::to_string(right)) << rows[i][0];
    EXPECT_EQ(rows[i][3], std::to_string(right + counts["incorrecta"]));
    EXPECT_EQ(rows[i][4], std::to_string(counts["sin_responder"]));
    // The mark out of 10 to two decimals, by the machine's own arithmetic.
    char mark[16];
    std::snprintf(mark, sizeof mark, "%.2f", 10.0 * right / posed);
    EXPECT_EQ(rows[i][1], mark);
    EXPECT_EQ(report["alumnos"][i - 1]["alumno"], rows[i][0]);
  }

  // The text and the page say the same names and the most frequent mistake.
  const std::string top = report["errores"][0]["error"];
  for (const Transcript* t : {&plain, &html}) {
    EXPECT_EQ(t->status, 0);
    EXPECT_NE(t->out.find("Marta"), std::string::npos);
    EXPECT_NE(t->out.find(top), std::string::npos);
  }
  EXPECT_NE(html.out.find("Luis &quot;Lucho&quot; Pérez, 1ºB"), std::string::npos);
  EXPECT_NE(html.out.find("<svg"), std::string::npos);
  EXPECT_EQ(html.out.find("src="), std::string::npos) << "no external file";
  EXPECT_EQ(html.out.find("href="), std::string::npos) << "no external file";
}

// Records of earlier versions (no estado, no alumno) still count; refusals say what is accepted.
TEST(ClassReportTest, OldRecordsAndRefusals) {
  exercises::ClassRecords records;
  std::istringstream in(
      "{\"tipo\":\"representar-c2\",\"correcta\":true}\r\n"
      "\n"
      "{\"tipo\":\"interpretar-c1\",\"correcta\":false,\"diagnostico\":\"Sin responder.\"}\n"
      "{\"tipo\":\"interpretar-c1\",\"correcta\":false,\"diagnostico\":\"La cadena...\"}\n"
      "[1,2]\n"
      "{\"tipo\":\"x\",\"estado\":\"quizas\"}\n"
      "\xFF\xFE\n");
  records.Read(in);
  EXPECT_EQ(records.registros, 3);
  EXPECT_EQ(records.lineas_rotas, 3);
  const exercises::StudentTally& s = records.alumnos.at(exercises::kNoName);
  EXPECT_EQ(s.correctas, 1);
  EXPECT_EQ(s.incorrectas, 1);
  EXPECT_EQ(s.sin_responder, 1);
  EXPECT_EQ(exercises::Hundredths(s.MarkHundredths()), "3.33");
  EXPECT_EQ(records.errores.at("otro").veces, 1);

  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"informe"}, "falta el fichero de registros"},
      {{"informe", "a.jsonl", "--salida", "pdf"}, "--salida espera texto, csv, html o json"},
      {{"informe", "a.jsonl", "--salida"}, "falta el valor de --salida"},
      {{"informe", "a.jsonl", "--notas"}, "opción desconocida: --notas"},
      {{"informe", "/no/such/folder/r.jsonl"}, "no se puede leer"},
      {{"practicar", "--alumno", ""}, "--alumno espera un nombre de una línea de 1 a 80"},
      {{"practicar", "--alumno", "a\tb"}, "--alumno espera un nombre"},
  };
  for (const auto& c : cases) {
    const Transcript t = RunProgramOnText(c.args, "", out::Encoding::kUtf8);
    EXPECT_EQ(t.status, 2) << c.message;
    EXPECT_EQ(t.out, "");
    EXPECT_NE(t.err.find(c.message), std::string::npos) << t.err;
  }
  const Transcript help = RunProgramOnText({"informe", "--help"}, "", out::Encoding::kUtf8);
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Uso: repbin informe", 0), 0u);
}

}  // namespace
}  // namespace repbin
