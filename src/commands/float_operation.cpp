// `repbin operar flotante A OP B`: one operation per command line, or one per line of standard
// input with "-", shown as its steps or as one JSON object.

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string_view>

#include "codec/codec.h"
#include "commands/command_line.h"
#include "commands/float_operation.h"
#include "operations/float_arithmetic.h"
#include "operations/json.h"
#include "operations/layout.h"
#include "operations/layout_options.h"
#include "operations/option_table.h"
#include "output/input.h"
#include "output/output.h"
#include "output/trace.h"
#include "real/format.h"
#include "real/report.h"

namespace repbin::commands {
namespace {

using Json = nlohmann::ordered_json;

enum Status { kDone = 0, kOutOfRange = 1, kRefused = 2 };

struct Request {
  std::vector<std::string> words;  // A OP B, or "-"
  ops::LayoutOptions layout;
  ops::Rounding rounding = ops::Rounding::kTruncate;
  bool json = false;
  bool ampliado = false;
  bool help = false;
  FloatFormat format{};
  // The page's run: the JSON object kept here beside the trace.
  Json* kept = nullptr;
};

Status Refuse(const std::string& message) {
  out::PrintErr("repbin: ");
  out::PrintErrText(message.c_str());
  out::PrintErr("\n");
  return kRefused;
}

// The options of `operar flotante`, read into `r`, and their help.
ops::OptionTable FloatOperationOptions(Request& r) {
  ops::OptionTable table;
  cmd::AddCommonFlags(table, r.help, r.json, r.ampliado);
  table
      .Valued({"--redondeo"},
              [&r](std::string_view value) -> std::optional<std::string> {
                const std::optional<ops::Rounding> rounding = ops::FindRounding(value);
                if (!rounding) return "truncar, cercano, cero, arriba o abajo";
                r.rounding = *rounding;
                return std::nullopt;
              })
      .Whole({"-b", "--bits"}, "un número de bits", ops::kFloatWidth,
             [&r](std::int64_t n) { r.layout.bits = static_cast<int>(n); })
      .Whole({"-z", "--exceso"}, "un exceso", ops::kExcess,
             [&r](std::int64_t z) { r.layout.exceso = static_cast<int>(z); })
      .Layout(r.layout);
  table
      .Describe("--redondeo", "REGLA",
                "truncar (por omisión), cercano (el más próximo, empates al par,\n"
                "como IEEE 754), cero (hacia cero), arriba (hacia más infinito),\n"
                "abajo (hacia menos infinito)")
      .Describe("-f", "NOMBRE",
                "ieee32 (por omisión), ieee16, ieee64, bfloat16, fp8-e4m3,\n"
                "fp8-e5m2")
      .Describe("-b", "N", "número total de bits del formato")
      .Describe("-z", "Z", "exceso del exponente (por omisión 2^(e-1)-1)")
      .Note("--exp N, --pos-exp P, --pos-man P, --pos-signo P, --sis-exp SIS, --sis-man SIS,")
      .Describe("--norma", "N", "el formato campo a campo, como en representar")
      .Describe("--json", "", "un objeto JSON por operación (JSON Lines)")
      .Describe("--ampliado", "", "añade el informe ampliado de la cadena del resultado");
  cmd::DescribeEncodingAndHelp(table);
  return table;
}

Status ParseArguments(const std::vector<std::string>& args, Request& r) {
  const ops::OptionTable table = FloatOperationOptions(r);
  const auto positional = [&](std::size_t i, bool&) -> std::optional<std::string> {
    if (r.words.size() == 3) {
      return "sobra el argumento \"" + args[i] +
             "\" (una orden hace una operación, A OP B; use \"-\" para leer varias de la "
             "entrada estándar)";
    }
    r.words.push_back(args[i]);
    return std::nullopt;
  };
  if (std::optional<std::string> refusal = table.Parse(args, 0, positional)) {
    if (refusal->starts_with("opción desconocida"))
      *refusal += " (vea repbin operar flotante --help)";
    return Refuse(*refusal);
  }
  // A named format brings its width; -b after it changes it (-f replaces what came before).
  if (r.layout.preset) r.layout.bits = r.layout.bits.value_or(FindPreset(*r.layout.preset)->nb);
  return kDone;
}

}  // namespace

void PrintFloatOperationHelp() {
  out::Print(
      "Uso: repbin operar flotante A OP B [opciones]\n"
      "\n"
      "Suma, resta o multiplica A y B en un formato de coma flotante y muestra los pasos:\n"
      "desempaquetar, alinear con los bits de guarda, redondeo y retenedor (G, R, S), sumar\n"
      "o multiplicar, normalizar, redondear y empaquetar.\n"
      "A y B son números en coma fija (15, -3.75, .5) o cadenas del formato con 0b\n"
      "(0b0_10000010_111...) o 0x (0x41700000). Cada operando se guarda primero en el\n"
      "formato, con la misma regla de redondeo que el resultado.\n"
      "OP es + (suma), - (resta) o x (producto; también *, entre comillas en el shell).\n"
      "Con A \"-\" y sin OP ni B, lee una operación \"A OP B\" por línea de la entrada\n"
      "estándar.\n"
      "\n"
      "Opciones:\n");
  Request r;
  out::PrintText(FloatOperationOptions(r).Help(cmd::kHelpColumn).c_str());
  out::Print(
      "\n"
      "En los formatos IEEE 754 (ieee32, ieee16, ieee64, bfloat16, fp8-e5m2 y los de su\n"
      "forma), un resultado subnormal, infinito o NaN queda fuera del rango, y se dice por\n"
      "qué y qué daría IEEE 754: infinito, o el mayor valor finito si el redondeo va hacia\n"
      "cero. fp8-e4m3 no tiene infinitos: su exponente todo a 1 guarda valores (hasta 448)\n"
      "salvo S.1111.111, que es NaN, y lo que desborda daría NaN (o 448 hacia cero).\n"
      "\n"
      "Estado de salida: 0 hecho; 1 el resultado o un operando no cabe (Fuera de Rango);\n"
      "2 error de uso o argumento rechazado.\n"
      "\n"
      "Ejemplos:\n"
      "  repbin operar flotante 15 + 3.75\n"
      "  repbin operar flotante 0.1 x 3 --redondeo cercano -f ieee16\n"
      "  repbin operar flotante 0x41700000 - 0x40700000 --json\n");
}

namespace {

Json Text(const std::string& text) {
  return text.empty() ? Json(nullptr) : Json(text);
}

Json OperationJson(const Request& r, const ops::FloatOperation& op, ops::FloatOperator which) {
  Json object;
  object["operacion"] = "operar";
  object["sistema"] = "flotante";
  object["formato"] = ops::FormatJson(r.format);
  object["operador"] = ops::OperatorName(which);
  object["redondeo"] = ops::RoundingName(r.rounding);
  Json operands = Json::array();
  for (const ops::StoredOperand& operand : op.operands) {
    operands.push_back(
        {{"cadena", Text(operand.cadena)}, {"valor_exacto", Text(operand.valor_exacto)}});
  }
  object["operandos"] = operands;
  object["resultado"] = {
      {"cadena", Text(op.cadena)}, {"valor_exacto", Text(op.valor)}, {"hex", Text(op.hex)}};
  object["valor_exacto"] = Text(op.valor_exacto);
  object["inexacto"] = op.inexacto;
  object["bits_guarda"] = {{"guarda", op.guarda ? "1" : "0"},
                           {"redondeo", op.redondeo ? "1" : "0"},
                           {"retenedor", op.retenedor ? "1" : "0"}};
  object["desbordamiento"] = op.desbordamiento;
  object["motivo"] = Text(op.motivo);
  // What IEEE 754 (or fp8-e4m3, without infinities) makes of a result beyond the largest value.
  object["desborda_ieee"] = op.ieee ? Json{{"cadena", op.ieee->cadena},
                                           {"hex", HexOfBits(op.ieee->cadena)},
                                           {"valor", op.ieee->valor}}
                                    : Json(nullptr);
  object["pasos"] = op.pasos;
  // The columns a page draws; the steps above write the same rows as text.
  if (op.alineados) {
    const ops::AlignedSignificands& a = *op.alineados;
    object["alineados"] = {
        {"resta", a.subtract},   {"exponente", a.exponent}, {"cifras_enteras", a.integer_digits},
        {"acarreos", a.carries}, {"primero", a.first},      {"segundo", a.second},
        {"resultado", a.result}};
  }
  if (op.normalizado) {
    const ops::NormalisedSignificand& n = *op.normalizado;
    object["normalizado"] = {
        {"exponente", n.exponent}, {"cifras_enteras", n.integer_digits}, {"cifras", n.digits}};
  }
  return object;
}

void WriteJson(const Request& r, const ops::FloatOperation& op, ops::FloatOperator which) {
  std::string line =
      OperationJson(r, op, which).dump(-1, ' ', false, Json::error_handler_t::replace);
  line.push_back('\n');
  out::Write(line.data(), line.size());
}

Status OperateOnce(const Request& r, const std::string& a, const std::string& op_word,
                   const std::string& b) {
  const std::optional<ops::FloatOperator> which = ops::FindFloatOperator(op_word);
  if (!which) {
    return Refuse("operador desconocido: \"" + op_word + "\"; escriba +, - o x");
  }
  const ops::FloatOperation op = ops::OperateFloat(r.format, a, *which, b, r.rounding);
  if (!op.fault.empty()) return Refuse(op.fault);
  if (r.kept != nullptr) *r.kept = OperationJson(r, op, *which);
  if (r.json) {
    WriteJson(r, op, *which);
  } else {
    Trace& trace = PrintedTrace();
    ops::PrintLayoutSummary(r.format, trace);
    trace.Print(" %s %s %s (redondeo: %s)\n", a.c_str(), ops::OperatorName(*which), b.c_str(),
                ops::RoundingName(r.rounding));
    for (const std::string& step : op.pasos) {
      trace.Text(" ");
      trace.Text(step.c_str());
      trace.Text("\n");
    }
    if (r.ampliado && !op.cadena.empty()) {
      PrintInterpretationReport(ReportInterpretation(r.format, op.cadena.c_str()), trace);
    }
    ops::PrintSeparator(trace);
  }
  if (!op.desbordamiento) return kDone;
  out::PrintErr("repbin: Fuera de Rango: ");
  out::PrintErrText(op.motivo.c_str());
  out::PrintErr("\n");
  return kOutOfRange;
}

// One line of a batch: "A OP B", blanks between the words.
Status OperateLine(const Request& r, const in::Line& line) {
  if (line.length > line.text.size()) {
    return Refuse("la línea es demasiado larga; escriba una operación A OP B por línea");
  }
  std::istringstream words(line.text);
  std::vector<std::string> parts;
  for (std::string word; words >> word;) parts.push_back(word);
  if (parts.empty()) return kDone;
  if (parts.size() != 3 || line.text.find('\0') != std::string::npos) {
    return Refuse("línea no válida: \"" + line.text +
                  "\"; escriba A OP B separados por espacios (los grupos de una cadena, con _)");
  }
  return OperateOnce(r, parts[0], parts[1], parts[2]);
}

}  // namespace

int RunFloatOperation(const std::vector<std::string>& args, nlohmann::ordered_json* kept,
                      bool ampliado) {
  Request r;
  r.kept = kept;
  r.ampliado = ampliado;
  if (ParseArguments(args, r) != kDone) return kRefused;
  const bool batch = r.words.size() == 1 && r.words[0] == "-";
  if (kept != nullptr && (r.json || r.help || batch)) return cmd::RefuseOnPage(true);
  if (r.help) {
    PrintFloatOperationHelp();
    return kDone;
  }
  if (!batch && r.words.size() != 3) {
    return Refuse(
        "faltan operandos: escriba A OP B, como 15 + 3.75 (vea repbin operar flotante --help)");
  }
  r.format = ops::BuildLayout(r.layout);
  if (const std::optional<ops::LayoutFault> fault = ops::CheckFloatFormat(r.format)) {
    return Refuse(ops::LayoutFaultText(*fault));
  }
  if (!batch) return OperateOnce(r, r.words[0], r.words[1], r.words[2]);
  int worst = kDone;
  in::Line line;
  while (in::ReadLine(line)) worst = std::max(worst, static_cast<int>(OperateLine(r, line)));
  return worst;
}

}  // namespace repbin::commands
