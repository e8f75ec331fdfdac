// The rules of a floating-point layout, with the messages that say what is possible: the three
// fields fill the `f.nb` characters without overlapping, and the codes are in their menus. The
// dialogue asks its questions by these rules; the one-shot commands and the exercise sheets check
// a whole layout with them. Also the layout summary and the separator line.

#include "operations/layout.h"

#include <cstdio>

#include "real/format.h"

namespace repbin::ops {

// Where a field of `width` characters can start among the positions left free by a field of
// `taken_width` characters at `taken`: at the start of a free run long enough for it, or one
// position later when the run has room to spare (the sign takes the other one).
Choices StartsBeside(int nb, int taken, int taken_width, int width) {
  Choices choices;
  const int left_run = taken;
  const int right_start = taken + taken_width;
  if (left_run >= width) {
    for (int p = 0; p <= left_run - width; ++p) choices.Add(p);
  }
  if (nb - right_start >= width) {
    for (int p = right_start; p <= nb - width; ++p) choices.Add(p);
  }
  return choices;
}

Choices ExponentStarts(const FloatFormat& f) {
  const int nbman = f.NbMan();
  Choices choices;
  for (int p : {0, 1, nbman, nbman + 1}) {
    if (p <= f.nb - f.nbexp) choices.Add(p);
  }
  return choices;
}

Choices SignPosition(const FloatFormat& f) {
  Choices choices;
  for (int p = 0; p < f.nb; ++p) {
    const bool in_exponent = p >= f.posexp && p < f.posexp + f.nbexp;
    const bool in_mantissa = p >= f.posmantisa && p < f.posmantisa + f.NbMan();
    if (!in_exponent && !in_mantissa) choices.Add(p);
  }
  return choices;
}

std::optional<LayoutFault> CheckPosition(LayoutField field, const Choices& choices, int v) {
  if (choices.Has(v)) return std::nullopt;
  return LayoutFault{field, choices};
}

std::optional<LayoutFault> CheckCode(LayoutField field, int v) {
  const int highest = field == LayoutField::kExponentSystem ? 3 : 2;
  if (v >= 0 && v <= highest) return std::nullopt;
  return LayoutFault{field, {}, highest};
}

std::optional<LayoutFault> CheckExponentWidth(int nb, int v) {
  if (v >= 1 && v <= nb - 2) return std::nullopt;
  return LayoutFault{LayoutField::kExponentWidth, {}, nb - 2, nb};
}

std::optional<LayoutFault> CheckFloatFormat(const FloatFormat& format) {
  // The same checks as the questions, in their order, each on the fields placed before it.
  if (auto fault = CheckExponentWidth(format.nb, format.nbexp)) return fault;
  if (auto fault =
          CheckPosition(LayoutField::kExponentStart, ExponentStarts(format), format.posexp)) {
    return fault;
  }
  if (auto fault =
          CheckPosition(LayoutField::kMantissaStart,
                        StartsBeside(format.nb, format.posexp, format.nbexp, format.NbMan()),
                        format.posmantisa)) {
    return fault;
  }
  if (auto fault = CheckPosition(LayoutField::kSign, SignPosition(format), format.possigno)) {
    return fault;
  }
  if (auto fault = CheckCode(LayoutField::kExponentSystem, format.TypeExp)) return fault;
  if (auto fault = CheckCode(LayoutField::kMantissaSystem, format.TypeMan)) return fault;
  return CheckCode(LayoutField::kNorm, format.typenorma);
}

std::string LayoutFaultText(const LayoutFault& fault) {
  char text[200];
  const auto position = [&](const char* field) {
    char allowed[64] = {};
    fault.positions.Describe(allowed, sizeof allowed);
    std::snprintf(text, sizeof text, "Con este formato, %s solo puede estar en la posición %s.",
                  field, allowed);
  };
  switch (fault.field) {
    case LayoutField::kExponentWidth:
      std::snprintf(text, sizeof text,
                    "Con %i bits en total, el exponente debe tener entre 1 y %i bits (el signo y "
                    "la mantisa necesitan al menos uno cada uno).",
                    fault.nb, fault.highest);
      break;
    case LayoutField::kExponentStart: position("el comienzo del exponente"); break;
    case LayoutField::kMantissaStart: position("el comienzo de la mantisa"); break;
    case LayoutField::kSign: position("el signo"); break;
    case LayoutField::kExponentSystem:
    case LayoutField::kMantissaSystem:
      std::snprintf(text, sizeof text, "Elija un sistema entre 0 y %i.", fault.highest);
      break;
    case LayoutField::kNorm:
      std::snprintf(text, sizeof text, "Elija una normalización entre 0 y %i.", fault.highest);
      break;
  }
  return text;
}

namespace {

void PrintSystemLine(int type, Trace& trace) {
  switch (type) {
    case 0: trace.Print("  Representado en signo-magnitud \n"); break;
    case 1: trace.Print("  Representado en complemento a uno \n"); break;
    case 2: trace.Print("  Representado en complemento a dos \n"); break;
    default: break;
  }
}

}  // namespace

void PrintLayoutSummary(const FloatFormat& f, Trace& trace) {
  const int nb = f.nb;
  const int nbexp = f.nbexp;
  trace.Print(" Coma flotante de %i bits( %i de exponente)\n", nb, nbexp);
  trace.Print("Exponente: S%i-S%i \n", nb - f.posexp - 1, nb - f.posexp - nbexp);
  if (f.TypeExp == 3) {
    trace.Print("  Representado en Exceso %i\n", f.zEZ);
  } else {
    PrintSystemLine(f.TypeExp, trace);
  }
  trace.Print("Mantisa:S%i-S%i \n", nb - f.posmantisa - 1, nbexp + 1 - f.posmantisa);
  PrintSystemLine(f.TypeMan, trace);
  switch (f.typenorma) {
    case 0: trace.Print("  Mantisa fracionaria sin bit implicito 0'M \n"); break;
    case 1: trace.Print("  Mantisa fracionaria con bit implicito entero 1'M \n"); break;
    case 2: trace.Print("  Mantisa fracionaria con bit implicito fracionario 0'1M \n"); break;
    default: break;
  }
  trace.Print("Signo:S%i \n", nb - f.possigno - 1);
}

void PrintSeparator(Trace& trace) {
  trace.Print("==========================================================\n");
}

}  // namespace repbin::ops
