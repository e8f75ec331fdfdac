// The four ways of writing a sheet. Each one only lays out what the exercises already hold, so a
// sheet and its question bank from the same seed and options say the same.

#include <nlohmann/json.hpp>
#include <string>

#include "exercises/exercise_sheet.h"
#include "operations/json.h"

namespace repbin::exercises {
namespace {

std::string Recreate(const SheetHeader& header) {
  return "Semilla " + std::to_string(header.seed) +
         "; para crear de nuevo esta hoja: " + header.command;
}

// The kind as a Spanish heading: "Representación en complemento a dos".
std::string KindTitle(const Kind& kind) {
  std::string title =
      kind.operation == Operation::kRepresent ? "Representación en " : "Interpretación en ";
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
      default: escaped += c; break;
    }
  }
  return escaped;
}

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

std::string RenderText(const std::vector<Exercise>& sheet, const SheetHeader& header,
                       bool soluciones) {
  std::string text = "Hoja de ejercicios de repbin\n" + Recreate(header) + "\n\n";
  for (const Exercise& e : sheet) {
    text += std::to_string(e.numero) + ". " + e.enunciado + "\n";
  }
  if (soluciones) {
    text += "\nSoluciones\n";
    for (const Exercise& e : sheet) {
      // The answer, then the trace exactly as the command prints it.
      text += '\n';
      text += std::to_string(e.numero);
      text += ". ";
      text += e.respuesta;
      text += '\n';
      text += e.traza;
    }
  }
  return text;
}

std::string RenderMarkdown(const std::vector<Exercise>& sheet, const SheetHeader& header,
                           bool soluciones) {
  // The command line in the header holds no backquote: render it as code.
  std::string text = "# Hoja de ejercicios\n\nSemilla " + std::to_string(header.seed) +
                     "; para crear de nuevo esta hoja: `" + header.command + "`\n\n";
  for (const Exercise& e : sheet) {
    text += std::to_string(e.numero) + ". " + e.enunciado + "\n";
  }
  if (soluciones) {
    text += "\n## Soluciones\n";
    for (const Exercise& e : sheet) {
      text +=
          "\n### " + std::to_string(e.numero) + ". `" + e.respuesta + "`\n\n```text\n" + e.traza;
      if (!e.traza.empty() && e.traza.back() != '\n') text += '\n';
      text += "```\n";
    }
  }
  return text;
}

std::string RenderGift(const std::vector<Exercise>& sheet, const SheetHeader& header) {
  std::string text = "// Banco de preguntas de repbin en formato GIFT (Moodle), en UTF-8.\n// " +
                     Recreate(header) + "\n";
  // One category per kind, in the order of the kinds; the questions keep their sheet numbers.
  for (const Kind& kind : AllKinds()) {
    bool opened = false;
    for (const Exercise& e : sheet) {
      if (!(e.kind == kind)) continue;
      if (!opened) {
        text += "\n$CATEGORY: repbin/" + GiftEscape(KindTitle(kind)) + "\n";
        opened = true;
      }
      const std::string title =
          "Ejercicio " + std::to_string(e.numero) + " (" + KindName(kind) + ")";
      const std::string feedback = "<pre>" + HtmlEscape(e.traza) + "</pre>";
      // Readings are numerical questions, representations short answers.
      std::string answer(1, kind.operation == Operation::kInterpret ? '#' : '=');
      if (kind.operation == Operation::kInterpret) {
        answer += e.respuesta;
        // A floating reading is right within half of the last printed decimal.
        if (kind.system == ops::System::kFloat) answer += ":0.0000005";
      } else {
        answer += GiftEscape(e.respuesta);
      }
      text += "\n::";
      text += GiftEscape(title);
      text += "::[html]<p>";
      text += GiftEscape(HtmlEscape(e.enunciado));
      text += "</p>{";
      text += answer;
      text += "####";
      text += GiftEscape(feedback);
      text += "}\n";
    }
  }
  return text;
}

std::string RenderJson(const std::vector<Exercise>& sheet, const SheetHeader& header) {
  std::string text;
  for (const Exercise& e : sheet) {
    nlohmann::ordered_json j;
    j["numero"] = e.numero;
    j["tipo"] = KindName(e.kind);
    j["operacion"] = e.kind.operation == Operation::kRepresent ? "representar" : "interpretar";
    j["sistema"] = ops::SystemName(e.kind.system);
    j["bits"] = e.bits;
    if (e.kind.system == ops::System::kExcess) j["exceso"] = e.exceso;
    if (e.kind.system == ops::System::kFloat) {
      nlohmann::ordered_json formato;
      if (!e.preset.empty()) formato["nombre"] = e.preset;
      formato.update(ops::FormatJson(e.formato));
      j["formato"] = formato;
    }
    j["dato"] = e.dato;
    j["enunciado"] = e.enunciado;
    j["orden"] = e.orden;
    j["respuesta"] = e.respuesta;
    if (e.en_rango) j["en_rango"] = *e.en_rango;
    j["traza"] = e.traza;
    j["semilla"] = header.seed;
    text += j.dump();
    text += '\n';
  }
  return text;
}

}  // namespace repbin::exercises
