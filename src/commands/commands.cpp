// The one-shot commands. Each conversion prints what the dialogue prints on standard output for
// the same answers (the operations are the dialogue's own), or one JSON object with --json.
//
// Argument rules, decided here once:
// - SISTEMA and VALOR/CADENA are the first two words that are not options, in that order; a word
//   that starts with '-' and then a digit or '.' (or is "-" alone) is a value, never an option,
//   so `representar c2 -5 -b 8` works; "--" ends the options.
// - Options take their value as the next word or after '=' (`--bits=8`), and apply in order:
//   `-f` replaces the whole layout, later layout options change it. Field positions and the
//   exponent's excess that no option gives follow the IEEE shape (sign at 0, exponent at 1,
//   mantissa after it, excess 2^(e-1) - 1, capped at 2^31 - 1, the widest excess an int holds,
//   for an exponent wider than 32 bits), so `-b 16 --exp 5` is the half-precision layout. The
//   excess system follows the same rule with the string's width: 2^(n-1) - 1 for n bits.
// - Layout options and --valor belong to `flotante`; with an integer system they are refused
//   rather than silently ignored.
// - One-shot strings are '0' and '1', in groups separated by spaces, '_' or '.' if wished, or
//   hexadecimal after "0x": as many bits as the format has (flotante) or as -b says, otherwise
//   four a digit (operations/bit_input.h). The dialogue still weighs any character.

#include "commands/commands.h"

#include "commands/command_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "codec/codec.h"
#include "operations/bit_input.h"
#include "operations/fixed_point.h"
#include "operations/format_card.h"
#include "operations/integer_report.h"
#include "operations/json.h"
#include "operations/layout.h"
#include "operations/layout_options.h"
#include "operations/operations.h"
#include "output/input.h"
#include "output/output.h"
#include "output/platform.h"
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
using cmd::OwnWords;
using cmd::Refuse;
using cmd::Status;
using cmd::WriteJson;
using ops::System;

constexpr const char* kSystemsList = "natural, c1, c2, exceso, sm o flotante";

// --- Help texts -----------------------------------------------------------------------------

constexpr const char* kSystemsHelp =
    "Sistemas:\n"
    "  natural   binario natural (también binario-natural)\n"
    "  c1        complemento a uno (también complemento-a-uno)\n"
    "  c2        complemento a dos (también complemento-a-dos)\n"
    "  exceso    exceso Z (también exceso-z)\n"
    "  sm        signo-magnitud (también signo-magnitud)\n"
    "  flotante  coma flotante (también coma-flotante)\n";

// --- The command line -----------------------------------------------------------------------

struct Request {
  bool represent = true;
  std::optional<System> system;
  std::optional<std::string> value;
  std::optional<int> bits;
  std::optional<int> excess;
  ops::LayoutOptions layout;
  std::string layout_option;  // the first floating-point-only option used
  bool valor = false;
  bool json = false;
  std::optional<int> fraction;  // --fraccion: fixed point in an integer system
  ops::Options options;
  bool help = false;
  FloatFormat format{};  // the checked floating-point format (Prepare)
  // The page's conversions: the trace printed as without --json and the JSON object kept here
  // too, both from the one run.
  Json* kept = nullptr;
};

// Whether a conversion prints its trace, and whether it builds its JSON object.
bool Traced(const Request& r) {
  return !r.json;
}
bool WithJson(const Request& r) {
  return r.json || r.kept != nullptr;
}

// The JSON object of a conversion: written as a line with --json, or kept for the page.
void Deliver(const Request& r, Json object) {
  if (r.kept != nullptr) {
    *r.kept = std::move(object);
  } else {
    WriteJson(object);
  }
}

// Whether `word` is a group of bits, as a string cut at its spaces leaves them.
bool IsBitGroup(std::string_view word) {
  return !word.empty() && word.find_first_not_of("01_.") == std::string_view::npos;
}

// `first` and the groups of bits from args[next] on, joined with spaces.
std::string GroupsFrom(const std::string& first, const std::vector<std::string>& args,
                       std::size_t next) {
  std::string joined = first;
  for (std::size_t i = next; i < args.size() && IsBitGroup(args[i]); ++i) joined += " " + args[i];
  return joined;
}

// The options of `representar` and `interpretar`, read into `r`, and their help.
ops::OptionTable ConversionOptions(Request& r) {
  ops::OptionTable table;
  table
      .Flag({"--valor"},
            [&r] {
              r.valor = true;
              if (r.layout_option.empty()) r.layout_option = "--valor";
            })
      .Layout(r.layout, [&r](std::string_view name) -> std::optional<std::string> {
        if (r.layout_option.empty()) r.layout_option = name;
        if (name == "--formato") {  // a whole format brings its width and its excess
          r.bits = ops::BuildLayout(r.layout).nb;
          r.excess = r.layout.exceso;
        }
        return std::nullopt;
      });
  cmd::AddCommonFlags(table, r.help, r.json, r.options.ampliado);
  cmd::AddWidthAndExcess(table, r.bits, r.excess, r.fraction, r.layout);
  if (r.represent) {
    table.Describe("--valor", "",
                   "en coma flotante, lee VALOR como número real de simple precisión\n"
                   "(\"Coma flotante\") en vez de texto en coma fija (\"Coma fija\")");
  }
  table
      .Describe("-b", "N",
                "número total de bits (por omisión 32; en coma flotante, el del\nformato)")
      .Describe("-z", "Z",
                "el exceso Z del sistema exceso y de un exponente en exceso;\n"
                "por omisión 2^(n-1)-1 con los n bits de la cadena o del\n"
                "exponente: 127 con 8 (exceso -b 8, ieee32), 7 con 4; con 32\n"
                "bits o más, 2^31-1, el mayor exceso que cabe. La traza y el\n"
                "JSON (\"exceso\") dicen el exceso usado")
      .Describe("-f", "NOMBRE",
                "formato de coma flotante: ieee32 (por omisión), ieee16, ieee64,\n"
                "bfloat16, fp8-e4m3, fp8-e5m2, o un formato en una palabra con\n"
                "los nombres de las opciones: bits=16,exp=5,pos-exp=1,pos-man=6,\n"
                "pos-signo=0,sis-exp=exceso,z=15,sis-man=sm,norma=1M")
      .Describe("--fraccion", "F",
                "en natural, sm, c1 y c2, coma fija con F bits fraccionarios\n"
                "(0 <= F < bits): el valor por 2^F se escribe como entero, y la\n"
                "cadena leída se divide entre 2^F")
      .Describe("--exp", "N", "bits del exponente")
      .Describe("--pos-exp", "P", "posición de comienzo del exponente")
      .Describe("--pos-man", "P", "posición de comienzo de la mantisa")
      .Describe("--pos-signo", "P",
                "posición del signo\n"
                "(las posiciones cuentan desde la izquierda: el primer bit es la\n"
                "posición 0; los números S del resumen del formato cuentan desde\n"
                "la derecha: en 32 bits S31 es la posición 0 y S0 la 31)")
      .Describe("--sis-exp", "SIS", "sistema del exponente: sm, c1, c2 o exceso")
      .Describe("--sis-man", "SIS", "sistema de la mantisa: sm, c1 o c2")
      .Describe("--norma", "N", "normalización: 0M, 1M o 01M")
      .Describe("--json", "", "un objeto JSON por conversión (JSON Lines) en vez de la traza")
      .Describe("--ampliado", "",
                "añade a cada resultado el informe ampliado: en los enteros, el\n"
                "rango, el hexadecimal y el octal, el método a mano y la cadena\n"
                "leída en los cinco sistemas; en coma flotante, el hexadecimal,\n"
                "el valor exacto, el error, el redondeo al más próximo, la\n"
                "expansión binaria exacta y el método a mano");
  cmd::DescribeEncodingAndHelp(table);
  return table;
}

void PrintRepresentHelp() {
  Request r;
  out::Print(
      "Uso: repbin representar SISTEMA VALOR [opciones]\n"
      "\n"
      "Representa VALOR en SISTEMA y muestra la traza, como el menú de Representación.\n"
      "Con VALOR \"-\" lee un valor por línea de la entrada estándar.\n"
      "\n");
  out::PrintText(kSystemsHelp);
  out::Print("\nOpciones:\n");
  out::PrintText(ConversionOptions(r).Help(cmd::kHelpColumn).c_str());
  out::Print(
      "\nEstado de salida: 0 hecho; 1 el valor no cabe (Fuera de Rango, o un exponente que no\n"
      "cabe en su campo), o no se pudo leer la entrada o escribir la salida; 2 error de uso o\n"
      "argumento rechazado.\n"
      "\nEjemplos:\n"
      "  repbin representar c2 -5 -b 8\n"
      "  repbin representar flotante 5.375\n"
      "  repbin representar flotante 0.1 -f ieee16 --json\n");
}

void PrintInterpretHelp() {
  Request r;
  r.represent = false;
  out::Print(
      "Uso: repbin interpretar SISTEMA CADENA [opciones]\n"
      "\n"
      "Interpreta la cadena de bits CADENA en SISTEMA y muestra la traza, como el menú de\n"
      "Interpretación. En los sistemas enteros el número de bits es la longitud de CADENA.\n"
      "Los bits pueden ir en grupos separados por espacios, _ o . (\"0100 0000 1010 1100 ...\"),\n"
      "o en hexadecimal con 0x (0x40AC0000): tantos bits como tiene el formato en coma\n"
      "flotante o como dice -b, con ceros a la izquierda; sin -b, cuatro por cifra.\n"
      "Con CADENA \"-\" lee una cadena por línea de la entrada estándar.\n"
      "\n");
  out::PrintText(kSystemsHelp);
  out::Print("\nOpciones:\n");
  out::PrintText(ConversionOptions(r).Help(cmd::kHelpColumn).c_str());
  out::Print(
      "\nEstado de salida: 0 hecho; 1 no se pudo leer la entrada o escribir la salida; 2 error\n"
      "de uso o argumento rechazado.\n"
      "\nEjemplos:\n"
      "  repbin interpretar c2 11111011\n"
      "  repbin interpretar flotante 01000000101011000000000000000000\n"
      "  repbin interpretar exceso 10000010 -z 127 --json\n");
}

Status ParseArguments(const std::vector<std::string>& args, Request& r) {
  int positional = 0;
  // The refusals of the words themselves are printed here, the user's bytes as they are; the
  // empty refusal tells the table's caller that it is said.
  const auto word_at = [&](std::size_t i, bool&) -> std::optional<std::string> {
    const std::string_view word = args[i];
    if (positional == 0) {
      r.system = ops::FindSystem(word);
      if (!r.system) {
        Refuse("sistema desconocido: \"%s\"; escriba %s", args[i].c_str(), kSystemsList);
        return "";
      }
    } else if (positional == 1) {
      r.value = args[i];
    } else if (!r.represent && IsBitGroup(*r.value) && IsBitGroup(word)) {
      // A grouped string the shell cut into words.
      Refuse(
          "sobra el argumento \"%s\": si son grupos de una misma cadena, póngalos entre "
          "comillas: \"%s\"",
          args[i].c_str(), GroupsFrom(*r.value, args, i).c_str());
      return "";
    } else {
      Refuse(
          "sobra el argumento \"%s\" (una orden convierte un solo valor; use \"-\" "
          "para leer varios de la entrada estándar)",
          args[i].c_str());
      return "";
    }
    ++positional;
    return std::nullopt;
  };
  std::optional<std::string> refusal = ConversionOptions(r).Parse(args, 1, word_at);
  if (!refusal) return kDone;
  if (refusal->empty()) return kRefused;
  if (refusal->starts_with("opción desconocida")) {
    *refusal +=
        r.represent ? " (vea repbin representar --help)" : " (vea repbin interpretar --help)";
  }
  return cmd::RefuseText(*refusal);
}

// --- One conversion -------------------------------------------------------------------------

// The fields every floating-point object carries, read from the pattern.
Json FloatJson(const Request& r, const std::string& bits) {
  Json object;
  object["operacion"] = r.represent ? "representar" : "interpretar";
  object["sistema"] = "flotante";
  const FloatFormat& f = r.format;
  object["bits"] = f.nb;
  object["cadena"] = bits;
  object["formato"] = ops::FormatJson(f);
  object["signo"] = std::string(1, bits[static_cast<std::size_t>(f.possigno)]);
  const FloatReading reading = ReadFloat(f, bits.c_str());
  object["exponente"] = {{"cadena", bits.substr(static_cast<std::size_t>(f.posexp),
                                                static_cast<std::size_t>(f.nbexp))},
                         {"valor", reading.exp}};
  object["mantisa"] = {{"cadena", bits.substr(static_cast<std::size_t>(f.posmantisa),
                                              static_cast<std::size_t>(f.NbMan()))}};
  return object;
}

// A value as JSON; inf and nan, which JSON numbers lack, as the text the trace shows for them.
Json RealJson(float value) {
  if (std::isfinite(value)) return static_cast<double>(value);
  char text[16];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
  return text;
}

Json ExactJson(const ExactDecimal& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json IeeeReadingJson(const IeeeReading& reading) {
  return {{"clase", IeeeClassName(reading.kind)}, {"valor_exacto", ExactJson(reading.value)}};
}

// The extended report's fields, which JSON always carries.
void AddReport(Json& object, const RepresentationReport& report) {
  object["hex"] = report.hex;
  object["valor_exacto"] = ExactJson(report.stored);
  object["entrada_exacta"] = ExactJson(report.input);
  object["error_absoluto"] = ExactJson(report.error);
  object["error_relativo"] = report.relative_error ? Json(*report.relative_error) : Json(nullptr);
  if (report.expansion) {
    object["expansion_binaria"] = {{"cadena", report.expansion->text},
                                   {"periodo", ExactNumber(report.expansion->period)}};
  } else {
    object["expansion_binaria"] = nullptr;
  }
  if (report.ieee && report.ieee->overflows) {
    object["redondeo"] = {{"desborda", true},
                          {"cadena", report.ieee->rounded_bits},
                          {"hex", report.ieee->rounded_hex},
                          {"valor_exacto", report.ieee->overflow_nan             ? "nan"
                                           : report.ieee->rounded_bits[0] == '1' ? "-inf"
                                                                                 : "inf"},
                          {"error_absoluto", nullptr}};
  } else if (report.rounded) {
    object["redondeo"] = {{"cadena", report.rounded->bits},
                          {"hex", report.rounded->hex},
                          {"valor_exacto", ExactJson(report.rounded->value)},
                          {"error_absoluto", ExactJson(report.rounded->error)}};
  } else {
    object["redondeo"] = {{"fuera_de_rango", true}};
  }
  if (report.ieee) {
    Json ieee = IeeeReadingJson(report.ieee->reading);
    ieee["cadena_redondeo"] = report.ieee->rounded_bits;
    ieee["hex_redondeo"] = report.ieee->rounded_hex;
    object["ieee"] = ieee;
  }
  object["metodo"] = report.method;
}

void AddReport(Json& object, const InterpretationReport& report) {
  object["hex"] = report.hex;
  object["valor_exacto"] = ExactJson(report.value);
  if (report.ieee) object["ieee"] = IeeeReadingJson(*report.ieee);
  object["metodo"] = report.method;
}

// The integer report's fields, which JSON always carries (the object has its `hex` already).
void AddReport(Json& object, const ops::IntegerReport& report) {
  object["rango"] = {{"min", ExactNumber(report.min)}, {"max", ExactNumber(report.max)}};
  Json readings = Json::object();
  for (const ops::IntegerReading& reading : report.readings) {
    readings[ops::SystemName(reading.system)] = ExactNumber(reading.value);
  }
  object["lecturas"] = readings;
  object["metodo"] = report.method;
}

// Fixed point: the value scaled by 2^F and written as an integer.
Status RepresentFixedValue(const Request& r, const std::string& value) {
  const std::optional<ops::ExactValue> x = ops::ParseExactValue(value);
  if (!x || value.find_first_of("eE") != std::string::npos) {
    return Refuse("valor no válido: \"%s\"; escriba un número con punto decimal (9.75)",
                  value.c_str());
  }
  const int width = r.bits.value_or(32);
  const ops::IntegerFormat format{*r.system, width, 0};
  const int fraction = *r.fraction;
  ops::FixedRepresentation result;
  if (Traced(r)) {
    ops::PrintIntegerHeading(format, PrintedTrace());
    result = ops::RepresentFixed(format, fraction, *x, value, r.options, PrintedTrace());
  } else {
    result = ops::RepresentFixed(format, fraction, *x, value, {}, NoTrace());
  }
  if (WithJson(r)) {
    Json object;
    object["operacion"] = "representar";
    object["sistema"] = ops::SystemName(*r.system);
    object["bits"] = width;
    object["fraccion"] = fraction;
    object["entrada"] = value;
    object["escalado"] = ExactNumber(result.scaled);
    object["truncado"] = result.truncated;
    object["cadena"] = result.en_rango ? Json(result.cadena) : Json(nullptr);
    object["hex"] = result.en_rango ? Json(HexOfBits(result.cadena)) : Json(nullptr);
    object["valor"] = result.en_rango ? ExactNumber(result.valor) : Json(nullptr);
    object["en_rango"] = result.en_rango;
    Deliver(r, std::move(object));
  }
  return result.en_rango ? kDone : kOutOfRange;
}

Status RepresentIntegerValue(const Request& r, const std::string& value) {
  if (r.fraction && *r.fraction > 0) return RepresentFixedValue(r, value);
  const std::optional<int> number = in::ParseWhole<int>(value);
  if (!number) {
    return Refuse(
        "valor no válido: \"%s\"; escriba un número entero entre -2147483648 y "
        "2147483647",
        value.c_str());
  }
  const int width = r.bits.value_or(32);
  const int excess = r.excess.value_or(ops::UsualExcess(width));
  const ops::IntegerFormat format{*r.system, width, excess};
  Trace& trace = Traced(r) ? PrintedTrace() : NoTrace();
  if (Traced(r)) ops::PrintIntegerHeading(format, trace);
  const ops::IntegerRepresentation result =
      ops::RepresentInteger(format, *number, Traced(r) ? r.options : ops::Options{}, trace);
  if (WithJson(r)) {
    Json object;
    object["operacion"] = "representar";
    object["sistema"] = ops::SystemName(*r.system);
    object["bits"] = width;
    object["cadena"] = result.cadena;
    object["hex"] = HexOfBits(result.cadena);
    object["valor"] = *number;
    object["en_rango"] = result.en_rango;
    if (*r.system == System::kExcess) object["exceso"] = excess;
    AddReport(object, ops::ReportIntegerRepresentation(*r.system, *number, result.cadena, excess));
    Deliver(r, std::move(object));
  }
  return result.en_rango ? kDone : kOutOfRange;
}

Status InterpretIntegerString(const Request& r, const std::string& bits) {
  const int low = *r.system == System::kSignMagnitude ? 2 : 1;
  if (bits.size() < static_cast<std::size_t>(low) || bits.size() > kMaxWidth) {
    return Refuse("la cadena tiene %zu caracteres; en %s debe tener entre %i y %i", bits.size(),
                  ops::SystemName(*r.system), low, kMaxWidth);
  }
  if (r.bits && static_cast<std::size_t>(*r.bits) != bits.size()) {
    return Refuse(
        "la cadena tiene %zu caracteres y --bits dice %i; el número de bits es la "
        "longitud de la cadena",
        bits.size(), *r.bits);
  }
  const int excess = r.excess.value_or(ops::UsualExcess(static_cast<int>(bits.size())));
  const ops::IntegerFormat format{*r.system, static_cast<int>(bits.size()), excess};
  const int fraction = r.fraction.value_or(0);
  if (fraction >= static_cast<int>(bits.size())) {
    return Refuse("--fraccion %i no vale con %zu bits; escriba entre 0 y %zu", fraction,
                  bits.size(), bits.size() - 1);
  }
  if (fraction > 0) {
    const std::string value =
        Traced(r) ? ops::InterpretFixed(format, fraction, bits, r.options, PrintedTrace())
                  : ops::InterpretFixed(format, fraction, bits, {}, NoTrace());
    if (WithJson(r)) {
      Json object;
      object["operacion"] = "interpretar";
      object["sistema"] = ops::SystemName(*r.system);
      object["bits"] = bits.size();
      object["fraccion"] = fraction;
      object["cadena"] = bits;
      object["hex"] = HexOfBits(bits);
      object["valor"] = ExactNumber(value);
      Deliver(r, std::move(object));
    }
    return kDone;
  }
  const ops::IntegerInterpretation result =
      Traced(r) ? ops::InterpretInteger(format, bits, r.options, PrintedTrace())
                : ops::InterpretInteger(format, bits, {}, NoTrace());
  if (WithJson(r)) {
    Json object;
    object["operacion"] = "interpretar";
    object["sistema"] = ops::SystemName(*r.system);
    object["bits"] = bits.size();
    object["cadena"] = bits;
    object["hex"] = HexOfBits(bits);
    object["valor"] = ExactNumber(result.valor);
    if (*r.system == System::kExcess) object["exceso"] = excess;
    AddReport(object, ops::ReportIntegerInterpretation(*r.system, bits, excess));
    Deliver(r, std::move(object));
  }
  return kDone;
}

// Whether `text` is a number in scientific notation ("1e-10", "2.5E3"), which only --valor reads.
bool IsScientific(const std::string& text) {
  if (text.find_first_of("eE") == std::string::npos ||
      text.find_first_of("xXnN") != std::string::npos) {
    return false;  // hexadecimal, inf and nan are no such numbers
  }
  if (text.find_first_of("0123456789") > text.find_first_of("eE")) return false;
  char* end = nullptr;
  out::StrToD(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

Status RepresentReal(const Request& r, const std::string& value) {
  ops::FloatRepresentation result;
  float number = 0;
  if (r.valor) {
    char* end = nullptr;
    number = out::StrToF(value.c_str(), &end);
    if (value.empty() || end != value.c_str() + value.size() || !std::isfinite(number)) {
      return Refuse(
          "valor no válido: \"%s\"; escriba un número real finito de simple precisión, "
          "con punto decimal (por ejemplo 5.375)",
          value.c_str());
    }
  } else {
    if (value.size() >= kMaxWidth) {
      return Refuse("el texto tiene más de %i caracteres; escríbalo más corto", kMaxWidth - 1);
    }
    const FixedTextFault fault = CheckFixedText(value.c_str());
    if (fault != FixedTextFault::kNone) {
      // The message is chosen at run time: written as a text, so its accents are converted.
      out::PrintErr("repbin: valor no válido: \"%s\"; ", value.c_str());
      out::PrintErrText(FixedTextMessage(fault, value.c_str(), "la opción --valor").c_str());
      if (fault == FixedTextFault::kNotANumber && IsScientific(value)) {
        out::PrintErr("; un número con exponente, como %s, se lee con la opción --valor",
                      value.c_str());
      }
      out::PrintErr("\n");
      return kRefused;
    }
  }
  const auto represent = [&](const ops::Options& options, Trace& trace) {
    result = r.valor ? ops::RepresentFloatValue(r.format, number, options, trace)
                     : ops::RepresentFixedText(r.format, value, options, trace);
  };
  if (Traced(r)) {
    ops::PrintLayoutSummary(r.format, PrintedTrace());
    represent(r.options, PrintedTrace());
  } else {
    represent({}, NoTrace());
  }
  if (WithJson(r)) {
    Json object = FloatJson(r, result.cadena);
    object["entrada"] = value;
    object["via"] = r.valor ? "valor" : "coma_fija";
    object["exponente_en_rango"] = result.exponent_fits;
    AddReport(object, ReportRepresentation(r.format, result.cadena.c_str(),
                                           {value, !r.valor, r.valor ? number : 0.0f}, true));
    Deliver(r, std::move(object));
  }
  if (result.exponent_fits) return kDone;
  if (!result.reserved.empty()) {
    out::PrintErr("repbin: ");
    out::PrintErrText(result.reserved.c_str());
    out::PrintErr("; la cadena no representa el valor\n");
    return kOutOfRange;
  }
  out::PrintErr(
      "repbin: el exponente no cabe en su campo de %i bits; la cadena no representa "
      "el valor\n",
      r.format.nbexp);
  return kOutOfRange;
}

Status InterpretReal(const Request& r, const std::string& bits) {
  if (bits.size() != static_cast<std::size_t>(r.format.nb)) {
    return Refuse(
        "la cadena tiene %zu caracteres y el formato %i; elija el formato con -f o "
        "--bits",
        bits.size(), r.format.nb);
  }
  const ops::FloatInterpretation result =
      Traced(r) ? ops::InterpretFloat(r.format, bits, r.options, PrintedTrace())
                : ops::InterpretFloat(r.format, bits, {}, NoTrace());
  // The dialogue's result line leaves its line open for the next menu; the report closes it.
  if (Traced(r) && !r.options.ampliado) out::Print("\n");
  if (WithJson(r)) {
    Json object = FloatJson(r, bits);
    object["valor"] = RealJson(result.valor);
    AddReport(object, ReportInterpretation(r.format, bits.c_str(), true));
    Deliver(r, std::move(object));
  }
  return kDone;
}

Status ConvertOne(const Request& r, const std::string& item) {
  const bool real = *r.system == System::kFloat;
  if (r.represent) return real ? RepresentReal(r, item) : RepresentIntegerValue(r, item);
  // The format's width is set by now (Prepare).
  const ops::TypedBits typed = ops::ReadTypedBits(item, real ? r.format.nb : r.bits.value_or(0));
  if (!typed.fault.empty()) {
    out::PrintErr("repbin: cadena no válida: \"%s\"; ", item.c_str());
    out::PrintErrText(typed.fault.c_str());
    out::PrintErr("\n");
    return kRefused;
  }
  return real ? InterpretReal(r, typed.bits) : InterpretIntegerString(r, typed.bits);
}

// Checks what applies to the whole command before any conversion; sets the format.
Status Prepare(Request& r) {
  if (!r.system) {
    return Refuse("falta el SISTEMA: %s (vea repbin %s --help)", kSystemsList,
                  r.represent ? "representar" : "interpretar");
  }
  if (!r.value) {
    return Refuse("falta %s (vea repbin %s --help)", r.represent ? "el VALOR" : "la CADENA",
                  r.represent ? "representar" : "interpretar");
  }
  if (r.fraction && (*r.system == System::kFloat || *r.system == System::kExcess)) {
    return Refuse("--fraccion vale para natural, sm, c1 y c2");
  }
  if (r.fraction && r.represent && *r.fraction >= r.bits.value_or(32)) {
    return Refuse("--fraccion %i no vale con %i bits; escriba entre 0 y %i", *r.fraction,
                  r.bits.value_or(32), r.bits.value_or(32) - 1);
  }
  if (*r.system != System::kFloat) {
    if (!r.layout_option.empty()) {
      return Refuse("%s solo vale para flotante", r.layout_option.c_str());
    }
    return kDone;
  }
  if (!r.represent && r.valor) return Refuse("--valor solo vale para representar");
  const FloatFormat f = ops::BuildLayout(r.layout);
  if (f.nb < 3) {
    return Refuse(
        "con %i bits no cabe un formato de coma flotante: hacen falta al menos 3 "
        "(signo, exponente y mantisa)",
        f.nb);
  }
  if (const std::optional<ops::LayoutFault> fault = ops::CheckFloatFormat(f)) {
    out::PrintErr("\n ");
    out::PrintErrText(ops::LayoutFaultText(*fault).c_str());
    out::PrintErr("\n");
    return kRefused;
  }
  r.format = f;
  return kDone;
}

}  // namespace

int RunConversion(const std::vector<std::string>& args, bool ampliado) {
  Request r;
  r.represent = args[0] == "representar";
  r.options.reserved_fields = true;
  r.options.ampliado = ampliado;
  if (ParseArguments(args, r) != kDone) return kRefused;
  if (r.help) {
    if (r.represent) {
      PrintRepresentHelp();
    } else {
      PrintInterpretHelp();
    }
    return kDone;
  }
  if (Prepare(r) != kDone) return kRefused;
  if (*r.value != "-") return ConvertOne(r, *r.value);
  // A batch: one value per line; blank lines are skipped, and a refused line does not stop the
  // others. The status is the worst of the lines. A failed read or write ends the batch (the
  // program reports it).
  return cmd::ForEachInputLine([&](const std::string& value) { return ConvertOne(r, value); });
}

std::string ConversionForPage(const std::vector<std::string>& args) {
  Json kept;
  int status = kRefused;
  const std::string printed = out::CaptureMerged(
      [&] {
        Request r;
        r.represent = args[0] == "representar";
        r.kept = &kept;
        if (ParseArguments(args, r) != kDone) return;
        if (r.json || r.help || (r.value && *r.value == "-")) {
          status = cmd::RefuseOnPage(false);
          return;
        }
        if (Prepare(r) == kDone) status = ConvertOne(r, *r.value);
      },
      out::Encoding::kUtf8);
  return cmd::PageJson(printed, status, kept);
}

std::string LayoutForPage(const std::vector<std::string>& args) {
  Json page;
  int status = kRefused;
  const std::string printed = out::CaptureMerged(
      [&] {
        Request r;
        r.represent = args[0] == "representar";
        if (ParseArguments(args, r) != kDone) return;
        const std::string typed = r.value.value_or("");
        if (!r.value) r.value = "0";  // the layout alone: any value passes its checks
        if (Prepare(r) != kDone) return;
        status = kDone;
        int width = 0;  // the width a typed string must have; 0 when it is the string's own
        if (*r.system == System::kFloat) {
          page["formato"] = ops::LayoutJson(r.format);
          width = r.format.nb;
        } else {
          // Interpreted, an integer string is as wide as it is typed; represented, -b or 32.
          const ops::TypedBits bits = ops::ReadTypedBits(typed, r.bits.value_or(0));
          const int nb = !r.represent && bits.fault.empty() && bits.bits.size() <= kMaxWidth
                             ? static_cast<int>(bits.bits.size())
                             : r.bits.value_or(32);
          page["formato"] = ops::LayoutJson(
              ops::IntegerFormat{*r.system, nb, r.excess.value_or(ops::UsualExcess(nb))});
          width = r.bits.value_or(0);
        }
        // How far the value being typed has come, and whether it is worth converting: not a
        // lone sign or point, nor a string still shorter than the format.
        const ops::TypedCount count = ops::CountTypedBits(typed);
        const bool started = typed.find_first_not_of(" \t+-.") != std::string::npos;
        page["escritos"] = {
            {"bits", count.bits},
            {"ancho", width},
            {"completo", started && (r.represent || ops::TypedBitsWhole(typed, width))}};
      },
      out::Encoding::kUtf8);
  page["estado"] = status;
  page["mensaje"] = printed;
  return cmd::JsonText(page);
}

namespace cmd {
namespace {

// Appends `value` to `line` as JSON. Every string, key and ordinary number is written by the
// library, escaped; an exact integer too wide for the library's numbers is carried as a binary
// value, which no text can become, and written as its decimal digits.
void Serialize(const Json& value, std::string& line) {
  const auto dump = [](const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
  };
  if (value.is_binary()) {
    line.append(value.get_binary().begin(), value.get_binary().end());
  } else if (value.is_object()) {
    line.push_back('{');
    for (auto member = value.begin(); member != value.end(); ++member) {
      if (member != value.begin()) line.push_back(',');
      line += dump(member.key());
      line.push_back(':');
      Serialize(member.value(), line);
    }
    line.push_back('}');
  } else if (value.is_array()) {
    line.push_back('[');
    for (auto item = value.begin(); item != value.end(); ++item) {
      if (item != value.begin()) line.push_back(',');
      Serialize(*item, line);
    }
    line.push_back(']');
  } else {
    line += dump(value);
  }
}

bool HoldsBinary(const Json& value) {
  if (value.is_binary()) return true;
  if (!value.is_structured()) return false;
  return std::any_of(value.begin(), value.end(), [](const Json& v) { return HoldsBinary(v); });
}

// One line of a batch, without its surrounding blanks; a line that is too long or holds a NUL
// byte is refused whole, never cut.
Status ConvertLine(const in::Line& line, const std::function<Status(const std::string&)>& convert) {
  if (line.length > line.text.size()) {
    return Refuse("la línea tiene %zu caracteres; una línea puede tener como mucho %zu",
                  line.length, in::kLineCapacity);
  }
  const std::size_t first = line.text.find_first_not_of(" \t");
  if (first == std::string::npos) return kDone;
  const std::size_t last = line.text.find_last_not_of(" \t");
  const std::string value = line.text.substr(first, last - first + 1);
  if (value.find('\0') != std::string::npos) {
    std::string shown;
    for (const char c : value) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    return Refuse("valor no válido: \"%s\"; un valor no puede contener el carácter nulo (\\0)",
                  shown.c_str());
  }
  return convert(value);
}

}  // namespace

// A refused argument: one line on standard error.
Status Refuse(const char* format, ...) {
  out::PrintErr("repbin: ");
  std::va_list args;
  va_start(args, format);
  out::PrintErrV(format, args);
  va_end(args);
  out::PrintErr("\n");
  return kRefused;
}

void AddCommonFlags(ops::OptionTable& table, bool& help, bool& json) {
  table.Flag({"-h", "--help"}, [&help] { help = true; })
      .Flag({"--json"}, [&json] { json = true; })
      .Flag({"--cp850"}, [] { out::SetEncoding(out::Encoding::kCp850); })
      .Flag({"--utf8"}, [] { out::SetEncoding(out::Encoding::kUtf8); });
}

void AddCommonFlags(ops::OptionTable& table, bool& help, bool& json, bool& ampliado) {
  AddCommonFlags(table, help, json);
  table.Flag({"--ampliado"}, [&ampliado] { ampliado = true; });
}

void AddWidthAndExcess(ops::OptionTable& table, std::optional<int>& bits,
                       std::optional<int>& excess, std::optional<int>& fraction,
                       ops::LayoutOptions& layout) {
  table
      .Whole({"-b", "--bits"}, "un número de bits", ops::kIntegerWidth,
             [&bits, &layout](std::int64_t n) { layout.bits = bits = static_cast<int>(n); })
      .Whole({"-z", "--exceso"}, "un exceso", ops::kExcess,
             [&excess, &layout](std::int64_t z) { layout.exceso = excess = static_cast<int>(z); })
      .Whole({"--fraccion"}, "un número de bits fraccionarios", ops::kFractionBits,
             [&fraction](std::int64_t f) { fraction = static_cast<int>(f); });
}

void DescribeEncodingAndHelp(ops::OptionTable& table) {
  table.DescribeAs("--cp850", "--cp850, --utf8", "codificación de los acentos")
      .Describe("-h", "", "muestra esta ayuda y termina");
}

Status RefuseText(const std::string& message) {
  out::PrintErr("repbin: ");
  out::PrintErrText(message.c_str());
  out::PrintErr("\n");
  return kRefused;
}

Status RefuseOnPage(bool operation) {
  return operation ? Refuse("en la página se hace una operación cada vez, sin --json ni --help")
                   : Refuse("en la página se convierte un valor cada vez, sin --json ni --help");
}

std::string PageJson(const std::string& printed, int status, const Json& kept) {
  Json page;
  page["traza"] = printed;
  page["estado"] = status;
  // The trace's lines, for a door that shows them one by one.
  RecordedTrace steps;
  steps.Text(printed.c_str());
  page["pasos"] = steps.Lines();
  page["resultado"] = kept.is_null() ? Json(nullptr) : kept;
  return JsonText(page);
}

// The program's own words chosen at run time, in standard error's encoding: a format's arguments
// are written as they are, which is right for the user's words but not for "posición".
std::string OwnWords(const char* text) {
  const std::size_t size = std::char_traits<char>::length(text) + 1;
  std::string converted(size, '\0');
  out::Encode(text, out::BoundErr().encoding, converted.data(), size);
  converted.resize(std::char_traits<char>::length(converted.c_str()));
  return converted;
}

std::string JsonText(const Json& object) {
  if (!HoldsBinary(object)) return object.dump(-1, ' ', false, Json::error_handler_t::replace);
  std::string line;
  Serialize(object, line);
  return line;
}

void WriteJson(const Json& object) {
  std::string line = JsonText(object);
  line.push_back('\n');
  out::Write(line.data(), line.size());
}

// A JSON number written exactly from its decimal digits (an optional '-', digits, and an optional
// point followed by digits), whatever its size.
Json ExactNumber(const std::string& decimal) {
  long long signed_value = 0;
  auto [end, error] =
      std::from_chars(decimal.data(), decimal.data() + decimal.size(), signed_value);
  if (error == std::errc{} && end == decimal.data() + decimal.size()) return signed_value;
  unsigned long long unsigned_value = 0;
  auto [uend, uerror] =
      std::from_chars(decimal.data(), decimal.data() + decimal.size(), unsigned_value);
  if (uerror == std::errc{} && uend == decimal.data() + decimal.size()) return unsigned_value;
  const std::size_t digits = decimal.starts_with('-') ? 1 : 0;
  const std::size_t point = decimal.find('.');
  const bool fraction = point != std::string::npos && point > digits &&
                        point + 1 < decimal.size() &&
                        decimal.find_first_not_of("0123456789", point + 1) == std::string::npos;
  const std::string_view integer =
      std::string_view(decimal).substr(0, fraction ? point : decimal.size());
  if (integer.size() == digits ||
      integer.find_first_not_of("0123456789", digits) != std::string::npos) {
    return decimal;  // not a number: kept as text
  }
  return Json::binary(Json::binary_t::container_type(decimal.begin(), decimal.end()));
}

int ForEachInputLine(const std::function<Status(const std::string&)>& convert) {
  int worst = kDone;
  in::Line line;
  while (in::ReadLine(line)) {
    worst = std::max(worst, static_cast<int>(ConvertLine(line, convert)));
  }
  return worst;
}

}  // namespace cmd
}  // namespace repbin
