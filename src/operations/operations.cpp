#include "operations/operations.h"

#include <cstring>
#include <string>

#include "codec/codec.h"
#include "operations/integer_report.h"
#include "operations/layout.h"
#include "output/output.h"
#include "real/exact.h"
#include "real/format.h"
#include "real/real.h"
#include "real/report.h"
#include "settings/settings.h"

namespace repbin::ops {
namespace {

struct Named {
  std::string_view name;
  System system;
};

constexpr Named kSystemNames[] = {
    {"natural", System::kNatural},
    {"c1", System::kOnes},
    {"c2", System::kTwos},
    {"exceso", System::kExcess},
    {"sm", System::kSignMagnitude},
    {"flotante", System::kFloat},
    {"binario-natural", System::kNatural},
    {"complemento-a-uno", System::kOnes},
    {"complemento-a-dos", System::kTwos},
    {"exceso-z", System::kExcess},
    {"signo-magnitud", System::kSignMagnitude},
    {"coma-flotante", System::kFloat},
};

// Copies `text` into `dest` (room for `size` characters and the NUL), cut to fit.
void CopyText(std::string_view text, char* dest, std::size_t size) {
  const std::size_t n = text.copy(dest, size - 1);
  dest[n] = '\0';
}

}  // namespace

std::optional<System> FindSystem(std::string_view name) {
  for (const Named& n : kSystemNames) {
    if (n.name == name) return n.system;
  }
  return std::nullopt;
}

const char* SystemName(System system) {
  for (const Named& n : kSystemNames) {
    if (n.system == system) return n.name.data();
  }
  return "";
}

void PrintIntegerHeading(System system) {
  switch (system) {
    case System::kOnes: out::Print("Complemento a uno con %i bits \n", nb); break;
    case System::kTwos: out::Print("Complemento a dos con %i bits \n", nb); break;
    case System::kExcess: out::Print(" Exceso %i con %i bits \n", zEZ, nb); break;
    case System::kSignMagnitude: out::Print(" Signo - Magnitud con %i bits \n", nb); break;
    default: break;  // natural binary has no heading
  }
}

IntegerRepresentation RepresentInteger(System system, std::int32_t value, int width, int excess,
                                       const Options& options) {
  nb = width;
  zEZ = excess;
  out::Print("Valor a representar %i \n", value);
  int fits = 0;
  switch (system) {
    case System::kNatural: fits = DecBN(value, buffer, nb); break;
    case System::kOnes: fits = C1BN(value, buffer, nb); break;
    case System::kTwos: fits = C2BN(value, buffer, nb); break;
    case System::kExcess: fits = EZBN(value, buffer, nb, zEZ); break;
    case System::kSignMagnitude: fits = SMBN(value, buffer, nb); break;
    case System::kFloat: break;
  }
  if (fits == 0) {
    // Sign-magnitude has always said it on standard error, the others on standard output.
    if (system == System::kSignMagnitude) {
      out::PrintErr("\n Fuera de Rango\n");
    } else {
      out::Print("\n Fuera de Rango\n");
    }
  }
  // Natural binary and two's complement print the result with a colon, the others without.
  const bool colon =
      system == System::kNatural || system == System::kTwos || system == System::kExcess;
  out::Print(colon ? "\n El dato representado es: %s \n" : "\n El dato representado es %s \n",
             buffer);
  if (options.ampliado) {
    PrintIntegerReport(ReportIntegerRepresentation(
        system, value, std::string_view(buffer, static_cast<std::size_t>(nb)), zEZ));
  }
  ops::PrintSeparator();
  return {buffer, fits != 0};
}

IntegerInterpretation InterpretInteger(System system, std::string_view bits, int excess,
                                       const Options& options) {
  CopyText(bits, buffer, sizeof buffer);
  nb = static_cast<int>(bits.size());
  zEZ = excess;
  out::Print(" Dato a interpretar %s \n", buffer);
  // Every reading is exact, at every width.
  std::string r;
  switch (system) {
    case System::kNatural:
      r = DecodeExact(IntegerCode::kNatural, buffer, nb);
      out::Print("\n El resultado en binario natural es: %s \n", r.c_str());
      break;
    case System::kOnes:
      r = DecodeExact(IntegerCode::kOnes, buffer, nb);
      out::Print("\n El resultado en complemento a uno es: %s \n", r.c_str());
      break;
    case System::kTwos:
      r = DecodeExact(IntegerCode::kTwos, buffer, nb);
      out::Print("\n El resultado en complemento a dos es: %s \n", r.c_str());
      break;
    case System::kExcess:
      r = DecodeExact(IntegerCode::kExcess, buffer, nb, zEZ);
      out::Print("\n El resultado en Exceso %i es %s \n", zEZ, r.c_str());
      break;
    case System::kSignMagnitude:
      r = DecodeExact(IntegerCode::kSignMagnitude, buffer, nb);
      out::Print("\n El resultado en signo/magnitud es: %s \n", r.c_str());
      break;
    case System::kFloat: break;
  }
  if (options.ampliado) {
    PrintIntegerReport(
        ReportIntegerInterpretation(system, std::string_view(buffer, bits.size()), zEZ));
  }
  return {r};
}

namespace {

// The name of the named IEEE format the current format is, or nullptr.
const char* PresetName() {
  for (const char* name : {"ieee32", "ieee16", "ieee64", "bfloat16"}) {
    if (FindPreset(name) == CurrentFormat()) return name;
  }
  return nullptr;
}

// What keeps `bits` (the pattern of a value of the current format) from holding it in a named
// IEEE format: an exponent field IEEE 754 reserves. Empty when nothing does.
std::string ReservedField(const char* bits) {
  const char* name = PresetName();
  if (name == nullptr) return "";
  const std::string field(bits + posexp, static_cast<std::size_t>(nbexp));
  const std::string mantissa(bits + posmantisa, static_cast<std::size_t>(NbMan()));
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

FloatRepresentation RepresentFixedText(std::string_view text, const Options& options) {
  CopyText(text, decimal, sizeof decimal);
  out::Print("El valor a representar %s \n", decimal);
  const int fits = CFCFL(decimal, buffer);
  const std::string reserved = fits != 0 && options.reserved_fields ? ReservedField(buffer) : "";
  out::Print("\n El dato representado es %s \n", buffer);
  if (options.ampliado) {
    PrintRepresentationReport(ReportRepresentation(buffer, {std::string(text), true, 0.0f}));
  }
  return {buffer, fits != 0 && reserved.empty(), reserved};
}

FloatRepresentation RepresentFloatValue(float value, const Options& options) {
  out::Print("El valor a representar es %f", static_cast<double>(value));
  const int fits = CFLBN(value, buffer);
  const std::string reserved = fits != 0 && options.reserved_fields ? ReservedField(buffer) : "";
  out::Print("\n El dato representar es %s \n", buffer);
  if (options.ampliado) PrintRepresentationReport(ReportRepresentation(buffer, {"", false, value}));
  return {buffer, fits != 0 && reserved.empty(), reserved};
}

FloatInterpretation InterpretFloat(std::string_view bits, const Options& options) {
  CopyText(bits, buffer, sizeof buffer);
  out::Print(" Dato a interpretar %s \n", buffer);
  const float res = BNCFL(buffer);
  out::Print("\n El resultado es %f", static_cast<double>(res));
  if (options.ampliado) {
    out::Print("\n");  // the result line leaves its line open
    PrintInterpretationReport(ReportInterpretation(buffer));
  }
  return {res};
}

}  // namespace repbin::ops
