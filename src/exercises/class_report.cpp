// `repbin informe`: reads the practice records of a class and sums them up.

#include "exercises/class_report.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exercises/answer_check.h"
#include "exercises/arithmetic_exercises.h"
#include "exercises/draw_options.h"
#include "exercises/exercise_sheet.h"
#include "operations/option_table.h"
#include "output/output.h"
#include "output/platform.h"

namespace repbin {
namespace exercises {
namespace {

using Json = nlohmann::ordered_json;

// n/d as a whole percentage, rounded half up (d > 0).
int Percent(int n, int d) {
  return (200 * n + d) / (2 * d);
}

// The Spanish heading of a kind's name, or the name itself when no kind has it.
std::string KindHeading(const std::string& name) {
  for (const Kind& kind : EveryKind()) {
    if (KindName(kind) == name) return KindTitle(kind);
  }
  return name;
}

const char* Meaning(const std::string& code) {
  for (const ErrorCode& known : ErrorCodes()) {
    if (code == known.code) return known.meaning;
  }
  return "";
}

std::string StringOr(const Json& j, const char* key, const std::string& fallback = "") {
  const auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : fallback;
}

// A CSV field, quoted when it holds a comma, a quote or a line end (RFC 4180). A text that a
// spreadsheet would take for a formula (starting with = + - @, a tab or a carriage return: a
// student's name in a record is anyone's text) goes with a single quote before it, which
// spreadsheets show as text and Moodle's import reads as part of the name.
std::string CsvField(std::string text) {
  if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) {
    text.insert(0, 1, '\'');
  }
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// A horizontal bar of `percent` of 200 pixels, as inline SVG.
std::string SvgBar(int percent, const char* label) {
  const int width = 2 * std::clamp(percent, 0, 100);
  return "<svg class=\"barra\" width=\"200\" height=\"14\" role=\"img\" aria-label=\"" +
         std::string(label) + "\"><rect width=\"200\" height=\"14\" fill=\"#e4e4e4\"/>" +
         "<rect width=\"" + std::to_string(width) + "\" height=\"14\" fill=\"#3a6ea5\"/></svg>";
}

std::string Dump(const Json& j) {
  return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// What `repbin informe` reads from its command line.
struct ReportRequest {
  std::string form = "texto";
  std::optional<out::Encoding> encoding;
  std::vector<std::string> files;
  bool help = false;
};

// The options of `repbin informe`, read into `r`, and their help.
ops::OptionTable ReportOptions(ReportRequest& r) {
  ops::OptionTable table;
  table
      .Flag(
          {"-h", "--help"}, [&r] { r.help = true; }, ops::OptionTable::After::kStop)
      .Valued({"--salida"}, [&r](std::string_view value) -> std::optional<std::string> {
        if (value != "texto" && value != "csv" && value != "html" && value != "json") {
          return "texto, csv, html o json";
        }
        r.form = std::string(value);
        return std::nullopt;
      });
  AddEncodingFlags(table, r.encoding);
  table
      .Describe("--salida", "SALIDA",
                "texto (lo normal); csv, una fila por alumno para importar las\n"
                "notas en Moodle (columnas alumno, nota, correctos, respondidos,\n"
                "sin_responder: alumno se empareja con el nombre de usuario y\n"
                "nota con el elemento de calificación; una celda que empieza\n"
                "por = + - @, tabulador o retorno de carro lleva una comilla\n"
                "simple delante, para que no se lea como fórmula); html, una\n"
                "página para abrir o imprimir, con gráficos de barras; json,\n"
                "un objeto")
      .DescribeAs("--cp850", "--cp850, --utf8",
                  "codificación de los mensajes y del informe de texto")
      .Describe("-h", "", "muestra esta ayuda y termina");
  return table;
}

void PrintHelp() {
  ReportRequest r;
  out::Print(
      "Uso: repbin informe FICHERO... [--salida texto|csv|html|json]\n"
      "\n"
      "Resume los registros de práctica (los de repbin practicar --registro, de uno o de\n"
      "muchos alumnos): por alumno, los ejercicios respondidos, los correctos, los que\n"
      "dejó sin responder y una nota sobre 10 (correctos entre planteados); por tipo de\n"
      "ejercicio, la proporción de correctos; y los errores más frecuentes, por su código,\n"
      "con un ejemplo de cada uno. Una línea que no es un registro se cuenta y se salta.\n"
      "\n"
      "Opciones:\n");
  out::PrintText(ReportOptions(r).Help(21).c_str());
  out::Print(
      "\n"
      "Estado de salida: 0 hecho; 2 error de uso o un fichero que no se puede leer.\n"
      "\n"
      "Ejemplos:\n"
      "  repbin informe grupo1.jsonl grupo2.jsonl\n"
      "  repbin informe practica.jsonl --salida csv > notas.csv\n"
      "  repbin informe practica.jsonl --salida html > informe.html\n");
}

int ReportUsageError(const std::string& message) {
  out::PrintErrText(
      ("repbin informe: " + message + "\nLas opciones están en: repbin informe --help\n").c_str());
  return 2;
}

}  // namespace

int StudentTally::MarkHundredths() const {
  const int posed = Posed();
  if (posed == 0) return 0;
  return (2000 * correctas + posed) / (2 * posed);
}

std::string Hundredths(int hundredths) {
  const int cents = hundredths % 100;
  return std::to_string(hundredths / 100) + (cents < 10 ? ".0" : ".") + std::to_string(cents);
}

bool ClassRecords::AddLine(const std::string& line) {
  const Json j = Json::parse(line, nullptr, false);
  if (j.is_discarded() || !j.is_object() || !j.contains("tipo") || !j["tipo"].is_string()) {
    ++lineas_rotas;
    return false;
  }
  // The state, or for the records of earlier versions, what `correcta` and the diagnosis say.
  std::string estado = StringOr(j, "estado");
  if (estado.empty() && j.contains("correcta") && j["correcta"].is_boolean()) {
    estado = j["correcta"].get<bool>()                                   ? "correcta"
             : StringOr(j, "diagnostico").rfind("Sin responder", 0) == 0 ? "sin_responder"
                                                                         : "incorrecta";
  }
  if (estado != "correcta" && estado != "incorrecta" && estado != "sin_responder") {
    ++lineas_rotas;
    return false;
  }
  ++registros;
  const std::string alumno = StringOr(j, "alumno", kNoName);
  StudentTally& student = alumnos[alumno];
  KindTally& kind = tipos[j["tipo"].get<std::string>()];
  ++kind.planteados;
  if (estado == "correcta") {
    ++student.correctas;
    ++kind.correctos;
  } else if (estado == "sin_responder") {
    ++student.sin_responder;
  } else {
    ++student.incorrectas;
    const std::string code = StringOr(j, "error", "otro");
    ErrorTally& error = errores[code];
    if (error.veces++ == 0) {
      error.alumno = alumno;
      error.enunciado = StringOr(j, "enunciado");
      error.respuesta_alumno = StringOr(j, "respuesta_alumno");
      error.respuesta = StringOr(j, "respuesta");
    }
  }
  return true;
}

void ClassRecords::Read(std::istream& in) {
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    AddLine(line);
  }
}

std::vector<std::string> ClassRecords::ErrorsByFrequency() const {
  std::vector<std::string> codes;
  for (const auto& [code, tally] : errores) codes.push_back(code);
  std::stable_sort(codes.begin(), codes.end(), [&](const std::string& a, const std::string& b) {
    return errores.at(a).veces > errores.at(b).veces;
  });
  return codes;
}

std::string ReportText(const ClassRecords& r) {
  std::string text = "Informe de la práctica: " + std::to_string(r.alumnos.size()) +
                     (r.alumnos.size() == 1 ? " alumno, " : " alumnos, ") +
                     std::to_string(r.registros) + " registros";
  if (r.lineas_rotas > 0) {
    text += " (" + std::to_string(r.lineas_rotas) +
            (r.lineas_rotas == 1 ? " línea rota, saltada)" : " líneas rotas, saltadas)");
  }
  text += "\n\nPor alumno\n";
  for (const auto& [name, s] : r.alumnos) {
    text += "  " + name + ": " + std::to_string(s.Answered()) + " respondidos, " +
            std::to_string(s.correctas) + " correctos, " + std::to_string(s.sin_responder) +
            " sin responder; nota " + Hundredths(s.MarkHundredths()) + "\n";
  }
  text += "\nPor tipo de ejercicio\n";
  for (const auto& [kind, k] : r.tipos) {
    text += "  " + KindHeading(kind) + ": " + std::to_string(k.correctos) + " de " +
            std::to_string(k.planteados) + " correctos (" +
            std::to_string(Percent(k.correctos, k.planteados)) + " %)\n";
  }
  text += "\nErrores más frecuentes\n";
  if (r.errores.empty()) text += "  ninguno\n";
  for (const std::string& code : r.ErrorsByFrequency()) {
    const ErrorTally& e = r.errores.at(code);
    text += "  " + code + " (" + std::to_string(e.veces) + (e.veces == 1 ? " vez" : " veces") +
            "): " + Meaning(code) + "\n    Ejemplo (" + e.alumno + "): " + e.enunciado +
            " Respondió " + e.respuesta_alumno + "; la respuesta es " + e.respuesta + ".\n";
  }
  return text;
}

std::string ReportCsv(const ClassRecords& r) {
  std::string csv = "alumno,nota,correctos,respondidos,sin_responder\r\n";
  for (const auto& [name, s] : r.alumnos) {
    csv += CsvField(name) + "," + Hundredths(s.MarkHundredths()) + "," +
           std::to_string(s.correctas) + "," + std::to_string(s.Answered()) + "," +
           std::to_string(s.sin_responder) + "\r\n";
  }
  return csv;
}

std::string ReportJson(const ClassRecords& r) {
  Json j;
  j["registros"] = r.registros;
  j["lineas_rotas"] = r.lineas_rotas;
  j["alumnos"] = Json::array();
  for (const auto& [name, s] : r.alumnos) {
    j["alumnos"].push_back({{"alumno", name},
                            {"respondidos", s.Answered()},
                            {"correctos", s.correctas},
                            {"sin_responder", s.sin_responder},
                            {"nota", s.MarkHundredths() / 100.0}});
  }
  j["tipos"] = Json::array();
  for (const auto& [kind, k] : r.tipos) {
    j["tipos"].push_back({{"tipo", kind},
                          {"titulo", KindHeading(kind)},
                          {"planteados", k.planteados},
                          {"correctos", k.correctos},
                          {"proporcion", static_cast<double>(k.correctos) / k.planteados}});
  }
  j["errores"] = Json::array();
  for (const std::string& code : r.ErrorsByFrequency()) {
    const ErrorTally& e = r.errores.at(code);
    j["errores"].push_back({{"error", code},
                            {"significado", Meaning(code)},
                            {"veces", e.veces},
                            {"ejemplo",
                             {{"alumno", e.alumno},
                              {"enunciado", e.enunciado},
                              {"respuesta_alumno", e.respuesta_alumno},
                              {"respuesta", e.respuesta}}}});
  }
  return Dump(j) + "\n";
}

std::string ReportHtml(const ClassRecords& r) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>Informe de la práctica</title>\n<style>\n"
      "body{font-family:\"DejaVu Sans\",Arial,sans-serif;font-size:11pt;margin:0 auto;"
      "max-width:52em;padding:1em}\n"
      "h1{font-size:16pt}h2{font-size:13pt;margin-top:1.5em}\n"
      "table{border-collapse:collapse;width:100%}td,th{border-bottom:1px solid #ccc;"
      "padding:.25em .5em;text-align:left;vertical-align:top}td.n{text-align:right}\n"
      "svg.barra{vertical-align:middle}.ejemplo{font-size:9pt;color:#333}\n"
      "@page{size:A4;margin:15mm}@media print{body{max-width:none;padding:0}}\n"
      "</style>\n</head>\n<body>\n<h1>Informe de la práctica</h1>\n<p>" +
      std::to_string(r.alumnos.size()) + (r.alumnos.size() == 1 ? " alumno, " : " alumnos, ") +
      std::to_string(r.registros) + " registros";
  if (r.lineas_rotas > 0) {
    html += "; " + std::to_string(r.lineas_rotas) + " líneas rotas, saltadas";
  }
  html +=
      ".</p>\n<h2>Por alumno</h2>\n<table>\n<tr><th>Alumno</th><th>Respondidos</th>"
      "<th>Correctos</th><th>Sin responder</th><th>Nota</th><th></th></tr>\n";
  for (const auto& [name, s] : r.alumnos) {
    const std::string mark = Hundredths(s.MarkHundredths());
    html += "<tr><td>" + HtmlEscape(name) + "</td><td class=\"n\">" + std::to_string(s.Answered()) +
            "</td><td class=\"n\">" + std::to_string(s.correctas) + "</td><td class=\"n\">" +
            std::to_string(s.sin_responder) + "</td><td class=\"n\">" + mark + "</td><td>" +
            SvgBar(s.MarkHundredths() / 10, ("nota " + mark).c_str()) + "</td></tr>\n";
  }
  html +=
      "</table>\n<h2>Por tipo de ejercicio</h2>\n<table>\n<tr><th>Tipo</th><th>Correctos</th>"
      "<th>Planteados</th><th>%</th><th></th></tr>\n";
  for (const auto& [kind, k] : r.tipos) {
    const int percent = Percent(k.correctos, k.planteados);
    html += "<tr><td>" + HtmlEscape(KindHeading(kind)) + "</td><td class=\"n\">" +
            std::to_string(k.correctos) + "</td><td class=\"n\">" + std::to_string(k.planteados) +
            "</td><td class=\"n\">" + std::to_string(percent) + "</td><td>" +
            SvgBar(percent, (std::to_string(percent) + " %").c_str()) + "</td></tr>\n";
  }
  html += "</table>\n<h2>Errores más frecuentes</h2>\n";
  if (r.errores.empty()) {
    html += "<p>Ninguno.</p>\n";
  } else {
    html += "<table>\n<tr><th>Código</th><th>Veces</th><th>Qué es, y un ejemplo</th></tr>\n";
    for (const std::string& code : r.ErrorsByFrequency()) {
      const ErrorTally& e = r.errores.at(code);
      html += "<tr><td><code>" + HtmlEscape(code) + "</code></td><td class=\"n\">" +
              std::to_string(e.veces) + "</td><td>" + HtmlEscape(Meaning(code)) +
              "<div class=\"ejemplo\">" + HtmlEscape(e.alumno) + ": " + HtmlEscape(e.enunciado) +
              " Respondió <code>" + HtmlEscape(e.respuesta_alumno) +
              "</code>; la respuesta es <code>" + HtmlEscape(e.respuesta) +
              "</code>.</div></td></tr>\n";
    }
    html += "</table>\n";
  }
  return html + "</body>\n</html>\n";
}

}  // namespace exercises

int RunClassReport(const std::vector<std::string>& args, std::optional<out::Encoding> leading) {
  exercises::ReportRequest r;
  r.encoding = leading;
  const std::optional<std::string> refusal =
      exercises::ReportOptions(r).Parse(args, 0, [&](std::size_t i, bool&) {
        r.files.push_back(args[i]);
        return std::optional<std::string>();
      });
  if (refusal) return exercises::ReportUsageError(*refusal);
  if (r.help) {
    exercises::PrintHelp();
    return 0;
  }
  const std::string& form = r.form;
  const std::optional<out::Encoding>& encoding = r.encoding;
  const std::vector<std::string>& files = r.files;
  if (files.empty()) {
    return exercises::ReportUsageError(
        "falta el fichero de registros (uno o más, de repbin practicar --registro)");
  }
  exercises::ClassRecords records;
  for (const std::string& path : files) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return exercises::ReportUsageError("no se puede leer \"" + path + "\"");
    records.Read(in);
  }
  const std::string text = form == "texto"  ? exercises::ReportText(records)
                           : form == "csv"  ? exercises::ReportCsv(records)
                           : form == "html" ? exercises::ReportHtml(records)
                                            : exercises::ReportJson(records);
  // As with the sheets: the text report is UTF-8 unless asked for in code page 850 or going to
  // a Windows console that shows that page; the files for other programs are always UTF-8.
  const bool cp850 =
      form == "texto" && encoding.value_or(out::IsCp850Console(out::BoundOut().file)
                                               ? out::Encoding::kCp850
                                               : out::Encoding::kUtf8) == out::Encoding::kCp850;
  if (cp850) {
    std::string converted(text.size() + 1, '\0');
    out::Encode(text.c_str(), out::Encoding::kCp850, converted.data(), converted.size());
    out::Write(converted.c_str(), std::char_traits<char>::length(converted.c_str()));
  } else {
    out::Write(text.data(), text.size());
  }
  out::Flush();
  return 0;
}

}  // namespace repbin
