#include "operations/operations.h"

#include <cstring>
#include <string>

#include "codec/codec.h"
#include "operations/integer_report.h"
#include "operations/layout.h"
#include "real/exact.h"
#include "real/format.h"
#include "real/real.h"
#include "real/report.h"

namespace repbin::ops {
namespace {

// Copies `text` into `dest` (room for `size` characters and the NUL), cut to fit.
void CopyText(std::string_view text, char* dest, std::size_t size) {
  const std::size_t n = text.copy(dest, size - 1);
  dest[n] = '\0';
}

}  // namespace

void PrintIntegerHeading(const IntegerFormat& f, Trace& trace) {
  switch (f.system) {
    case System::kOnes: trace.Print("Complemento a uno con %i bits \n", f.nb); break;
    case System::kTwos: trace.Print("Complemento a dos con %i bits \n", f.nb); break;
    case System::kExcess: trace.Print(" Exceso %i con %i bits \n", f.zEZ, f.nb); break;
    case System::kSignMagnitude: trace.Print(" Signo - Magnitud con %i bits \n", f.nb); break;
    default: break;  // natural binary has no heading
  }
}

IntegerRepresentation RepresentInteger(const IntegerFormat& f, std::int32_t value,
                                       const Options& options, Trace& trace) {
  char bits[kMaxWidth + 1] = {};
  trace.Print("Valor a representar %i \n", value);
  int fits = 0;
  switch (f.system) {
    case System::kNatural: fits = DecBN(value, bits, f.nb, trace); break;
    case System::kOnes: fits = C1BN(value, bits, f.nb, trace); break;
    case System::kTwos: fits = C2BN(value, bits, f.nb, trace); break;
    case System::kExcess: fits = EZBN(value, bits, f.nb, f.zEZ, trace); break;
    case System::kSignMagnitude: fits = SMBN(value, bits, f.nb, trace); break;
    case System::kFloat: break;
  }
  if (fits == 0) {
    // Sign-magnitude has always said it on standard error, the others on standard output.
    if (f.system == System::kSignMagnitude) {
      trace.PrintErr("\n Fuera de Rango\n");
    } else {
      trace.Print("\n Fuera de Rango\n");
    }
  }
  // Natural binary and two's complement print the result with a colon, the others without.
  const bool colon =
      f.system == System::kNatural || f.system == System::kTwos || f.system == System::kExcess;
  trace.Print(colon ? "\n El dato representado es: %s \n" : "\n El dato representado es %s \n",
              bits);
  if (options.ampliado) {
    PrintIntegerReport(ReportIntegerRepresentation(f.system, value, std::string_view(bits), f.zEZ),
                       trace);
  }
  PrintSeparator(trace);
  return {bits, fits != 0};
}

IntegerInterpretation InterpretInteger(const IntegerFormat& f, std::string_view text,
                                       const Options& options, Trace& trace) {
  char bits[kMaxWidth + 1];
  CopyText(text, bits, sizeof bits);
  const int width = static_cast<int>(std::strlen(bits));
  trace.Print(" Dato a interpretar %s \n", bits);
  // Every reading is exact, at every width.
  const std::string r = DecodeExact(f.system, bits, width, f.zEZ, trace);
  switch (f.system) {
    case System::kNatural:
      trace.Print("\n El resultado en binario natural es: %s \n", r.c_str());
      break;
    case System::kOnes:
      trace.Print("\n El resultado en complemento a uno es: %s \n", r.c_str());
      break;
    case System::kTwos:
      trace.Print("\n El resultado en complemento a dos es: %s \n", r.c_str());
      break;
    case System::kExcess:
      trace.Print("\n El resultado en Exceso %i es %s \n", f.zEZ, r.c_str());
      break;
    case System::kSignMagnitude:
      trace.Print("\n El resultado en signo/magnitud es: %s \n", r.c_str());
      break;
    case System::kFloat: break;
  }
  if (options.ampliado) {
    PrintIntegerReport(ReportIntegerInterpretation(f.system, std::string_view(bits), f.zEZ), trace);
  }
  return {r};
}

namespace {

// The name of the named IEEE format `f` is, or nullptr.
const char* PresetName(const FloatFormat& f) {
  for (const char* name : {"ieee32", "ieee16", "ieee64", "bfloat16"}) {
    if (FindPreset(name) == f) return name;
  }
  return nullptr;
}

// What keeps `bits` (the pattern of a value of `f`) from holding it in a named IEEE format: an
// exponent field IEEE 754 reserves. Empty when nothing does.
std::string ReservedField(const FloatFormat& f, const char* bits) {
  const char* name = PresetName(f);
  if (name == nullptr) return "";
  const std::string field(bits + f.posexp, static_cast<std::size_t>(f.nbexp));
  const std::string mantissa(bits + f.posmantisa, static_cast<std::size_t>(f.NbMan()));
  const auto all = [](const std::string& text, char c) {
    return text.find_first_not_of(c) == std::string::npos;
  };
  if (all(field, '1')) {
    return std::string("en ") + name + " el exponente " + field +
           " está reservado a infinitos y NaN";
  }
  if (all(field, '0') && !all(mantissa, '0')) {
    return std::string("en ") + name + " el exponente " + field +
           " está reservado al cero y a los subnormales";
  }
  return "";
}

}  // namespace

FloatRepresentation RepresentFixedText(const FloatFormat& f, std::string_view text,
                                       const Options& options, Trace& trace) {
  char decimal[kMaxWidth];
  CopyText(text, decimal, sizeof decimal);
  char bits[kMaxWidth + 1];
  trace.Print("El valor a representar %s \n", decimal);
  const int fits = CFCFL(f, decimal, bits, trace);
  const std::string reserved = fits != 0 && options.reserved_fields ? ReservedField(f, bits) : "";
  trace.Print("\n El dato representado es %s \n", bits);
  if (options.ampliado) {
    PrintRepresentationReport(ReportRepresentation(f, bits, {std::string(text), true, 0.0f}, true),
                              trace);
  }
  return {bits, fits != 0 && reserved.empty(), reserved};
}

FloatRepresentation RepresentFloatValue(const FloatFormat& f, float value, const Options& options,
                                        Trace& trace) {
  char bits[kMaxWidth + 1];
  trace.Print("El valor a representar es %f", static_cast<double>(value));
  const int fits = CFLBN(f, value, bits, trace);
  const std::string reserved = fits != 0 && options.reserved_fields ? ReservedField(f, bits) : "";
  trace.Print("\n El dato representar es %s \n", bits);
  if (options.ampliado) {
    PrintRepresentationReport(ReportRepresentation(f, bits, {"", false, value}, true), trace);
  }
  return {bits, fits != 0 && reserved.empty(), reserved};
}

FloatInterpretation InterpretFloat(const FloatFormat& f, std::string_view text,
                                   const Options& options, Trace& trace) {
  char bits[kMaxWidth + 1];
  CopyText(text, bits, sizeof bits);
  trace.Print(" Dato a interpretar %s \n", bits);
  const float res = BNCFL(f, bits, trace);
  trace.Print("\n El resultado es %f", static_cast<double>(res));
  if (options.ampliado) {
    trace.Print("\n");  // the result line leaves its line open
    PrintInterpretationReport(ReportInterpretation(f, bits, true), trace);
  }
  return {res};
}

}  // namespace repbin::ops
