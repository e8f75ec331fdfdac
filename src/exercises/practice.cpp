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
#include "exercises/draw_options.h"
#include "exercises/exercise_sheet.h"
#include "operations/bit_input.h"
#include "operations/json.h"
#include "output/input.h"
#include "output/output.h"

namespace repbin {
namespace {

using exercises::Exercise;
using Json = nlohmann::ordered_json;

void PrintHelp() {
  out::Print(
      "Uso: repbin practicar [-n N] [--semilla S] [--tipos LISTA] [-b N] [-z Z]\n"
      "                      [-f FORMATO] [opciones de formato] [--dificultad 1|2|3]\n"
      "                      [--inexactos] [--registro FICHERO]\n"
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
      "  números            enteros (-5); reales con punto o coma decimal (5.375 o 5,375),\n"
      "                     correctos si no se apartan más de media unidad del sexto decimal\n"
      "  ? o línea en blanco  muestra la solución; el ejercicio queda sin responder\n"
      "  q                  termina la ronda (también el final de la entrada)\n"
      "Al final, un resumen de aciertos por tipo de ejercicio y el total.\n"
      "\n"
      "Opciones:\n");
  out::PrintText(exercises::kDrawOptionsHelp);
  out::Print(
      "  --registro FICHERO añade a FICHERO una línea JSON por ejercicio respondido (JSON\n"
      "                     Lines, UTF-8): ejercicio, tipo, orden, enunciado,\n"
      "                     respuesta_alumno, respuesta, correcta, diagnostico, semilla,\n"
      "                     instante\n"
      "  --cp850, --utf8    codificación de los acentos\n"
      "  -h, --help         muestra esta ayuda y termina\n"
      "\n"
      "Las preguntas salen por la salida de error; los veredictos, las soluciones y el\n"
      "resumen, por la estándar.\n"
      "\n"
      "Estado de salida: 0 ronda terminada, sea cual sea la nota; 2 error de uso, o un\n"
      "registro que no se puede escribir.\n"
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

// The record file: one JSON object a line, appended, each written out at once so that a round
// cut short keeps what was answered.
class Record {
 public:
  Record() = default;
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  ~Record() { Close(); }

  bool Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "ab");
    return file_ != nullptr;
  }
  void Add(const Json& entry) {
    if (file_ == nullptr) return;
    // Whatever bytes the student typed, the line stays valid UTF-8.
    const std::string line = entry.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
      failed_ = true;
    }
  }
  // Whether every line reached the file.
  bool Close() {
    if (file_ != nullptr) {
      failed_ = std::fclose(file_) != 0 || failed_;
      file_ = nullptr;
    }
    return !failed_;
  }

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

struct Score {
  int posed = 0;
  int right = 0;
};

std::string SeedLine(std::uint64_t seed, const std::string& command) {
  return "Semilla " + std::to_string(seed) + "; para repetir esta ronda: " + command + "\n";
}

// The drawing options of a page's round, read as the command reads them; what the layout rules
// say of a refused layout comes before the refusal itself.
std::optional<std::string> ReadRound(const std::vector<std::string>& args,
                                     exercises::DrawCommandLine& line) {
  std::optional<std::string> refusal = exercises::ReadDrawCommandLine(args, {}, line);
  if (!refusal && line.help) refusal = "la ayuda está en repbin practicar --help";
  if (refusal) return line.preface + *refusal;
  return std::nullopt;
}

std::string ErrorJson(const std::string& message) {
  return Json{{"error", message}}.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

int RunPractice(const std::vector<std::string>& args) {
  std::optional<std::string> record_path;
  exercises::OwnOptions own;
  own.valued = {"--registro"};
  own.apply = [&](const std::string&,
                  const std::optional<std::string>& value) -> std::optional<std::string> {
    if (value->empty()) return "el nombre de un fichero";
    record_path = *value;
    return std::nullopt;
  };
  exercises::DrawCommandLine line;
  if (const std::optional<std::string> refusal = exercises::ReadDrawCommandLine(args, own, line)) {
    return exercises::UsageError("practicar", *refusal, &line);
  }
  if (line.help) {
    PrintHelp();
    return 0;
  }
  std::string command = exercises::CommandText("practicar", args);
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

  const std::vector<Exercise> round = exercises::Generate(line.options);
  const int total = static_cast<int>(round.size());
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
  for (const exercises::Kind& kind : exercises::AllKinds()) scores.push_back({kind, {}});
  Score overall;
  int unanswered = 0;
  in::Line line_read;
  for (const Exercise& e : round) {
    Ask("\nEjercicio " + std::to_string(e.numero) + " de " + std::to_string(total) + ". " +
        e.enunciado + "\nRespuesta: ");
    if (!in::ReadLine(line_read)) break;
    std::string& typed = line_read.text;
    if (e.numero == 1 && typed.rfind("\xEF\xBB\xBF", 0) == 0) typed.erase(0, 3);  // a file's BOM
    const std::string_view answer = Trimmed(typed);
    if (answer == "q" || answer == "Q") break;

    const bool skipped = answer.empty() || answer == "?";
    exercises::Verdict verdict;
    if (skipped) {
      verdict.diagnostico = "Sin responder.";
    } else {
      verdict = exercises::CheckAnswer(e, answer);
    }
    // The answer as typed goes out unchanged, in whatever encoding it came.
    out::Print("\nEjercicio %i: %s\n", e.numero,
               skipped ? "(sin respuesta)" : std::string(answer).c_str());
    if (verdict.correcta) {
      Say("Correcto\n");
    } else {
      Say(skipped ? "Sin responder." : "Incorrecto. " + verdict.diagnostico);
      Say("\nSolución: " + e.respuesta + "\n" + e.traza);
      if (!e.traza.empty() && e.traza.back() != '\n') Say("\n");
    }

    for (auto& [kind, score] : scores) {
      if (kind == e.kind) {
        ++score.posed;
        score.right += verdict.correcta ? 1 : 0;
      }
    }
    ++overall.posed;
    overall.right += verdict.correcta ? 1 : 0;
    unanswered += skipped ? 1 : 0;

    Json entry;
    entry["ejercicio"] = e.numero;
    entry["tipo"] = exercises::KindName(e.kind);
    entry["orden"] = e.orden;
    entry["enunciado"] = e.enunciado;
    entry["respuesta_alumno"] = std::string(answer);
    entry["respuesta"] = e.respuesta;
    entry["correcta"] = verdict.correcta;
    entry["diagnostico"] = verdict.diagnostico;
    entry["semilla"] = *line.seed;
    entry["instante"] = Now();
    record.Add(entry);
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
    return 2;
  }
  return 0;
}

namespace exercises {

std::string PracticeRoundJson(const std::vector<std::string>& args) {
  DrawCommandLine line;
  if (const std::optional<std::string> refusal = ReadRound(args, line)) {
    return ErrorJson(*refusal);
  }
  std::string command = CommandText("practicar", args);
  if (!line.seed) {
    line.seed = ChooseSeed();
    command += " --semilla " + std::to_string(*line.seed);
  }
  line.options.seed = *line.seed;
  Json list = Json::array();
  for (const Exercise& e : Generate(line.options)) {
    Json j;
    j["numero"] = e.numero;
    j["tipo"] = KindName(e.kind);
    j["titulo"] = KindTitle(e.kind);
    j["enunciado"] = e.enunciado;
    j["respuesta"] = e.respuesta;
    j["traza"] = e.traza;
    j["bits"] = e.bits;
    if (e.kind.system == ops::System::kFloat) j["formato"] = ops::FormatJson(e.formato);
    list.push_back(j);
  }
  Json round;
  round["semilla"] = *line.seed;
  round["orden"] = command;
  round["ejercicios"] = list;
  return round.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string PracticeVerdictJson(const std::vector<std::string>& args, int numero,
                                std::string_view answer) {
  DrawCommandLine line;
  if (const std::optional<std::string> refusal = ReadRound(args, line)) {
    return ErrorJson(*refusal);
  }
  if (!line.seed) return ErrorJson("falta la semilla");
  line.options.seed = *line.seed;
  const std::vector<Exercise> round = Generate(line.options);
  if (numero < 1 || numero > static_cast<int>(round.size())) {
    return ErrorJson("no hay ejercicio " + std::to_string(numero));
  }
  const Exercise& e = round[static_cast<std::size_t>(numero - 1)];
  const Verdict verdict = CheckAnswer(e, answer);
  Json j;
  j["correcta"] = verdict.correcta;
  j["diagnostico"] = verdict.diagnostico;
  if (verdict.campos) {
    j["campos"] = {{"signo", verdict.campos->sign},
                   {"exponente", verdict.campos->exponent},
                   {"mantisa", verdict.campos->mantissa}};
    j["cadena"] = ops::ReadTypedBits(answer, e.bits).bits;
  }
  return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace exercises
}  // namespace repbin
