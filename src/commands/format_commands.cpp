// The commands that describe and convert formats: `repbin formato` (the card of a format, and
// the neighbours of a value in it) and `repbin convertir` (a pattern of one floating-point format
// re-encoded in another).

#include <cstdarg>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/codec.h"
#include "commands/command_line.h"
#include "commands/commands.h"
#include "operations/bit_input.h"
#include "operations/format_card.h"
#include "operations/json.h"
#include "operations/layout.h"
#include "operations/layout_options.h"
#include "operations/operations.h"
#include "output/input.h"
#include "output/output.h"
#include "output/platform.h"
#include "real/fields.h"
#include "real/format.h"
#include "real/real.h"
#include "real/report.h"

namespace repbin {
namespace {

using cmd::ExactNumber;
using cmd::Json;
using cmd::kDone;
using cmd::kOutOfRange;
using cmd::kRefused;
using cmd::Refuse;
using cmd::Status;
using cmd::WriteJson;
using ops::System;

using cmd::RefuseText;

// --- formato ----------------------------------------------------------------------------------

struct FormatRequest {
  System system = System::kFloat;
  std::optional<int> bits, excess, fraction;
  ops::LayoutOptions layout;
  std::string layout_option;
  std::optional<std::string> valor;
  bool json = false;
  bool help = false;
};

// The options of `formato`, read into `r`, and their help.
ops::OptionTable FormatOptions(FormatRequest& r) {
  ops::OptionTable table;
  cmd::AddCommonFlags(table, r.help, r.json);
  cmd::AddWidthAndExcess(table, r.bits, r.excess, r.fraction, r.layout);
  table
      .Valued({"--valor"},
              [&r](std::string_view value) -> std::optional<std::string> {
                r.valor = std::string(value);
                return std::nullopt;
              })
      .Layout(r.layout, [&r](std::string_view name) -> std::optional<std::string> {
        if (r.layout_option.empty()) r.layout_option = name;
        return std::nullopt;
      });
  table.Describe("-b", "N", "número de bits (enteros: por omisión 32)")
      .Describe("-z", "Z", "el exceso (por omisión 2^(n-1)-1)")
      .Describe("--fraccion", "F",
                "bits fraccionarios de natural, sm, c1 y c2 (0 <= F < bits): el\n"
                "paso 2^-F y el rango en esas unidades")
      .Describe("-f", "NOMBRE",
                "ieee32 (por omisión), ieee16, ieee64, bfloat16, fp8-e4m3,\n"
                "fp8-e5m2, o un formato en una palabra: bits=16,exp=5,pos-exp=1,\n"
                "pos-man=6,pos-signo=0,sis-exp=exceso,z=15,sis-man=sm,norma=1M")
      .DescribeAs("--exp",
                  "--exp, --pos-exp, --pos-man, --pos-signo, --sis-exp, --sis-man, --norma",
                  "las opciones de formato de representar")
      .Describe("--valor", "X",
                "en coma flotante, los vecinos de X: el valor anterior y el\n"
                "siguiente con sus cadenas, la distancia entre ellos (ulp), el\n"
                "que eligen el truncamiento y el redondeo, y si X es exacto")
      .Describe("--json", "", "un objeto JSON en vez del texto");
  cmd::DescribeEncodingAndHelp(table);
  return table;
}

void PrintFormatHelp() {
  FormatRequest r;
  out::Print(
      "Uso: repbin formato [SISTEMA] [opciones]\n"
      "\n"
      "Describe un formato: en los sistemas enteros, el rango con sus cadenas extremas,\n"
      "cuántos valores hay y los ceros; en coma flotante (por omisión), el mayor valor, el\n"
      "menor positivo normalizado y el menor positivo, cada uno con su cadena, su valor exacto,\n"
      "su valor en notación científica y de dónde sale, el cero, la precisión, la distancia\n"
      "entre valores en 1 (épsilon) y en el mayor, y cuántos valores distintos hay. Los\n"
      "formatos IEEE con nombre se leen según IEEE 754 (subnormales, infinitos y NaN); los\n"
      "formatos propios, con la lectura del programa, la misma de interpretar.\n"
      "\n"
      "Opciones:\n");
  out::PrintText(FormatOptions(r).Help(cmd::kHelpColumn).c_str());
  out::Print(
      "\n"
      "Estado de salida: 0 hecho; 2 error de uso o argumento rechazado.\n"
      "\nEjemplos:\n"
      "  repbin formato -f ieee32\n"
      "  repbin formato -f fp8-e4m3 --valor 300\n"
      "  repbin formato c2 -b 8 --fraccion 3\n");
}

Json ValueJson(const ops::CardValue& v) {
  Json j;
  j["cadena"] = v.bits;
  j["valor_exacto"] = v.exact ? Json(*v.exact) : Json(nullptr);
  j["cientifico"] = v.scientific;
  return j;
}

Json AmountJson(const ops::CardValue& v) {
  return {{"valor_exacto", v.exact ? Json(*v.exact) : Json(nullptr)}, {"cientifico", v.scientific}};
}

std::optional<std::string> PresetName(const FloatFormat& f) {
  for (const char* name : kPresetNames) {
    if (f == *FindPreset(name)) return std::string(name);
  }
  return std::nullopt;
}

Status IntegerCard(const FormatRequest& r) {
  if (!r.layout_option.empty())
    return Refuse("%s solo vale para flotante", r.layout_option.c_str());
  if (r.valor) return Refuse("--valor solo vale para flotante");
  const int width = r.bits.value_or(32);
  const int fraction = r.fraction.value_or(0);
  if (r.system == System::kSignMagnitude && width < 2) {
    return Refuse("en sm hacen falta al menos 2 bits (signo y magnitud)");
  }
  if (fraction > 0 && r.system == System::kExcess) {
    return Refuse("--fraccion vale para natural, sm, c1 y c2, no para exceso");
  }
  if (fraction >= width) {
    return Refuse("--fraccion %i no vale con %i bits; escriba entre 0 y %i", fraction, width,
                  width - 1);
  }
  const ops::IntegerFormat format{r.system, width, r.excess.value_or(ops::UsualExcess(width))};
  const ops::IntegerCard card = ops::BuildIntegerCard(format, fraction);
  if (r.json) {
    Json j;
    j["operacion"] = "formato";
    j["sistema"] = ops::SystemName(r.system);
    j["bits"] = width;
    if (r.system == System::kExcess) j["exceso"] = format.zEZ;
    j["fraccion"] = fraction;
    j["rango"] = {{"min", ExactNumber(card.min)},
                  {"max", ExactNumber(card.max)},
                  {"cadena_min", card.min_bits},
                  {"cadena_max", card.max_bits}};
    j["valores"] = ExactNumber(card.count);
    j["ceros"] = card.zeros;
    if (fraction > 0) {
      j["paso"] = ExactNumber(card.step);
      j["rango_en_pasos"] = {{"min", ExactNumber(card.min_units)},
                             {"max", ExactNumber(card.max_units)}};
    }
    WriteJson(j);
  } else {
    ops::PrintIntegerCard(format, fraction, card, PrintedTrace());
  }
  return kDone;
}

Status FloatCard(const FormatRequest& r) {
  if (r.fraction) return Refuse("--fraccion vale para natural, sm, c1 y c2, no para flotante");
  const FloatFormat f = ops::BuildLayout(r.layout);
  if (f.nb < 3) {
    return Refuse("con %i bits no cabe un formato de coma flotante: hacen falta al menos 3", f.nb);
  }
  if (const std::optional<ops::LayoutFault> fault = ops::CheckFloatFormat(f)) {
    out::PrintErr("\n ");
    out::PrintErrText(ops::LayoutFaultText(*fault).c_str());
    out::PrintErr("\n");
    return kRefused;
  }
  std::optional<ops::ExactValue> x;
  if (r.valor) {
    x = ops::ParseExactValue(*r.valor);
    if (!x) {
      return Refuse(
          "--valor: \"%s\" no vale; escriba un número decimal, con punto y, si quiere, "
          "exponente (9.75, -1e-3)",
          r.valor->c_str());
    }
  }
  const ops::FloatCard card = ops::BuildFloatCard(f);
  std::optional<ops::Neighbours> n;
  if (x) n = ops::FindNeighbours(f, *x);
  if (r.json) {
    Json j;
    j["operacion"] = "formato";
    j["sistema"] = "flotante";
    const std::optional<std::string> name = PresetName(f);
    j["nombre"] = name ? Json(*name) : Json(nullptr);
    j["formato"] = ops::FormatJson(f);
    j["ieee"] = card.ieee;
    j["maximo"] = ValueJson(card.largest);
    j["minimo_normalizado"] = ValueJson(card.smallest_normal);
    j["minimo_positivo"] = ValueJson(card.smallest_positive);
    j["cero"] = card.has_zero ? ValueJson(card.zero) : Json(nullptr);
    j["ceros"] = card.zeros;
    j["precision"] = card.precision;
    j["digitos_decimales"] = card.decimal_digits;
    j["epsilon"] = AmountJson(card.epsilon);
    j["distancia_en_maximo"] = AmountJson(card.gap_at_largest);
    j["valores"] = ExactNumber(card.count);
    if (card.ieee) {
      j["especiales"] = {
          {"inf", card.infinity.empty() ? Json(nullptr) : Json(card.infinity)},
          {"menos_inf", card.minus_infinity.empty() ? Json(nullptr) : Json(card.minus_infinity)},
          {"nan", card.nan},
          {"subnormal_minimo",
           {{"cadena", card.smallest_subnormal->bits},
            {"valor_exacto", card.smallest_subnormal->exact ? Json(*card.smallest_subnormal->exact)
                                                            : Json(nullptr)}}}};
    }
    if (n) {
      const auto neighbour = [](const std::optional<ops::CardValue>& v) {
        if (!v) return Json(nullptr);
        return Json{{"cadena", v->bits},
                    {"valor_exacto", v->exact ? Json(*v->exact) : Json(nullptr)},
                    {"cientifico", v->scientific}};
      };
      j["valor"] = *r.valor;
      j["exacto"] = n->exact;
      j["vecinos"] = {{"anterior", neighbour(n->previous)}, {"siguiente", neighbour(n->next)}};
      j["ulp"] = n->gap ? Json(*n->gap) : Json(nullptr);
      j["truncamiento"] = neighbour(n->truncated);
      j["redondeo"] = neighbour(n->nearest);
    }
    WriteJson(j);
    return kDone;
  }
  ops::PrintLayoutSummary(f, PrintedTrace());
  ops::PrintFloatCard(f, card, PrintedTrace());
  if (n) ops::PrintNeighbours(*n, *r.valor, PrintedTrace());
  return kDone;
}

// --- convertir --------------------------------------------------------------------------------

struct ConvertRequest {
  std::optional<std::string> pattern;
  std::optional<std::string> from, to;
  bool truncate = false;
  bool json = false;
  bool help = false;
};

// The options of `convertir`, read into `r`, and their help.
ops::OptionTable ConvertOptions(ConvertRequest& r) {
  // A format's name is checked as it is read; its layout rules, once both are known.
  const auto format = [](std::optional<std::string>& dest) {
    return [&dest](std::string_view value) -> std::optional<std::string> {
      ops::LayoutOptions layout;
      if (std::optional<std::string> accepted = ops::ApplyLayoutOption(layout, "-f", value)) {
        return accepted;
      }
      dest = std::string(value);
      return std::nullopt;
    };
  };
  ops::OptionTable table;
  cmd::AddCommonFlags(table, r.help, r.json);
  table.Valued({"--de"}, format(r.from))
      .Valued({"--a"}, format(r.to))
      .Valued({"--redondeo"}, [&r](std::string_view value) -> std::optional<std::string> {
        if (value != "truncar" && value != "cercano") return "truncar o cercano";
        r.truncate = value == "truncar";
        return std::nullopt;
      });
  table.Describe("--de", "FORMATO", "formato de la cadena")
      .Describe("--a", "FORMATO",
                "formato del resultado\n"
                "FORMATO: ieee32, ieee16, ieee64, bfloat16, fp8-e4m3, fp8-e5m2,\n"
                "o un formato en una palabra: bits=16,exp=5,pos-exp=1,pos-man=6,\n"
                "pos-signo=0,sis-exp=exceso,z=15,sis-man=sm,norma=1M")
      .Describe("--redondeo", "MODO",
                "truncar o cercano (al más próximo, empates al par; por omisión)")
      .Describe("--json", "", "un objeto JSON en vez de la traza");
  cmd::DescribeEncodingAndHelp(table);
  return table;
}

void PrintConvertHelp() {
  ConvertRequest r;
  out::Print(
      "Uso: repbin convertir CADENA --de FORMATO --a FORMATO [opciones]\n"
      "\n"
      "Lee CADENA en el primer formato de coma flotante (con su traza) y escribe su valor en\n"
      "el segundo (con su traza), diciendo el redondeo cuando el valor no cabe exacto. CADENA\n"
      "va en binario o en hexadecimal con 0x (0x4048F600).\n"
      "\n"
      "Opciones:\n");
  out::PrintText(ConvertOptions(r).Help(cmd::kHelpColumn).c_str());
  out::Print(
      "\n"
      "Estado de salida: 0 hecho; 1 el valor no cabe en el segundo formato (Fuera de Rango);\n"
      "2 error de uso o argumento rechazado.\n"
      "\nEjemplos:\n"
      "  repbin convertir 0x4048F600 --de ieee32 --a ieee64\n"
      "  repbin convertir 0x400921FB54442D18 --de ieee64 --a ieee32 --redondeo truncar\n");
}

// The format a word names, or the refusal.
std::optional<FloatFormat> ReadFormat(const char* option, const std::string& word) {
  ops::LayoutOptions layout;
  if (const std::optional<std::string> accepted = ops::ApplyLayoutOption(layout, "-f", word)) {
    RefuseText(std::string(option) + ": \"" + word + "\" no vale; escriba " + *accepted);
    return std::nullopt;
  }
  const FloatFormat f = ops::BuildLayout(layout);
  if (const std::optional<ops::LayoutFault> fault = ops::CheckFloatFormat(f)) {
    RefuseText(std::string(option) + ": " + ops::LayoutFaultText(*fault));
    return std::nullopt;
  }
  return f;
}

// The exact value of a pattern: by IEEE 754 in a named IEEE format, else as the program reads it.
ExactDecimal PatternValue(const FloatFormat& f, const std::string& bits) {
  const InterpretationReport report = ReportInterpretation(f, bits.c_str());
  if (ops::IsNamedIeee(f) && report.ieee) return report.ieee->value;
  return report.value;
}

// The steps of writing the value into the target: its normalised form, the exponent field with
// the encoder's trace, the mantissa.
void PrintEncoding(const FloatFormat& to, const ops::CardValue& chosen, Trace& trace) {
  if (chosen.significand == "0" || chosen.significand == "-0") {
    trace.Print(" El cero se escribe con el exponente y la mantisa a 0\n");
    return;
  }
  const bool negative = chosen.significand.front() == '-';
  const std::string digits = negative ? chosen.significand.substr(1) : chosen.significand;
  // S in binary, as 1.M x 2^e.
  std::string binary;
  {
    std::string d = digits;
    while (d != "0") {
      int carry = 0;
      std::string half;
      for (const char c : d) {
        const int v = carry * 10 + (c - '0');
        if (!half.empty() || v / 2 != 0) half += static_cast<char>('0' + v / 2);
        carry = v % 2;
      }
      binary.insert(binary.begin(), static_cast<char>('0' + carry));
      d = half.empty() ? "0" : half;
    }
  }
  const auto e = chosen.exponent + static_cast<std::int64_t>(binary.size()) - 1;
  trace.Print(" Valor normalizado: %s%c.%s x 2^%lld\n", negative ? "-" : "", binary[0],
              binary.size() > 1 ? binary.substr(1).c_str() : "0", static_cast<long long>(e));
  trace.Print(" Exponente y mantisa en el formato de destino: %s\n", chosen.grouped.c_str());
  const std::string exp_field =
      chosen.bits.substr(static_cast<std::size_t>(to.posexp), static_cast<std::size_t>(to.nbexp));
  if (!ops::IsNamedIeee(to)) {
    char pattern[kMaxWidth + 2];
    ClearString(to, pattern);
    const FloatReading reading = ReadFloat(to, chosen.bits.c_str());
    WriteExponent(to, reading.exp, pattern, trace);
  } else {
    trace.Print(" Exponente %lld + %i = campo %s\n", static_cast<long long>(e),
                (1 << (to.nbexp - 1)) - 1, exp_field.c_str());
  }
}

Status Convert(const ConvertRequest& r) {
  if (!r.pattern) return Refuse("falta la CADENA (vea repbin convertir --help)");
  if (!r.from || !r.to) {
    return Refuse("falta%s%s%s (vea repbin convertir --help)", r.from ? "" : " --de FORMATO",
                  !r.from && !r.to ? " y" : "", r.to ? "" : " --a FORMATO");
  }
  const std::optional<FloatFormat> from = ReadFormat("--de", *r.from);
  if (!from) return kRefused;
  const std::optional<FloatFormat> to = ReadFormat("--a", *r.to);
  if (!to) return kRefused;
  const ops::TypedBits typed = ops::ReadTypedBits(*r.pattern, from->nb);
  if (!typed.fault.empty()) {
    return RefuseText("cadena no válida: \"" + *r.pattern + "\"; " + typed.fault);
  }
  if (typed.bits.size() != static_cast<std::size_t>(from->nb)) {
    return Refuse("la cadena tiene %zu bits y el formato --de %i", typed.bits.size(), from->nb);
  }
  const std::string& bits = typed.bits;
  const ExactDecimal value = PatternValue(*from, bits);
  const bool from_ieee = ops::IsNamedIeee(*from);
  const bool to_ieee = ops::IsNamedIeee(*to);
  Trace& trace = r.json ? NoTrace() : PrintedTrace();
  if (!r.json) {
    trace.Print(" Formato de origen\n");
    ops::PrintLayoutSummary(*from, trace);
    ops::InterpretFloat(*from, bits, {}, trace);
    trace.Print("\n");
    trace.Print(" Valor exacto%s: %s\n", from_ieee ? " (IEEE 754)" : "",
                value ? value->c_str() : "demasiado largo para escribirlo");
    trace.Print("\n Formato de destino\n");
    ops::PrintLayoutSummary(*to, trace);
  }
  Json j;
  j["operacion"] = "convertir";
  j["de"] = ops::FormatJson(*from);
  j["a"] = ops::FormatJson(*to);
  j["entrada"] = {{"cadena", bits},
                  {"hex", HexOfBits(bits)},
                  {"valor_exacto", value ? Json(*value) : Json(nullptr)}};
  j["redondeo"] = r.truncate ? "truncar" : "cercano";
  const auto finish = [&](const std::string& out_bits, const Json& exact, bool is_exact) {
    if (r.json) {
      j["cadena"] = out_bits;
      j["hex"] = HexOfBits(out_bits);
      j["valor_exacto"] = exact;
      j["exacto"] = is_exact;
      WriteJson(j);
    } else {
      trace.Print("\n El dato convertido es %s (%s)\n", out_bits.c_str(),
                  HexOfBits(out_bits).c_str());
    }
    return kDone;
  };
  // Fuera de Rango: the JSON says it, or the trace; the reason goes to standard error.
  const auto out_of_range = [&](const char* reason) {
    if (r.json) {
      j["fuera_de_rango"] = true;
      WriteJson(j);
    } else {
      trace.Print("\n Fuera de Rango\n");
    }
    out::PrintErr("repbin: %s\n", reason);
    return kOutOfRange;
  };
  // Infinities and NaN go to their like, where the target has them. A target without them (a
  // custom layout; fp8-e4m3 has no infinities) cannot hold them: out of range, as a finite value
  // beyond its largest is, rather than a NaN that would pass for a converted infinity.
  if (value && (*value == "inf" || *value == "-inf" || *value == "nan")) {
    const ops::FloatCard card = ops::BuildFloatCard(*to);
    std::string special;
    if (to_ieee) special = *value == "nan" ? card.nan : card.infinity;
    if (special.empty()) {
      return out_of_range(*value == "nan" ? "el formato de destino no tiene NaN"
                                          : "el formato de destino no tiene infinitos");
    }
    if (value->front() == '-') special[0] = '1';
    if (!r.json) trace.Print(" %s se escribe con su patrón especial\n", value->c_str());
    return finish(special, Json(*value), true);
  }
  if (!value) return Refuse("el valor de la cadena es demasiado largo para convertirlo");
  const std::optional<ops::ExactValue> x = ops::ParseExactValue(*value);
  if (!x) return Refuse("el valor de la cadena es demasiado largo para convertirlo");
  const ops::Neighbours n = ops::FindNeighbours(*to, *x);
  std::optional<ops::CardValue> chosen = r.truncate ? n.truncated : n.nearest;
  // A negative zero keeps its sign where the target has one (the value's text alone loses it).
  if (chosen && *value == "-0" && to_ieee) {
    chosen->bits[static_cast<std::size_t>(to->possigno)] = '1';
    chosen->grouped[0] = '1';
    chosen->exact = "-0";
  }
  if (!chosen || (n.beyond && r.truncate)) {
    return out_of_range("el valor no cabe en el formato de destino (Fuera de Rango)");
  }
  if (!r.json) {
    PrintEncoding(*to, *chosen, trace);
    if (n.exact) {
      trace.Print(" El valor cabe exacto\n");
    } else {
      trace.Print(" El valor no cabe exacto: está entre %s y %s; ",
                  n.previous ? n.previous->exact.value_or("?").c_str() : "?",
                  n.next ? n.next->exact.value_or("?").c_str() : "?");
      trace.Print(r.truncate ? "el truncamiento da %s\n"
                             : "el redondeo al más próximo (empates al par) da %s\n",
                  chosen->exact.value_or("?").c_str());
    }
  }
  return finish(chosen->bits, chosen->exact ? Json(*chosen->exact) : Json(nullptr), n.exact);
}

// Reads the words of a command with its table; `word` takes the words that are not options and
// says their refusals itself (an empty refusal tells it is said).
Status ReadCommandLine(const std::vector<std::string>& args, const ops::OptionTable& table,
                       const char* command, const std::function<Status(const std::string&)>& word) {
  std::optional<std::string> refusal =
      table.Parse(args, 1, [&](std::size_t i, bool&) -> std::optional<std::string> {
        if (word(args[i]) != kDone) return std::string();
        return std::nullopt;
      });
  if (!refusal) return kDone;
  if (refusal->empty()) return kRefused;
  if (refusal->starts_with("opción desconocida")) {
    *refusal += " (vea repbin " + std::string(command) + " --help)";
  }
  return cmd::RefuseText(*refusal);
}

}  // namespace

int RunFormat(const std::vector<std::string>& args) {
  FormatRequest r;
  bool system_given = false;
  const Status read =
      ReadCommandLine(args, FormatOptions(r), "formato", [&](const std::string& word) {
        if (system_given) return Refuse("sobra el argumento \"%s\"", word.c_str());
        const std::optional<System> system = ops::FindSystem(word);
        if (!system) {
          return Refuse(
              "sistema desconocido: \"%s\"; escriba natural, c1, c2, exceso, sm o "
              "flotante",
              word.c_str());
        }
        r.system = *system;
        system_given = true;
        return kDone;
      });
  if (read != kDone) return read;
  if (r.help) {
    PrintFormatHelp();
    return kDone;
  }
  return r.system == System::kFloat ? FloatCard(r) : IntegerCard(r);
}

int RunConvert(const std::vector<std::string>& args) {
  ConvertRequest r;
  const Status read =
      ReadCommandLine(args, ConvertOptions(r), "convertir", [&](const std::string& word) {
        if (r.pattern) {
          return Refuse(
              "sobra el argumento \"%s\": si son grupos de una misma cadena, "
              "póngalos entre comillas",
              word.c_str());
        }
        r.pattern = word;
        return kDone;
      });
  if (read != kDone) return read;
  if (r.help) {
    PrintConvertHelp();
    return kDone;
  }
  return Convert(r);
}

}  // namespace repbin
