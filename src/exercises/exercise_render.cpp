// The five ways of writing a sheet. Each one only lays out what the exercises already hold, so a
// sheet and its question bank from the same seed and options say the same. Every form is written
// exercise by exercise, as they are drawn.

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>

#include "exercises/arithmetic_exercises.h"
#include "exercises/exercise_sheet.h"
#include "operations/json.h"
#include "real/exact.h"
#include "real/format.h"
#include "real/report.h"

namespace repbin::exercises {
namespace {

constexpr const char* kDefaultTitle = "Hoja de ejercicios de repbin";
constexpr std::size_t kMarkdownWidth = 100;  // longest Markdown line outside code blocks

std::string Title(const SheetHeader& header) {
  return header.titulo.empty() ? kDefaultTitle : header.titulo;
}

std::string VariantName(int variante) {
  return "Variante " + std::string(1, static_cast<char>('A' + variante));
}

// The two roundings to six decimals of a floating reading's exact value, when it lies halfway
// between them.
std::optional<std::pair<std::string, std::string>> KeyTie(const Exercise& e) {
  // Only a pattern of the exercise's format has a reading (an exercise made by hand may have
  // neither).
  if (!DescriptorIsValid(e.formato) || e.dato.size() != static_cast<std::size_t>(e.formato.nb)) {
    return std::nullopt;
  }
  const ExactDecimal exact = ReportInterpretation(e.formato, e.dato.c_str()).value;
  if (!exact) return std::nullopt;
  return TieRoundings(*exact, 6);
}

}  // namespace

std::string Recreate(const SheetHeader& header) {
  return "Semilla " + std::to_string(header.seed) +
         "; para crear de nuevo esta hoja: " + header.command;
}

std::string KindTitle(const Kind& kind) {
  if (IsArithmetic(kind)) return ArithmeticKindTitle(kind);
  std::string title =
      kind.operation == Operation::kRepresent ? "Representación en " : "Interpretación en ";
  if (kind.fija) return title + "coma fija, " + SystemPhrase(kind.system);
  switch (kind.system) {
    case ops::System::kNatural: return title + "binario natural";
    case ops::System::kOnes: return title + "complemento a uno";
    case ops::System::kTwos: return title + "complemento a dos";
    case ops::System::kExcess: return title + "exceso Z";
    case ops::System::kSignMagnitude: return title + "signo-magnitud";
    case ops::System::kFloat: return title + "coma flotante";
  }
  return title;
}

std::string HtmlEscape(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c; break;
    }
  }
  return escaped;
}

namespace {

// Characters, not bytes, of UTF-8 text.
std::size_t Columns(const std::string& text) {
  std::size_t n = 0;
  for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// A word Markdown would read as the start of a list, a heading, a quote or a break when it
// opens a line.
bool OpensBlock(const std::string& word) {
  if (word.empty()) return false;
  if (std::string_view("-+*#>=_|").find(word[0]) != std::string_view::npos) return true;
  std::size_t digits = 0;
  while (digits < word.size() && word[digits] >= '0' && word[digits] <= '9') ++digits;
  return digits > 0 && digits < word.size() && (word[digits] == '.' || word[digits] == ')');
}

// `text` (one paragraph) broken at spaces into lines of at most kMarkdownWidth characters, the
// first starting with `first`, the others with `indent`; no line starts with a word that would
// open a Markdown block.
std::string Wrap(const std::string& text, const std::string& first, const std::string& indent) {
  std::string result = first;
  std::size_t column = Columns(first);
  bool line_empty = true;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    const std::size_t width = Columns(word);
    if (!line_empty && column + 1 + width > kMarkdownWidth && !OpensBlock(word)) {
      result += '\n';
      result += indent;
      column = Columns(indent);
      line_empty = true;
    }
    if (!line_empty) {
      result += ' ';
      ++column;
    }
    result += word;
    column += width;
    line_empty = false;
  }
  return result + "\n";
}

std::string Points(const SheetHeader& header, int numero) {
  if (header.puntos.empty() || numero < 1 || numero > static_cast<int>(header.puntos.size())) {
    return "";
  }
  return "(" + PointsText(header.puntos[static_cast<std::size_t>(numero) - 1]) + ") ";
}

// The bit string in groups of four with spaces, the first group shorter (from the right) or
// the last one (from the left).
std::string Grouped(const std::string& bits, bool from_right) {
  std::string grouped;
  const std::size_t offset = from_right ? (4 - bits.size() % 4) % 4 : 0;
  for (std::size_t i = 0; i < bits.size(); ++i) {
    if (i > 0 && (i + offset) % 4 == 0) grouped += ' ';
    grouped += bits[i];
  }
  return grouped;
}

constexpr const char* kHtmlStyle =
    R"(body{font-family:"DejaVu Serif",Georgia,serif;font-size:11pt;line-height:1.35;
margin:0 auto;max-width:46em;padding:1em;overflow-wrap:anywhere}
h1{font-size:16pt;margin:0 0 .3em}h2{font-size:13pt;margin:.4em 0}
.campos{display:grid;grid-template-columns:3fr 1fr 1fr;gap:1em;margin:.6em 0 1em}
.campos span{border-bottom:1px solid #000;padding-bottom:.2em}
ol{padding-left:2em}li{margin-bottom:.7em;break-inside:avoid}li p{margin:0}
.respuesta{border-bottom:1px dotted #000;height:1.6em;margin-top:.2em;color:#555}
table.respuestas{border-collapse:collapse;font-size:10pt}table.respuestas td,table.respuestas th{
border-bottom:1px solid #999;padding:.15em .8em;text-align:left}
pre{font-family:"DejaVu Sans Mono",monospace;font-size:7.5pt;line-height:1.2;white-space:pre-wrap;
overflow-wrap:anywhere;margin:.3em 0;tab-size:8}
code{font-family:"DejaVu Sans Mono",monospace}
.origen{font-size:9pt;color:#444;margin:0 0 1em}
@page{size:A4;margin:15mm}
@media print{body{max-width:none;padding:0;font-size:10pt;line-height:1.3}section{break-before:page}section:first-of-type{break-before:auto}}
)";

}  // namespace

std::string GiftEscape(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size() + text.size() / 4);
  for (char c : text) {
    switch (c) {
      case '\\':
      case '~':
      case '=':
      case '#':
      case '{':
      case '}':
      case ':':
        escaped += '\\';
        escaped += c;
        break;
      case '\n': escaped += "\\n"; break;
      default: escaped += c; break;
    }
  }
  return escaped;
}

std::vector<std::string> AcceptedAnswers(const Exercise& e) {
  if (IsArithmetic(e.kind) && e.kind.system != ops::System::kFloat) {
    return ArithmeticAcceptedAnswers(e);
  }
  std::vector<std::string> answers = {e.respuesta};
  if (e.respuesta.find_first_not_of("01") != std::string::npos) return answers;
  for (bool from_right : {true, false}) {
    const std::string grouped = Grouped(e.respuesta, from_right);
    if (grouped != e.respuesta && grouped != answers.back()) answers.push_back(grouped);
  }
  if (e.kind.system == ops::System::kFloat) answers.push_back(HexOfBits(e.respuesta));
  return answers;
}

std::string ExpandTabs(const std::string& text) {
  std::string expanded;
  expanded.reserve(text.size() + text.size() / 4);
  std::size_t column = 0;
  for (char c : text) {
    if (c == '\t') {
      const std::size_t spaces = 8 - column % 8;
      expanded.append(spaces, ' ');
      column += spaces;
      continue;
    }
    expanded += c;
    if (c == '\n') {
      column = 0;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return expanded;
}

namespace {

// An answer as the answer table prints it: a floating-point pattern split into its fields, in
// their order in the layout; another bit string in groups of four from the right, as it is read
// aloud when marking.
std::string PrintedAnswer(const Exercise& e) {
  const std::string& bits = e.respuesta;
  if (bits.size() <= 4 || bits.find_first_not_of("01") != std::string::npos) return bits;
  if (e.kind.system != ops::System::kFloat || static_cast<int>(bits.size()) != e.formato.nb) {
    return Grouped(bits, true);
  }
  const FloatFormat& f = e.formato;
  std::vector<std::pair<int, int>> fields = {
      {f.possigno, 1}, {f.posexp, f.nbexp}, {f.posmantisa, f.nb - f.nbexp - 1}};
  std::sort(fields.begin(), fields.end());
  std::string split;
  for (const auto& [start, width] : fields) {
    if (width <= 0) continue;
    if (!split.empty()) split += ' ';
    split += bits.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(width));
  }
  return split;
}

}  // namespace

std::string PointsText(int hundredths) {
  std::string text = std::to_string(hundredths / 100);
  const int cents = hundredths % 100;
  if (cents != 0) {
    text += '.';
    text += static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0) text += static_cast<char>('0' + cents % 10);
  }
  return text + (hundredths == 100 ? " punto" : " puntos");
}

// --- The writer ---------------------------------------------------------------------------------

SheetWriter::SheetWriter(Form form, const SheetHeader& header, bool soluciones, std::string& out)
    : form_(form), header_(header), soluciones_(soluciones), out_(out) {}

bool SheetWriter::TracesFirst() const {
  return form_ == Form::kGift || form_ == Form::kJson;
}

bool SheetWriter::WantsKeys() const {
  return soluciones_ && !TracesFirst();
}

void SheetWriter::Begin() {
  begun_ = true;
  switch (form_) {
    // The student's pages never say the seed: with the command it makes the answer key again.
    case Form::kText: out_ += Title(header_) + "\n"; break;
    case Form::kMarkdown: out_ += "# " + Title(header_) + "\n"; break;
    case Form::kHtml:
      out_ += "<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
              HtmlEscape(Title(header_)) + "</title>\n<style>\n" + kHtmlStyle +
              "</style>\n</head>\n<body>\n";
      break;
    case Form::kGift:
      out_ += "// Banco de preguntas de repbin en formato GIFT (Moodle), en UTF-8.\n// " +
              Recreate(header_) + "\n";
      break;
    case Form::kJson: break;
  }
}

// Each variant's own header: the title, the variant, and the student's fields.
void SheetWriter::BeginVariant(int variante) {
  const bool several = header_.variantes > 1;
  switch (form_) {
    case Form::kText:
      out_ += "\n";
      if (variante > 0) out_ += Title(header_) + "\n";
      if (several) out_ += VariantName(variante) + "\n";
      out_ +=
          "Nombre: ________________________________________\n"
          "Grupo: ____________  Fecha: ____________\n\n";
      break;
    case Form::kMarkdown:
      if (several) out_ += "\n## " + VariantName(variante) + "\n";
      out_ +=
          "\nNombre: ________________________________________\n\n"
          "Grupo: ____________\n\nFecha: ____________\n\n";
      break;
    case Form::kHtml:
      out_ += closing_;
      closing_ = "</ol>\n</section>\n";
      out_ += "<section class=\"hoja\">\n<h1>" + HtmlEscape(Title(header_)) + "</h1>\n";
      if (several) out_ += "<h2>" + VariantName(variante) + "</h2>\n";
      out_ +=
          "<div class=\"campos\"><span>Nombre:</span><span>Grupo:</span><span>Fecha:</span>"
          "</div>\n<ol>\n";
      break;
    default: break;
  }
}

void SheetWriter::Statement(const Exercise& e) {
  const std::string number = std::to_string(e.numero) + ". ";
  const std::string statement = Points(header_, e.numero) + e.enunciado;
  switch (form_) {
    case Form::kText:
      out_ += number + statement + "\n" +
              std::string(static_cast<std::size_t>(header_.espacio), '\n') +
              "   Respuesta: ________________________________\n\n";
      break;
    case Form::kMarkdown:
      out_ += Wrap(statement, number, std::string(number.size(), ' '));
      // A non-breaking space keeps each line of working space (Markdown drops blank lines).
      for (int i = 0; i < header_.espacio; ++i) out_ += "\n\u00a0\n";
      out_ += "\n" + std::string(number.size(), ' ') + "Respuesta: ________________________\n\n";
      break;
    case Form::kHtml:
      out_ += "<li><p>" + HtmlEscape(statement) + "</p>";
      if (header_.espacio > 0) {
        out_ += "<div class=\"espacio\" style=\"height:" + std::to_string(header_.espacio * 6) +
                "mm\"></div>";
      }
      out_ += "<div class=\"respuesta\">Respuesta:</div></li>\n";
      break;
    default: break;
  }
}

// A GIFT question or a JSON object, which carry the answer and the trace.
void SheetWriter::Question(const Exercise& e) {
  const bool several = header_.variantes > 1;
  if (form_ == Form::kJson) {
    nlohmann::ordered_json j;
    j["numero"] = e.numero;
    j["variante"] = std::string(1, static_cast<char>('A' + e.variante));
    j["tipo"] = KindName(e.kind);
    j["operacion"] = OperationName(e.kind.operation);
    j["sistema"] = ops::SystemName(e.kind.system);
    j["bits"] = e.bits;
    if (e.kind.system == ops::System::kExcess) j["exceso"] = e.exceso;
    if (e.kind.fija) j["fraccion"] = e.fraccion;
    if (e.kind.system == ops::System::kFloat) {
      nlohmann::ordered_json formato;
      if (!e.preset.empty()) formato["nombre"] = e.preset;
      formato.update(ops::FormatJson(e.formato));
      j["formato"] = formato;
    }
    j["dato"] = e.dato;
    if (!e.operandos.empty()) {
      j["operandos"] = e.operandos;
      j["operador"] = e.operador;
    }
    if (!e.redondeo.empty()) j["redondeo"] = e.redondeo;
    if (e.desborda) j["desbordamiento"] = *e.desborda;
    j["enunciado"] = e.enunciado;
    j["orden"] = e.orden;
    j["respuesta"] = e.respuesta;
    if (e.en_rango) j["en_rango"] = *e.en_rango;
    if (!header_.puntos.empty() && e.numero <= static_cast<int>(header_.puntos.size())) {
      j["puntos"] = header_.puntos[static_cast<std::size_t>(e.numero) - 1] / 100.0;
    }
    j["traza"] = e.traza;
    j["semilla"] = header_.seed;
    out_ += j.dump();
    out_ += '\n';
    return;
  }
  // GIFT: a category per kind (per variant and kind when there are several), declared whenever
  // it changes, so that Moodle files every question where it belongs.
  const std::string category =
      "repbin/" + (several ? VariantName(e.variante) + "/" : "") + KindTitle(e.kind);
  if (category != category_) {
    out_ += "\n$CATEGORY: " + GiftEscape(category) + "\n";
    category_ = category;
  }
  std::string title = "Ejercicio " + std::to_string(e.numero) + " (" + KindName(e.kind);
  if (several) title += ", variante " + std::string(1, static_cast<char>('A' + e.variante));
  title += ")";
  const std::string feedback = "<pre>" + HtmlEscape(e.traza) + "</pre>";
  // Readings are numerical questions, representations short answers with every accepted form.
  std::string answer;
  if (e.kind.operation == Operation::kInterpret) {
    answer = "#" + e.respuesta;
    // A floating reading is right within half of the last printed decimal; at a tie, on either
    // side of it, both roundings listed.
    if (e.kind.system == ops::System::kFloat) {
      answer += ":0.0000005";
      const std::optional<std::pair<std::string, std::string>> tie = KeyTie(e);
      if (tie) answer = "#=" + tie->first + ":0.0000005 =" + tie->second + ":0.0000005";
    }
  } else {
    for (const std::string& accepted : AcceptedAnswers(e)) {
      answer += (answer.empty() ? "=" : " =") + GiftEscape(accepted);
    }
  }
  out_ += "\n::";
  out_ += GiftEscape(title);
  out_ += "::[html]<p>";
  out_ += GiftEscape(HtmlEscape(e.enunciado));
  out_ += "</p>{";
  out_ += answer;
  out_ += "####";
  out_ += GiftEscape(feedback);
  out_ += "}\n";
}

void SheetWriter::Add(const Exercise& e) {
  if (!begun_) Begin();
  if (e.variante != variant_) {
    BeginVariant(e.variante);
    variant_ = e.variante;
  }
  if (TracesFirst()) {
    Question(e);
  } else {
    Statement(e);
  }
}

// A section of the teacher's part: the answer table or the key of a variant. The first one opens
// with the seed and the command that make the sheet again, which the students' pages never say.
void SheetWriter::OpenKeySection(const std::string& heading, const char* html_class,
                                 const char* closing) {
  const bool first = !key_begun_;
  key_begun_ = true;
  switch (form_) {
    case Form::kText: out_ += (first ? Recreate(header_) + "\n\n" : "\n") + heading + "\n"; break;
    case Form::kMarkdown:
      // The command line goes in a code block: it may be longer than a line.
      if (first) {
        out_ += "\nSemilla " + std::to_string(header_.seed) +
                "; para crear de nuevo esta hoja:\n\n```sh\n" + header_.command + "\n```\n";
      }
      out_ += "\n## " + heading + "\n";
      break;
    case Form::kHtml:
      // The heading comes first: a printed section starts its page with it.
      out_ += closing_;
      closing_ = closing;
      out_ += std::string("<section class=\"") + html_class + "\">\n<h1>" + heading + "</h1>\n";
      if (first) out_ += "<p class=\"origen\">" + HtmlEscape(Recreate(header_)) + "</p>\n";
      break;
    default: break;
  }
}

void SheetWriter::AddAnswer(const Exercise& e) {
  if (!begun_) Begin();
  const bool points =
      !header_.puntos.empty() && e.numero <= static_cast<int>(header_.puntos.size());
  if (e.variante != answer_variant_) {
    const std::string heading =
        header_.variantes > 1
            ? "Respuestas de la variante " + std::string(1, static_cast<char>('A' + e.variante))
            : std::string("Respuestas");
    OpenKeySection(heading, "respuestas", "</table>\n</section>\n");
    answer_variant_ = e.variante;
    const bool with_points = !header_.puntos.empty();
    switch (form_) {
      case Form::kMarkdown:
        out_ += with_points ? "\n| Ejercicio | Respuesta | Puntos |\n|---:|---|---:|\n"
                            : "\n| Ejercicio | Respuesta |\n|---:|---|\n";
        break;
      case Form::kHtml:
        out_ +=
            std::string("<table class=\"respuestas\">\n<tr><th>Ejercicio</th><th>Respuesta</th>") +
            (with_points ? "<th>Puntos</th>" : "") + "</tr>\n";
        break;
      default: break;
    }
  }
  const std::string shown = PrintedAnswer(e);
  const std::string worth =
      points ? PointsText(header_.puntos[static_cast<std::size_t>(e.numero) - 1]) : "";
  switch (form_) {
    case Form::kText:
      out_ += std::string(e.numero < 10 ? " " : "") + std::to_string(e.numero) + ". " + shown +
              (points ? "  (" + worth + ")" : "") + "\n";
      break;
    case Form::kMarkdown:
      out_ += "| " + std::to_string(e.numero) + " | `" + shown + "` |" +
              (points ? " " + worth + " |" : "") + "\n";
      break;
    case Form::kHtml:
      out_ += "<tr><td>" + std::to_string(e.numero) + "</td><td><code>" + HtmlEscape(shown) +
              "</code></td>" + (points ? "<td>" + worth + "</td>" : "") + "</tr>\n";
      break;
    default: break;
  }
}

void SheetWriter::AddKey(const Exercise& e) {
  if (!begun_) Begin();
  const bool several = header_.variantes > 1;
  if (e.variante != key_variant_) {
    const std::string heading =
        several ? "Soluciones de la variante " + std::string(1, static_cast<char>('A' + e.variante))
                : std::string("Soluciones");
    OpenKeySection(heading, "soluciones", "</ol>\n</section>\n");
    if (form_ == Form::kHtml) out_ += "<ol>\n";
    key_variant_ = e.variante;
  }
  const std::string number = std::to_string(e.numero) + ". ";
  switch (form_) {
    case Form::kText:
      // The answer, then the trace exactly as the command prints it.
      out_ += '\n';
      out_ += number;
      out_ += e.respuesta;
      out_ += '\n';
      out_ += e.traza;
      break;
    case Form::kMarkdown: {
      const std::string trace = ExpandTabs(e.traza);
      out_ += "\n### " + number + "`" + e.respuesta + "`\n\n```text\n" + trace;
      if (!trace.empty() && trace.back() != '\n') out_ += '\n';
      out_ += "```\n";
      break;
    }
    case Form::kHtml:
      out_ += "<li><p><code>" + HtmlEscape(e.respuesta) + "</code></p><pre>" +
              HtmlEscape(ExpandTabs(e.traza)) + "</pre></li>\n";
      break;
    default: break;
  }
}

void SheetWriter::Finish() {
  if (!begun_) Begin();
  if (form_ == Form::kHtml) out_ += closing_ + "</body>\n</html>\n";
}

std::string Render(Form form, const std::vector<Exercise>& sheet, const SheetHeader& header,
                   bool soluciones) {
  std::string text;
  SheetWriter writer(form, header, soluciones, text);
  for (const Exercise& e : sheet) writer.Add(e);
  if (writer.WantsKeys()) {
    for (const Exercise& e : sheet) writer.AddAnswer(e);
    for (const Exercise& e : sheet) writer.AddKey(e);
  }
  writer.Finish();
  return text;
}

std::string RenderText(const std::vector<Exercise>& sheet, const SheetHeader& header,
                       bool soluciones) {
  return Render(Form::kText, sheet, header, soluciones);
}
std::string RenderMarkdown(const std::vector<Exercise>& sheet, const SheetHeader& header,
                           bool soluciones) {
  return Render(Form::kMarkdown, sheet, header, soluciones);
}
std::string RenderHtml(const std::vector<Exercise>& sheet, const SheetHeader& header,
                       bool soluciones) {
  return Render(Form::kHtml, sheet, header, soluciones);
}
std::string RenderGift(const std::vector<Exercise>& sheet, const SheetHeader& header) {
  return Render(Form::kGift, sheet, header, true);
}
std::string RenderJson(const std::vector<Exercise>& sheet, const SheetHeader& header) {
  return Render(Form::kJson, sheet, header, true);
}

}  // namespace repbin::exercises
