// `repbin practicar`: reads the options as `repbin ejercicios` does, draws the same exercises,
// poses them one at a time and checks each answer (answer_check.h).

#include "exercises/practice.h"

#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "exercises/answer_check.h"
#include "exercises/arithmetic_exercises.h"
#include "exercises/draw_options.h"
#include "exercises/exercise_sheet.h"
#include "exercises/text_check.h"
#include "operations/bit_input.h"
#include "operations/json.h"
#include "operations/option_table.h"
#include "output/input.h"
#include "output/output.h"
#include "output/platform.h"
#include "real/report.h"

namespace repbin {
namespace {

using exercises::Exercise;
using Json = nlohmann::ordered_json;

void PrintHelp(const exercises::AddOwnOptions& own) {
  out::Print(
      "Uso: repbin practicar [-n N] [--semilla S] [--tipos LISTA] [-b N] [-z Z]\n"
      "                      [-f FORMATO] [opciones de formato] [--dificultad 1|2|3]\n"
      "                      [--inexactos] [--registro FICHERO] [--alumno NOMBRE]\n"
      "                      [--ampliado]\n"
      "\n"
      "Propone ejercicios de uno en uno y lee una respuesta por línea: dice si es correcta\n"
      "y, si no lo es, qué está mal, con la solución y su traza. Con la misma semilla y las\n"
      "mismas opciones propone los mismos ejercicios, en el mismo orden, que la hoja de\n"
      "repbin ejercicios.\n"
      "\n"
      "Respuestas:\n"
      "  cadenas de bits    ceros y unos, si se quiere en grupos separados por espacios,\n"
      "                     _ o . (1111 1011); en coma flotante, también el patrón en\n"
      "                     hexadecimal tras 0x (0x40AC0000)\n"
      "  Fuera de Rango     en mayúsculas o minúsculas, con o sin acentos\n"
      "  números            enteros (-5, también -5.0); reales con punto o coma decimal\n"
      "                     (5.375 o 5,375), correctos si no se apartan más de media unidad\n"
      "                     del sexto decimal. Un número donde se pide una cadena de bits\n"
      "                     no cuenta: se pide la respuesta otra vez\n"
      "  ? o línea en blanco  muestra la solución; el ejercicio queda sin responder\n"
      "  q                  termina la ronda (también el final de la entrada)\n"
      "Al final, un resumen de aciertos por tipo de ejercicio y el total.\n"
      "\n"
      "Opciones:\n");
  out::PrintText(exercises::DrawOptionsHelp(own).c_str());
  out::Print(
      "\n"
      "Las preguntas salen por la salida de error; los veredictos, las soluciones y el\n"
      "resumen, por la estándar.\n"
      "\n"
      "Una línea se escribe entera de una vez, y de una respuesta de más de 4096 bytes se\n"
      "guardan los primeros (con respuesta_alumno_recortada y longitud_respuesta_alumno).\n"
      "Una línea de respuesta de más de 65536 caracteres no se lee: el ejercicio queda sin\n"
      "responder.\n"
      "\n"
      "Estado de salida: 0 ronda terminada, sea cual sea la nota; 1 un registro en el que no\n"
      "se pudo escribir (la ronda se detiene en ese ejercicio); 2 error de uso, o un registro\n"
      "que no se puede abrir.\n"
      "\n"
      "Ejemplos:\n"
      "  repbin practicar --semilla 5 --tipos c2,c1 -b 8\n"
      "  repbin practicar -n 20 --tipos flotante -f ieee16 --registro notas.jsonl\n"
      "  repbin practicar --semilla 5 < respuestas.txt > informe.txt\n");
}

// Texts built at run time (statements, diagnoses, traces: UTF-8) in the console's encoding.
void Say(const std::string& text) {
  out::PrintText(text.c_str());
}
void Ask(const std::string& text) {
  out::PrintErrText(text.c_str());
}

// The hand method of a floating-point conversion exercise, under its heading; empty for the
// other exercises.
std::string HandMethod(const Exercise& e) {
  if (e.kind.system != ops::System::kFloat) return "";
  std::vector<std::string> method;
  if (e.kind.operation == exercises::Operation::kRepresent) {
    method = ReportRepresentation(e.formato, e.respuesta.c_str(), {e.dato, true, 0}, true).method;
  } else if (e.kind.operation == exercises::Operation::kInterpret) {
    method = ReportInterpretation(e.formato, e.dato.c_str(), true).method;
  }
  if (method.empty()) return "";
  std::string text = " Método a mano:\n";
  for (const std::string& line : method) text += "   " + line + "\n";
  return text;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The moment, in ISO 8601 (UTC).
std::string Now() {
  const std::time_t now = std::time(nullptr);
  char text[32] = "";
  if (const std::tm* utc = std::gmtime(&now)) {
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc);
  }
  return text;
}

// The record file: one JSON object a line, appended. Each line goes out whole, in one write, as
// soon as its exercise is answered: a round cut short keeps what was answered, and rounds that
// append to one file at once never split each other's lines.
class Record {
 public:
  bool Open(const std::string& path) { return file_.Open(path.c_str()); }
  // False when the line could not be written whole.
  bool Add(const Json& entry) {
    // Whatever bytes the student typed, the line stays valid UTF-8.
    const std::string line = entry.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
    // A line an earlier round left cut short ends before this round's first, which then parses.
    const bool own_line = first_;
    first_ = false;
    return file_.Append(line.data(), line.size(), own_line);
  }
  bool Close() { return file_.Close(); }

 private:
  out::AppendFile file_;
  bool first_ = true;
};

// What a record repeats of a student's text (the answer, and the diagnosis that quotes it), at
// most: a huge answer does not make a huge line.
constexpr std::size_t kRecordedAnswer = 4096;
constexpr std::size_t kRecordedDiagnosis = 2 * kRecordedAnswer;

// The first `limit` bytes of `text` at most, not splitting a UTF-8 character (a text in another
// encoding loses at most three bytes more).
std::string Prefix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  std::size_t end = limit;
  while (end + 3 > limit && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) {
    --end;
  }
  return std::string(text.substr(0, end));
}

// `text` with each NUL written \0, so that it shows whole (a C string would end there).
std::string NulsShown(std::string_view text) {
  std::string shown;
  for (char c : text) {
    if (c == '\0') {
      shown += "\\0";
    } else {
      shown += c;
    }
  }
  return shown;
}

// Rounds up to this long are drawn once without traces before the first question, so that the
// heading gives the number of exercises the options allow; a longer one is drawn only as it is
// asked, and says so if the options run out of exercises before its end.
constexpr int kCountedRound = 1000;

// How many exercises the round has, as its heading says: all the options allow, up to the count,
// for a round of up to kCountedRound exercises; the count for a longer one.
int RoundLength(const exercises::SheetOptions& options) {
  if (options.count > kCountedRound) return options.count;
  exercises::SheetOptions counting = options;
  counting.trazas = false;
  return exercises::GenerateEach(counting, [](const Exercise&) {});
}

// One round's id in its records: the moment it began and 32 random bits ("20261207T211512Z-
// 3f9a2c1b"), so that rounds begun in the same second by a class still differ.
std::string RoundId() {
  const std::time_t now = std::time(nullptr);
  char stamp[32] = "";
  if (const std::tm* utc = std::gmtime(&now)) {
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", utc);
  }
  char id[48];
  std::snprintf(id, sizeof id, "%s-%08x", stamp,
                static_cast<unsigned>(exercises::ChooseSeed() & 0xFFFFFFFFu));
  return id;
}

struct Score {
  int posed = 0;
  int right = 0;
};

std::string SeedLine(std::uint64_t seed, const std::string& command) {
  return "Semilla " + std::to_string(seed) + "; para repetir esta ronda: " + command + "\n";
}

// Whether `name` may name a student in the records: one line of 1 to 80 characters of UTF-8.
std::optional<std::string> StudentRefusal(std::string_view name) {
  const std::optional<std::size_t> length = exercises::PlainLineLength(name);
  if (!length || *length < 1 || *length > 80) {
    return "un nombre de una línea de 1 a 80 caracteres en UTF-8, sin caracteres de control";
  }
  return std::nullopt;
}

// The drawing options of a page's round, read as the command reads them, and the student's name
// (--alumno) when it has one; what the layout rules say of a refused layout comes before the
// refusal itself.
std::optional<std::string> ReadRound(const std::vector<std::string>& args,
                                     exercises::DrawCommandLine& line,
                                     std::optional<std::string>* student = nullptr) {
  const exercises::AddOwnOptions own = [&](ops::OptionTable& table) {
    table.Valued({"--alumno"}, [&](std::string_view value) -> std::optional<std::string> {
      if (std::optional<std::string> refusal = StudentRefusal(value)) return refusal;
      if (student != nullptr) *student = std::string(value);
      return std::nullopt;
    });
  };
  std::optional<std::string> refusal = exercises::ReadDrawCommandLine(args, own, line);
  if (!refusal && line.help) refusal = "la ayuda está en repbin practicar --help";
  if (refusal) return line.preface + *refusal;
  return std::nullopt;
}

// The page's round being answered: its options and a draw that has reached one of its exercises.
// The page asks for each exercise, then its verdict, in the round's order, so each draws one
// exercise more, whatever the round's length; one before the last drawn, or another round,
// starts the draw again.
struct PageRound {
  std::vector<std::string> args;
  std::optional<exercises::ExerciseStream> draw;
  std::optional<Exercise> last;  // the last exercise drawn
};

// Exercise `numero` (from 1) of the round `args` asks for (with `options`, its seed known), or
// null when the round has no such exercise.
const Exercise* PageExercise(const std::vector<std::string>& args,
                             const exercises::SheetOptions& options, int numero) {
  static PageRound round;
  if (!round.draw || round.args != args || (round.last && round.last->numero > numero)) {
    round.args = args;
    round.draw.emplace(options);
    round.last.reset();
  }
  while (!round.last || round.last->numero < numero) {
    round.last = round.draw->Next();
    if (!round.last) {
      round.draw.reset();
      return nullptr;
    }
  }
  return &*round.last;
}

std::string ErrorJson(const std::string& message) {
  return Json{{"error", message}}.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// What a student did with one exercise: the answer as typed (`typed` its whole length, more
// than the answer's when the line was too long to keep), and whether it was left unanswered.
struct Answered {
  std::string_view answer;
  std::size_t typed = 0;
  bool unanswered = false;
};

// The record of one exercise, as the record file and the page keep it.
Json RecordEntry(const std::optional<std::string>& student, const std::string& round_id,
                 std::uint64_t seed, const Exercise& e, const Answered& a,
                 const exercises::Verdict& verdict) {
  Json entry;
  entry["alumno"] = student ? Json(*student) : Json(nullptr);
  entry["ronda"] = round_id;
  entry["ejercicio"] = e.numero;
  entry["tipo"] = exercises::KindName(e.kind);
  entry["orden"] = e.orden;
  entry["enunciado"] = e.enunciado;
  entry["respuesta_alumno"] = Prefix(a.answer, kRecordedAnswer);
  if (a.typed > kRecordedAnswer) {
    // Said in the record itself: the answer was longer than what it keeps.
    entry["respuesta_alumno_recortada"] = true;
    entry["longitud_respuesta_alumno"] = a.typed;
  }
  entry["respuesta"] = e.respuesta;
  entry["correcta"] = verdict.correcta;
  entry["estado"] = verdict.correcta ? "correcta" : a.unanswered ? "sin_responder" : "incorrecta";
  entry["error"] = verdict.correcta || a.unanswered || verdict.error.empty() ? Json(nullptr)
                                                                             : Json(verdict.error);
  entry["diagnostico"] = verdict.diagnostico.size() > kRecordedDiagnosis
                             ? Prefix(verdict.diagnostico, kRecordedDiagnosis) + " […]"
                             : verdict.diagnostico;
  entry["semilla"] = seed;
  entry["instante"] = Now();
  return entry;
}

}  // namespace

int RunPractice(const std::vector<std::string>& args) {
  std::optional<std::string> record_path;
  std::optional<std::string> student;
  bool ampliado = false;
  const exercises::AddOwnOptions own = [&](ops::OptionTable& table) {
    table.Flag({"--ampliado"}, [&] { ampliado = true; })
        .Valued({"--registro"},
                [&](std::string_view value) -> std::optional<std::string> {
                  if (value.empty()) return "el nombre de un fichero";
                  record_path = std::string(value);
                  return std::nullopt;
                })
        .Valued({"--alumno"}, [&](std::string_view value) -> std::optional<std::string> {
          if (std::optional<std::string> refusal = StudentRefusal(value)) return refusal;
          student = std::string(value);
          return std::nullopt;
        });
    table
        .Describe("--registro", "FICHERO",
                  "añade a FICHERO una línea JSON por ejercicio respondido o\n"
                  "dejado sin responder (JSON Lines, UTF-8): alumno, ronda,\n"
                  "ejercicio, tipo, orden, enunciado, respuesta_alumno,\n"
                  "respuesta, correcta, estado (correcta, incorrecta o\n"
                  "sin_responder), error (el código del fallo, o null),\n"
                  "diagnostico, semilla, instante; repbin informe los resume")
        .Describe("--alumno", "NOMBRE", "el nombre del alumno en el registro (hasta 80 caracteres)")
        .Describe("--ampliado", "",
                  "tras el veredicto de un ejercicio de representar o interpretar\n"
                  "en coma flotante, el método a mano, paso a paso")
        .DescribeAs("--cp850", "--cp850, --utf8", "codificación de los acentos")
        .Describe("-h", "", "muestra esta ayuda y termina");
  };
  exercises::DrawCommandLine line;
  if (const std::optional<std::string> refusal = exercises::ReadDrawCommandLine(args, own, line)) {
    return exercises::UsageError("practicar", *refusal, &line);
  }
  if (line.help) {
    PrintHelp(own);
    return 0;
  }
  std::string command = ops::CommandText("practicar", args);
  if (!line.seed) {
    line.seed = exercises::ChooseSeed();
    command += " --semilla " + std::to_string(*line.seed);
  }
  line.options.seed = *line.seed;
  Record record;
  if (record_path && !record.Open(*record_path)) {
    out::PrintErr("repbin practicar: no se puede abrir \"%s\" para añadir el registro\n",
                  record_path->c_str());
    return 2;
  }

  const std::string round_id = RoundId();

  // The exercises are drawn as they are asked for, so a long round starts at once.
  exercises::ExerciseStream round(line.options);
  const int total = RoundLength(line.options);
  if (total < line.options.count) {
    out::PrintErr(
        "repbin practicar: con estas opciones solo hay %i ejercicios distintos; la ronda lleva "
        "esos.\n",
        total);
  }
  Ask("Práctica de repbin: " + std::to_string(total) + " ejercicios. " +
      SeedLine(*line.seed, command) +
      "Escriba una respuesta por línea; una línea en blanco o ? muestra la solución, y q "
      "termina.\n");

  std::vector<std::pair<exercises::Kind, Score>> scores;
  for (const exercises::Kind& kind : exercises::EveryKind()) scores.push_back({kind, {}});
  Score overall;
  int unanswered = 0;
  in::Line line_read;
  while (true) {
    const std::optional<Exercise> drawn = round.Next();
    if (!drawn) {
      if (round.Drawn() < total) {
        out::PrintErr(
            "\nrepbin practicar: con estas opciones solo hay %i ejercicios distintos; la ronda "
            "termina con ellos.\n",
            round.Drawn());
      }
      break;
    }
    const Exercise& e = *drawn;
    Ask("\nEjercicio " + std::to_string(e.numero) + " de " + std::to_string(total) + ". " +
        e.enunciado + "\nRespuesta: ");
    // An answer of the wrong kind (a number where bits are asked) is asked again, uncounted.
    std::string_view answer;
    exercises::Verdict verdict;
    bool skipped = false;
    bool ended = false;
    bool too_long = false;
    for (bool first = e.numero == 1;; first = false) {
      if (!in::ReadLine(line_read)) {
        ended = true;
        break;
      }
      std::string& typed = line_read.text;
      // A line longer than the reader keeps is refused whole: what was kept is not the answer.
      too_long = line_read.length > typed.size();
      if (too_long) typed.clear();
      if (first && typed.rfind("\xEF\xBB\xBF", 0) == 0) typed.erase(0, 3);  // a file's BOM
      answer = Trimmed(typed);
      if (answer == "q" || answer == "Q") {
        ended = true;
        break;
      }
      skipped = answer.empty() || answer == "?";
      if (too_long) {
        out::PrintErr(
            "repbin practicar: la línea tiene %zu caracteres; una respuesta puede tener como "
            "mucho %zu. El ejercicio queda sin responder.\n",
            line_read.length, in::kLineCapacity);
        verdict = {};
        verdict.diagnostico = "Sin responder: la línea tenía " + std::to_string(line_read.length) +
                              " caracteres (como mucho " + std::to_string(in::kLineCapacity) + ").";
        break;
      }
      if (skipped) {
        verdict = {};
        verdict.diagnostico = "Sin responder.";
        break;
      }
      verdict = exercises::CheckAnswer(e, answer);
      if (!verdict.repetir) break;
      Ask(verdict.diagnostico + "\nRespuesta: ");
    }
    if (ended) break;

    // The answer as typed goes out unchanged, in whatever encoding it came; a NUL shows as \0.
    const std::string shown = NulsShown(answer);
    out::Print("\nEjercicio %i: %s\n", e.numero, skipped ? "(sin respuesta)" : shown.c_str());
    if (verdict.correcta) {
      Say("Correcto\n");
    } else {
      Say(skipped ? "Sin responder." : "Incorrecto. " + NulsShown(verdict.diagnostico));
      Say("\nSolución: " + e.respuesta + "\n" + e.traza);
      if (!e.traza.empty() && e.traza.back() != '\n') Say("\n");
    }
    if (ampliado) Say(HandMethod(e));

    for (auto& [kind, score] : scores) {
      if (kind == e.kind) {
        ++score.posed;
        score.right += verdict.correcta ? 1 : 0;
      }
    }
    ++overall.posed;
    overall.right += verdict.correcta ? 1 : 0;
    unanswered += skipped ? 1 : 0;

    if (!record_path) continue;
    const Answered answered{answer, too_long ? line_read.length : answer.size(),
                            skipped || too_long};
    const Json entry = RecordEntry(student, round_id, *line.seed, e, answered, verdict);
    if (!record.Add(entry)) {
      // Nothing more is asked: the answers would be lost.
      out::PrintErr(
          "repbin practicar: no se pudo escribir el registro en \"%s\"; la ronda se detiene en "
          "el ejercicio %i.\n",
          record_path->c_str(), e.numero);
      return 1;
    }
  }

  std::string summary = "\nResumen de la ronda\n";
  for (const auto& [kind, score] : scores) {
    if (score.posed == 0) continue;
    summary += "  " + exercises::KindTitle(kind) + ": " + std::to_string(score.right) + " de " +
               std::to_string(score.posed) + "\n";
  }
  summary += "Total: " + std::to_string(overall.right) + " de " + std::to_string(overall.posed);
  if (unanswered > 0) summary += " (" + std::to_string(unanswered) + " sin responder)";
  summary += "\n" + SeedLine(*line.seed, command);
  Say(summary);
  out::Flush();
  if (!record.Close()) {
    out::PrintErr("repbin practicar: no se pudo escribir el registro en \"%s\"\n",
                  record_path->c_str());
    return 1;
  }
  return 0;
}

namespace exercises {

std::string PracticeRoundJson(const std::vector<std::string>& args) {
  DrawCommandLine line;
  if (const std::optional<std::string> refusal = ReadRound(args, line)) {
    return ErrorJson(*refusal);
  }
  std::string command = ops::CommandText("practicar", args);
  if (!line.seed) {
    line.seed = ChooseSeed();
    command += " --semilla " + std::to_string(*line.seed);
  }
  line.options.seed = *line.seed;
  Json round;
  round["semilla"] = *line.seed;
  round["orden"] = command;
  round["total"] = RoundLength(line.options);
  round["ronda"] = RoundId();
  return round.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string PracticeExerciseJson(const std::vector<std::string>& args, int numero) {
  DrawCommandLine line;
  if (const std::optional<std::string> refusal = ReadRound(args, line)) {
    return ErrorJson(*refusal);
  }
  if (!line.seed) return ErrorJson("falta la semilla");
  line.options.seed = *line.seed;
  const Exercise* found = numero >= 1 ? PageExercise(args, line.options, numero) : nullptr;
  if (found == nullptr) return ErrorJson("no hay ejercicio " + std::to_string(numero));
  const Exercise& e = *found;
  Json j;
  j["numero"] = e.numero;
  j["tipo"] = KindName(e.kind);
  j["titulo"] = KindTitle(e.kind);
  j["enunciado"] = e.enunciado;
  j["respuesta"] = e.respuesta;
  j["traza"] = e.traza;
  j["bits"] = e.bits;
  if (e.kind.fija) j["fraccion"] = e.fraccion;
  if (e.kind.system == ops::System::kFloat) j["formato"] = ops::FormatJson(e.formato);
  if (!e.operandos.empty()) {
    j["operandos"] = e.operandos;
    j["operador"] = e.operador;
  }
  if (!e.redondeo.empty()) j["redondeo"] = e.redondeo;
  return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string PracticeVerdictJson(const std::vector<std::string>& args, int numero,
                                std::string_view answer) {
  DrawCommandLine line;
  if (const std::optional<std::string> refusal = ReadRound(args, line)) {
    return ErrorJson(*refusal);
  }
  if (!line.seed) return ErrorJson("falta la semilla");
  line.options.seed = *line.seed;
  const Exercise* found = numero >= 1 ? PageExercise(args, line.options, numero) : nullptr;
  if (found == nullptr) return ErrorJson("no hay ejercicio " + std::to_string(numero));
  const Exercise& e = *found;
  const Verdict verdict = CheckAnswer(e, answer);
  Json j;
  j["correcta"] = verdict.correcta;
  j["diagnostico"] = NulsShown(verdict.diagnostico);  // as the console shows it
  // The mistake's code, as the records name it; "error" is kept for a request that has no answer.
  j["codigo"] = verdict.correcta || verdict.error.empty() ? Json(nullptr) : Json(verdict.error);
  if (verdict.repetir) j["repetir"] = true;
  if (verdict.campos) {
    j["campos"] = {{"signo", verdict.campos->sign},
                   {"exponente", verdict.campos->exponent},
                   {"mantisa", verdict.campos->mantissa}};
    j["cadena"] = ops::ReadTypedBits(answer, e.bits).bits;
  }
  return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string PracticeRecordJson(const std::vector<std::string>& args, int numero,
                               std::string_view answer, const std::string& ronda) {
  DrawCommandLine line;
  std::optional<std::string> student;
  if (const std::optional<std::string> refusal = ReadRound(args, line, &student)) {
    return ErrorJson(*refusal);
  }
  if (!line.seed) return ErrorJson("falta la semilla");
  line.options.seed = *line.seed;
  const Exercise* found = numero >= 1 ? PageExercise(args, line.options, numero) : nullptr;
  if (found == nullptr) return ErrorJson("no hay ejercicio " + std::to_string(numero));
  // An empty answer or "?" leaves the exercise unanswered, as in the console.
  const std::string_view trimmed = Trimmed(answer);
  const bool unanswered = trimmed.empty() || trimmed == "?";
  Verdict verdict;
  if (unanswered) {
    verdict.diagnostico = "Sin responder.";
  } else {
    verdict = CheckAnswer(*found, trimmed);
    if (verdict.repetir) return ErrorJson(verdict.diagnostico);
  }
  const Answered answered{trimmed, trimmed.size(), unanswered};
  return RecordEntry(student, ronda, *line.seed, *found, answered, verdict)
      .dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace exercises
}  // namespace repbin
