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
constexpr std::size_t kMarkdownWidth = 100;           // longest Markdown line outside code blocks
constexpr const char* kFloatTolerance = "0.0000005";  // half of a floating reading's last decimal

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

std::string XmlEscape(const std::string& text) {
  const std::string html = HtmlEscape(text);
  std::string escaped;
  escaped.reserve(html.size());
  for (char c : html) {
    if (c == '\r') {
      escaped += "&#13;";
    } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
      escaped += "\uFFFD";
    } else {
      escaped += c;
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

std::vector<PatternField> LayoutFields(const FloatFormat& f) {
  std::vector<PatternField> fields = {{f.possigno, 1, "signo"},
                                      {f.posexp, f.nbexp, "exponente"},
                                      {f.posmantisa, f.nb - f.nbexp - 1, "mantisa"}};
  std::sort(fields.begin(), fields.end(),
            [](const PatternField& a, const PatternField& b) { return a.start < b.start; });
  std::erase_if(fields, [](const PatternField& field) { return field.width <= 0; });
  return fields;
}

BankAnswer BankAnswerOf(const Exercise& e) {
  BankAnswer answer;
  if (e.kind.operation != Operation::kInterpret) {
    answer.texts = AcceptedAnswers(e);
    return answer;
  }
  // A floating reading is right within half of the last printed decimal; at a tie, on either
  // side of it, both roundings are listed.
  if (e.kind.system != ops::System::kFloat) {
    answer.numbers = {{e.respuesta, ""}};
  } else if (const std::optional<std::pair<std::string, std::string>> tie = KeyTie(e)) {
    answer.numbers = {{tie->first, kFloatTolerance}, {tie->second, kFloatTolerance}};
  } else {
    answer.numbers = {{e.respuesta, kFloatTolerance}};
  }
  return answer;
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

// A bit string as a printed sheet shows it (answers in the answer table, strings to read in the
// statements): a floating-point pattern split into its fields, in their order in the layout;
// another bit string in groups of four from the right, as it is read aloud when marking.
std::string PrintedBits(const Exercise& e, const std::string& bits) {
  if (bits.size() <= 4 || bits.find_first_not_of("01") != std::string::npos) return bits;
  if (e.kind.system != ops::System::kFloat || static_cast<int>(bits.size()) != e.formato.nb) {
    return Grouped(bits, true);
  }
  std::string split;
  for (const PatternField& field : LayoutFields(e.formato)) {
    if (!split.empty()) split += ' ';
    split +=
        bits.substr(static_cast<std::size_t>(field.start), static_cast<std::size_t>(field.width));
  }
  return split;
}

std::string PrintedAnswer(const Exercise& e) {
  return PrintedBits(e, e.respuesta);
}

// The statement as a printed sheet shows it: the string to read grouped as the answers are
// (a string of 32 bits is hard to copy whole); banks and JSON keep it as typed.
std::string PrintedStatement(const Exercise& e) {
  const std::string whole = "cadena " + e.dato;
  const std::size_t at = e.enunciado.find(whole);
  if (e.kind.operation != Operation::kInterpret || at == std::string::npos) return e.enunciado;
  std::string printed = e.enunciado;
  printed.replace(at, whole.size(), "cadena " + PrintedBits(e, e.dato));
  return printed;
}

// A bank's category of a question, one per kind (per variant and kind when there are several):
// "repbin/Variante B/Representación en complemento a dos".
std::string BankCategory(const Exercise& e, bool several) {
  return "repbin/" + (several ? VariantName(e.variante) + "/" : "") + KindTitle(e.kind);
}

// "Ejercicio 3 (representar-c2, variante B)".
std::string BankTitle(const Exercise& e, bool several) {
  std::string title = "Ejercicio " + std::to_string(e.numero) + " (" + KindName(e.kind);
  if (several) title += ", variante " + std::string(1, static_cast<char>('A' + e.variante));
  return title + ")";
}

// The general feedback of a bank's question: the solution's trace, in HTML.
std::string BankFeedback(const Exercise& e) {
  return "<pre>" + HtmlEscape(e.traza) + "</pre>";
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
  return form_ == Form::kGift || form_ == Form::kJson || form_ == Form::kMoodle;
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
    case Form::kMoodle:
      // The bank's own category says how it was made, as GIFT's comment does.
      out_ +=
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<!-- Banco de preguntas de repbin en formato XML de Moodle, en UTF-8. -->\n"
          "<quiz>\n"
          "  <question type=\"category\">\n"
          "    <category><text>$course$/top/repbin</text></category>\n"
          "    <info format=\"html\"><text>" +
          XmlEscape("<p>" + HtmlEscape(Recreate(header_)) + "</p>") +
          "</text></info>\n"
          "  </question>\n";
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
  const std::string statement = Points(header_, e.numero) + PrintedStatement(e);
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

// A bank's question (GIFT, Moodle XML) or a JSON object, which carry the answer and the trace.
void SheetWriter::Question(const Exercise& e) {
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
  if (form_ == Form::kGift) {
    GiftQuestion(e);
  } else {
    MoodleQuestion(e);
  }
}

// A bank's category is declared whenever it changes, so that Moodle files every question where
// it belongs. True when `category` is not the last one declared.
bool SheetWriter::NewCategory(const std::string& category) {
  if (category == category_) return false;
  category_ = category;
  return true;
}

void SheetWriter::GiftQuestion(const Exercise& e) {
  const bool several = header_.variantes > 1;
  if (NewCategory(BankCategory(e, several))) {
    out_ += "\n$CATEGORY: " + GiftEscape(category_) + "\n";
  }
  // Readings are numerical questions, representations short answers with every accepted form.
  const BankAnswer bank = BankAnswerOf(e);
  std::string answer;
  for (const auto& [number, tolerance] : bank.numbers) {
    answer += answer.empty() ? "#" : " =";
    answer += number + (tolerance.empty() ? "" : ":" + tolerance);
  }
  if (bank.numbers.size() > 1) answer.insert(1, "=");
  for (const std::string& accepted : bank.texts) {
    answer += (answer.empty() ? "=" : " =") + GiftEscape(accepted);
  }
  out_ += "\n::";
  out_ += GiftEscape(BankTitle(e, several));
  out_ += "::[html]<p>";
  out_ += GiftEscape(HtmlEscape(e.enunciado));
  out_ += "</p>{";
  out_ += answer;
  out_ += "####";
  out_ += GiftEscape(BankFeedback(e));
  out_ += "}\n";
}

namespace {

// Short answers match '*' as any text, unless escaped.
std::string ShortAnswerEscape(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '*') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// An answer inside an embedded (Cloze) field, where } # ~ / " and the backslash are structure.
std::string ClozeEscape(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (std::string_view("}#~/\"\\*").find(c) != std::string_view::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// One element with a text in HTML: <NAME format="html"><text>...</text></NAME>.
std::string XmlHtml(const char* name, const std::string& html) {
  return std::string("    <") + name + " format=\"html\"><text>" + XmlEscape(html) + "</text></" +
         name + ">\n";
}

std::string MoodleAnswer(const std::string& text, const std::string& more = "") {
  return "    <answer fraction=\"100\" format=\"plain_text\"><text>" + XmlEscape(text) + "</text>" +
         more + "<feedback format=\"html\"><text></text></feedback></answer>\n";
}

// The embedded fields of a floating-point answer, one per field of the layout and each scored
// on its own; nothing when the key is a pattern of another length. A key that is no pattern
// ("Fuera de Rango") is what each field takes.
std::string ClozeFields(const Exercise& e) {
  const std::vector<PatternField> fields = LayoutFields(e.formato);
  const bool pattern = e.respuesta.find_first_not_of("01") == std::string::npos;
  if (fields.size() < 2 || (pattern && static_cast<int>(e.respuesta.size()) != e.formato.nb)) {
    return "";
  }
  std::string html;
  for (const PatternField& field : fields) {
    std::string key = e.respuesta;
    std::vector<std::string> accepted;
    if (pattern) {
      key = e.respuesta.substr(static_cast<std::size_t>(field.start),
                               static_cast<std::size_t>(field.width));
    }
    accepted.push_back(key);
    if (pattern) {
      for (bool from_right : {true, false}) {
        const std::string grouped = Grouped(key, from_right);
        if (grouped != key && grouped != accepted.back()) accepted.push_back(grouped);
      }
    }
    std::string label = field.name;
    label[0] = static_cast<char>(label[0] - 'a' + 'A');
    html += "<p>" + label + ": {1:SHORTANSWER:";
    for (std::size_t i = 0; i < accepted.size(); ++i) {
      html += (i == 0 ? "=" : "~=") + ClozeEscape(accepted[i]);
    }
    html += "}</p>";
  }
  return html;
}

}  // namespace

// A Moodle XML question: readings numerical, floating-point patterns embedded answers with a
// field for each part of the layout, other answers short answers with every accepted form.
void SheetWriter::MoodleQuestion(const Exercise& e) {
  const bool several = header_.variantes > 1;
  if (NewCategory(BankCategory(e, several))) {
    // Under the course's top category; no name in the path holds a '/' of its own.
    out_ += "  <question type=\"category\">\n    <category><text>" +
            XmlEscape("$course$/top/" + category_) + "</text></category>\n  </question>\n";
  }
  const BankAnswer bank = BankAnswerOf(e);
  std::string statement = "<p>" + HtmlEscape(e.enunciado) + "</p>";
  const std::string fields =
      bank.texts.empty() || e.kind.system != ops::System::kFloat ? "" : ClozeFields(e);
  const char* type = !bank.numbers.empty() ? "numerical" : fields.empty() ? "shortanswer" : "cloze";
  if (!fields.empty()) {
    statement +=
        "<p>Escriba la cadena campo a campo (si no se puede representar en el formato, escriba "
        "«Fuera de Rango» en cada campo):</p>" +
        fields;
  }
  out_ += std::string("  <question type=\"") + type + "\">\n    <name><text>" +
          XmlEscape(BankTitle(e, several)) + "</text></name>\n";
  out_ += XmlHtml("questiontext", statement);
  out_ += XmlHtml("generalfeedback", BankFeedback(e));
  // An embedded question is worth its fields, one point each.
  if (fields.empty()) out_ += "    <defaultgrade>1</defaultgrade>\n";
  out_ += "    <penalty>0.3333333</penalty>\n    <hidden>0</hidden>\n";
  if (!bank.numbers.empty()) {
    for (const auto& [number, tolerance] : bank.numbers) {
      out_ += MoodleAnswer(number,
                           "<tolerance>" + (tolerance.empty() ? "0" : tolerance) + "</tolerance>");
    }
    out_ +=
        "    <unitgradingtype>0</unitgradingtype>\n    <unitpenalty>0</unitpenalty>\n"
        "    <showunits>3</showunits>\n    <unitsleft>0</unitsleft>\n";
  } else if (fields.empty()) {
    out_ += "    <usecase>0</usecase>\n";
    for (const std::string& accepted : bank.texts)
      out_ += MoodleAnswer(ShortAnswerEscape(accepted));
  }
  out_ += "  </question>\n";
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
  if (form_ == Form::kMoodle) out_ += "</quiz>\n";
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
std::string RenderMoodle(const std::vector<Exercise>& sheet, const SheetHeader& header) {
  return Render(Form::kMoodle, sheet, header, true);
}

}  // namespace repbin::exercises
