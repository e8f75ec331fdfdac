// `repbin operar SISTEMA A OP B`: the addition or subtraction of two integers in one integer
// system, with the hand method's trace or one JSON object.
//
// Argument rules:
// - SISTEMA, A, OP and B are the words that are not options, in that order; A OP B may also be
//   one word ("5+3"), and "-" in its place reads one operation per line of standard input.
// - An operand is a decimal integer, or a pattern after "0b" (bits, grouped if wished) or "0x"
//   (four bits a hexadecimal digit). The width is -b, else the widest pattern's, else 8; a
//   narrower pattern is widened keeping its value (never in excess, where that is refused).
// - The excess is -z, else 2^(n-1) - 1 with n bits (127 with 8, as `representar` takes it).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/codec.h"
#include "commands/command_line.h"
#include "commands/commands.h"
#include "commands/float_operation.h"
#include "operations/bit_input.h"
#include "operations/integer_arithmetic.h"
#include "operations/layout_options.h"
#include "operations/operations.h"
#include "operations/option_table.h"
#include "output/output.h"

namespace repbin {
namespace {

using cmd::Json;
using cmd::kDone;
using cmd::kOutOfRange;
using cmd::kRefused;
using cmd::Refuse;
using cmd::Status;
using ops::ArithmeticOperator;
using ops::System;

constexpr const char* kIntegerSystems = "natural, c1, c2, exceso, sm o flotante";
constexpr const char* kOperandForms =
    "escriba un entero decimal (-5), o una cadena de bits tras 0b (0b11011011, o '0b1101 1011' "
    "entre comillas) o tras 0x (0xDB)";

struct OperateRequest {
  std::optional<System> system;
  std::vector<std::string> words;  // A OP B, or one word
  std::optional<int> bits;
  std::optional<int> excess;
  bool json = false;
  bool ampliado = false;
  bool help = false;
  // Where the system `flotante` was named: its own runner takes the other words.
  std::optional<std::size_t> float_at;
  // A floating-point option given before the system was named.
  std::optional<std::string> float_option;
  ops::LayoutOptions float_layout;
  // The page's run: the JSON object kept here beside the trace.
  Json* kept = nullptr;
};

// The options of `operar`, read into `r`, and their help. Those of `operar flotante` are read
// too, so that one given before the system's name is refused with its reason.
ops::OptionTable OperateOptions(OperateRequest& r) {
  ops::OptionTable table;
  cmd::AddCommonFlags(table, r.help, r.json, r.ampliado);
  table
      .Whole({"-b", "--bits"}, "un número de bits", ops::kIntegerWidth,
             [&r](std::int64_t n) { r.bits = static_cast<int>(n); })
      .Whole({"-z", "--exceso"}, "un exceso", ops::kExcess,
             [&r](std::int64_t z) { r.excess = static_cast<int>(z); })
      .Layout(r.float_layout)
      .Valued({"--redondeo"}, [&r](std::string_view) -> std::optional<std::string> {
        if (!r.float_option) r.float_option = "--redondeo";
        return std::nullopt;
      });
  table
      .Describe("-b", "N",
                "número de bits ({rango}; en sm, desde 2); por omisión, el de\n"
                "la cadena más larga, u 8 si los dos operandos son decimales")
      .Describe("-z", "Z", "el exceso Z (por omisión 2^(n-1)-1 con n bits: 127 con 8)")
      .Describe("--json", "", "un objeto JSON por operación (JSON Lines) en vez de la traza")
      .Describe("--ampliado", "",
                "añade el rango del sistema y la misma operación en los otros\n"
                "sistemas con signo");
  cmd::DescribeEncodingAndHelp(table);
  return table;
}

void PrintOperateHelp() {
  out::Print(
      "Uso: repbin operar SISTEMA A OP B [opciones]\n"
      "\n"
      "Suma (OP +) o resta (OP -) A y B en SISTEMA y muestra cómo se hace a mano: las\n"
      "columnas con la fila de acarreos (o de préstamos), la regla del sistema, si el\n"
      "resultado cabe y las banderas N, Z, C y V, cada una con su porqué.\n"
      "\n"
      "Sistemas:\n"
      "  natural   binario natural (también binario-natural)\n"
      "  c1        complemento a uno (también complemento-a-uno)\n"
      "  c2        complemento a dos (también complemento-a-dos)\n"
      "  exceso    exceso Z (también exceso-z)\n"
      "  sm        signo-magnitud (también signo-magnitud)\n"
      "  flotante  coma flotante: suma, resta y producto paso a paso, con sus propias\n"
      "            opciones (vea repbin operar flotante --help)\n"
      "\n"
      "Operandos: un entero decimal (-5), o una cadena de bits tras 0b (0b11011011; en grupos,\n"
      "entre comillas: '0b1101 1011') o tras 0x (0xDB, cuatro bits por cifra). Una cadena más\n"
      "corta que el número de bits se extiende sin cambiar su valor: con ceros en binario\n"
      "natural, repitiendo el bit de signo en los complementos, llevando el signo al primer\n"
      "bit en signo-magnitud; en exceso no se puede extender y se rechaza.\n"
      "Con \"-\" en lugar de A OP B lee una operación por línea de la entrada estándar.\n"
      "\n"
      "Banderas: N el primer bit del resultado; Z todos sus bits a 0; C el acarreo que sale\n"
      "del bit de mayor peso al sumar, o el préstamo al restar (B mayor que A leídas en binario\n"
      "natural); V el desbordamiento leyendo las cadenas en complemento a dos.\n"
      "\n"
      "Opciones:\n");
  OperateRequest r;
  out::PrintText(OperateOptions(r).Help(cmd::kHelpColumn).c_str());
  out::Print(
      "\n"
      "Estado de salida: 0 el resultado cabe; 1 no cabe (desbordamiento: se muestra la cadena\n"
      "que deja el circuito), o no se pudo leer la entrada o escribir la salida; 2 error de\n"
      "uso o argumento rechazado.\n"
      "\n"
      "Ejemplos:\n"
      "  repbin operar c2 100 + 80\n"
      "  repbin operar c1 0b0101 - 0b0011\n"
      "  repbin operar sm 0b111000 + 0xA0 --json\n");
}

Status ParseOperateArguments(const std::vector<std::string>& args, OperateRequest& r) {
  const ops::OptionTable table = OperateOptions(r);
  const auto positional = [&](std::size_t i, bool& stop) -> std::optional<std::string> {
    const std::string& word = args[i];
    if (!r.system) {
      r.system = ops::FindSystem(word);
      if (r.system == System::kFloat) {
        r.float_at = i;
        stop = true;
        return std::nullopt;
      }
      if (!r.system) {
        return "sistema no válido para operar: \"" + word + "\"; escriba " + kIntegerSystems;
      }
      if (r.float_option || r.float_layout.AnyLayout()) {
        return "la opción " + r.float_option.value_or("de formato") +
               " es de operar flotante (vea repbin operar flotante --help)";
      }
    } else if (r.words.size() < 3) {
      r.words.push_back(word);
    } else {
      return "sobra el argumento \"" + word +
             "\" (una orden hace una sola operación; use \"-\" para leer varias de la entrada "
             "estándar)";
    }
    return std::nullopt;
  };
  if (std::optional<std::string> refusal = table.Parse(args, 1, positional)) {
    if (refusal->starts_with("opción desconocida")) *refusal += " (vea repbin operar --help)";
    return cmd::RefuseText(*refusal);
  }
  return kDone;
}

// --- One operation ----------------------------------------------------------------------------

struct Operation {
  std::string a;
  ArithmeticOperator op = ArithmeticOperator::kAdd;
  std::string b;
};

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// "A OP B" in one text: OP is a word of its own ("0b1101 1011 + 5"), or else the first '+' or
// '-' that follows a digit or a letter ("5-3", "-5+-3", "0xF-1").
std::optional<Operation> SplitOperation(std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> words;  // begin, end
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    const std::size_t begin = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    words.emplace_back(begin, i);
  }
  std::optional<std::size_t> at;
  for (std::size_t w = 1; w + 1 < words.size() && !at; ++w) {
    const std::string_view word = text.substr(words[w].first, words[w].second - words[w].first);
    if (word == "+" || word == "-") at = words[w].first;
  }
  for (std::size_t i = 1; i < text.size() && !at; ++i) {
    const char before = text[i - 1];
    const bool alnum = (before >= '0' && before <= '9') || (before >= 'a' && before <= 'z') ||
                       (before >= 'A' && before <= 'Z');
    if ((text[i] == '+' || text[i] == '-') && alnum) at = i;
  }
  if (!at) return std::nullopt;
  Operation operation{Trimmed(text.substr(0, *at)),
                      text[*at] == '+' ? ArithmeticOperator::kAdd : ArithmeticOperator::kSubtract,
                      Trimmed(text.substr(*at + 1))};
  if (operation.a.empty() || operation.b.empty()) return std::nullopt;
  return operation;
}

// An operand as typed: a pattern (`bits` set) or a decimal integer (`decimal` set).
struct Operand {
  std::string text;
  std::string bits;
  std::string decimal;
};

std::optional<Operand> ReadOperand(const std::string& text) {
  Operand operand{text, "", ""};
  const bool binary = text.size() >= 2 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B');
  const bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (binary || hex) {
    const std::string_view rest = std::string_view(text).substr(binary ? 2 : 0);
    const bool bad_binary =
        binary && (Trimmed(rest).empty() || rest.find_first_of("xX") != std::string_view::npos);
    const ops::TypedBits typed =
        bad_binary ? ops::TypedBits{"", "tras 0b van bits 0 y 1"} : ops::ReadTypedBits(rest, 0);
    if (!typed.fault.empty()) {
      out::PrintErr("repbin: operando no válido: \"%s\"; ", text.c_str());
      out::PrintErrText(typed.fault.c_str());
      out::PrintErr("\n");
      return std::nullopt;
    }
    if (typed.bits.size() > kMaxWidth) {
      Refuse("operando no válido: \"%s\"; tiene %zu bits y caben como mucho %i", text.c_str(),
             typed.bits.size(), kMaxWidth);
      return std::nullopt;
    }
    operand.bits = typed.bits;
    return operand;
  }
  const std::size_t digits = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
  if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos) {
    Refuse("operando no válido: \"%s\"; %s", text.c_str(), cmd::OwnWords(kOperandForms).c_str());
    return std::nullopt;
  }
  operand.decimal = text;
  return operand;
}

// The operand's pattern at `width`: a decimal encoded, a pattern as it is (the operation widens
// it and shows how), a hexadecimal one with leading zero digits dropped to fit.
std::optional<std::string> PatternAt(const OperateRequest& r, const Operand& operand, int width,
                                     std::int64_t excess) {
  const char* system = ops::SystemName(*r.system);
  if (!operand.decimal.empty()) {
    std::optional<std::string> bits = ops::EncodeDecimal(*r.system, operand.decimal, width, excess);
    if (!bits) {
      const ops::IntegerRange range = ops::RangeOf(*r.system, width, excess);
      Refuse("el valor %s no cabe en %s con %i bits: el rango es de %s a %s",
             operand.decimal.c_str(), system, width, range.min.c_str(), range.max.c_str());
    }
    return bits;
  }
  std::string bits = operand.bits;
  if (bits.size() > static_cast<std::size_t>(width)) {
    const ops::TypedBits fitted = ops::ReadTypedBits(operand.text, width);
    if (operand.text[1] == 'b' || operand.text[1] == 'B' || !fitted.fault.empty()) {
      Refuse("la cadena \"%s\" tiene %zu bits y la operación %i", operand.text.c_str(), bits.size(),
             width);
      return std::nullopt;
    }
    bits = fitted.bits;
  }
  if (bits.size() < static_cast<std::size_t>(ops::MinimumWidth(*r.system))) {
    Refuse("la cadena \"%s\" tiene un solo bit; en sm hacen falta el signo y la magnitud",
           operand.text.c_str());
    return std::nullopt;
  }
  if (bits.size() < static_cast<std::size_t>(width) && *r.system == System::kExcess) {
    Refuse(
        "la cadena \"%s\" tiene %zu bits y la operación %i; en exceso una cadena no se "
        "puede extender: escríbala con %i bits",
        operand.text.c_str(), bits.size(), width, width);
    return std::nullopt;
  }
  return bits;
}

Json OperandJson(const ops::ArithmeticOperand& operand) {
  return {{"cadena", operand.bits}, {"valor", cmd::ExactNumber(operand.value)}};
}

Json OperationJson(const OperateRequest& r, const ops::IntegerArithmetic& result) {
  Json object;
  object["operacion"] = "operar";
  object["sistema"] = ops::SystemName(result.system);
  object["bits"] = result.width;
  if (result.system == System::kExcess) object["exceso"] = result.excess;
  object["operador"] = result.op == ArithmeticOperator::kAdd ? "+" : "-";
  object["operandos"] = Json::array({OperandJson(result.a), OperandJson(result.b)});
  object["resultado"] = {{"cadena", result.result_bits},
                         {"valor", cmd::ExactNumber(result.result_value)}};
  object["valor_exacto"] = cmd::ExactNumber(result.exact);
  object["desbordamiento"] = result.overflow;
  // The complements subtract by adding B with its bits inverted: the row the carries belong to.
  const bool complement = result.system == System::kOnes || result.system == System::kTwos;
  if (complement && result.op == ArithmeticOperator::kSubtract) {
    std::string inverted = result.b.bits;
    for (char& bit : inverted) bit = bit == '0' ? '1' : '0';
    object["b_invertido"] = inverted;
  }
  object["acarreos"] = result.carries;
  object["banderas"] = {
      {"N", result.flags.n}, {"Z", result.flags.z}, {"C", result.flags.c}, {"V", result.flags.v}};
  if (r.ampliado) {
    Json method = Json::array();
    const std::vector<std::string> extended = ops::ExtendedArithmeticLines(result);
    for (const std::vector<std::string>* lines : {&result.steps, &extended}) {
      for (const std::string& line : *lines) method.push_back(line.substr(1));
    }
    object["metodo"] = method;
  }
  return object;
}

Status OperateOnce(const OperateRequest& r, const Operation& operation) {
  const std::optional<Operand> a = ReadOperand(operation.a);
  if (!a) return kRefused;
  const std::optional<Operand> b = ReadOperand(operation.b);
  if (!b) return kRefused;
  const int width = r.bits.value_or(a->decimal.empty() || b->decimal.empty()
                                        ? static_cast<int>(std::max(a->bits.size(), b->bits.size()))
                                        : 8);
  if (width < ops::MinimumWidth(*r.system)) {
    return Refuse("con %i bit no cabe un número en sm: hacen falta al menos 2", width);
  }
  const std::int64_t excess =
      r.excess ? static_cast<std::int64_t>(*r.excess)
               : static_cast<std::int64_t>((std::uint64_t{1} << (width - 1)) - 1);
  const std::optional<std::string> a_bits = PatternAt(r, *a, width, excess);
  if (!a_bits) return kRefused;
  const std::optional<std::string> b_bits = PatternAt(r, *b, width, excess);
  if (!b_bits) return kRefused;
  const ops::IntegerArithmetic result = ops::OperateIntegers(
      *r.system, width, excess, operation.op, *a_bits, *b_bits, !r.json || r.ampliado);
  if (r.kept != nullptr) *r.kept = OperationJson(r, result);
  if (r.json) {
    cmd::WriteJson(OperationJson(r, result));
  } else {
    for (const std::string& line : result.steps) out::PrintText((line + "\n").c_str());
    if (r.ampliado) {
      for (const std::string& line : ops::ExtendedArithmeticLines(result)) {
        out::PrintText((line + "\n").c_str());
      }
    }
  }
  return result.overflow ? kOutOfRange : kDone;
}

Status OperateText(const OperateRequest& r, std::string_view text) {
  const std::optional<Operation> operation = SplitOperation(text);
  if (!operation) {
    const std::string shown(text);
    return Refuse("operación no válida: \"%s\"; escriba A + B o A - B (por ejemplo 5 + -3)",
                  shown.c_str());
  }
  return OperateOnce(r, *operation);
}

// Runs `operar` on `args`; `kept`, when given, is the page's run (see OperationForPage);
// `ampliado`, --ampliado given before the command.
int Operate(const std::vector<std::string>& args, Json* kept, bool ampliado) {
  OperateRequest r;
  r.kept = kept;
  r.ampliado = ampliado;
  if (ParseOperateArguments(args, r) != kDone) return kRefused;
  if (r.float_at) {
    std::vector<std::string> rest(args.begin() + 1, args.end());
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(*r.float_at - 1));
    return commands::RunFloatOperation(rest, kept, ampliado);
  }
  const bool batch = r.words.size() == 1 && r.words[0] == "-";
  if (kept != nullptr && (r.json || r.help || batch)) return cmd::RefuseOnPage(true);
  if (r.help) {
    PrintOperateHelp();
    return kDone;
  }
  if (!r.system) {
    return Refuse("falta el SISTEMA: %s (vea repbin operar --help)", kIntegerSystems);
  }
  if (r.bits && *r.bits < ops::MinimumWidth(*r.system)) {
    return Refuse("con %i bit no cabe un número en sm: hacen falta al menos 2", *r.bits);
  }
  if (r.words.empty()) {
    return Refuse("falta la operación: escriba A + B o A - B (vea repbin operar --help)");
  }
  if (r.words.size() == 3) {
    if (r.words[1] != "+" && r.words[1] != "-") {
      return Refuse("operador no válido: \"%s\"; escriba + o -", r.words[1].c_str());
    }
    return OperateOnce(
        r,
        {r.words[0], r.words[1] == "+" ? ArithmeticOperator::kAdd : ArithmeticOperator::kSubtract,
         r.words[2]});
  }
  if (r.words.size() == 2) {
    return Refuse("falta un operando: escriba A + B o A - B (vea repbin operar --help)");
  }
  if (!batch) return OperateText(r, r.words[0]);
  // A batch: one operation per line; a refused line does not stop the others, and the status is
  // the worst of the lines. The traces are set apart by a blank line.
  bool first = true;
  return cmd::ForEachInputLine([&](const std::string& line) {
    if (!r.json && !first) out::Print("\n");
    first = false;
    return OperateText(r, line);
  });
}

}  // namespace

int RunOperate(const std::vector<std::string>& args, bool ampliado) {
  return Operate(args, nullptr, ampliado);
}

std::string OperationForPage(const std::vector<std::string>& args) {
  Json kept;
  int status = kRefused;
  const std::string printed =
      out::CaptureMerged([&] { status = Operate(args, &kept, false); }, out::Encoding::kUtf8);
  return cmd::PageJson(printed, status, kept);
}

}  // namespace repbin
