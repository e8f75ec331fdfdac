// The rules of a floating-point layout, with the messages that say what is possible: the three
// fields fill the `nb` characters without overlapping, and the codes are in their menus. The
// dialogue asks its questions by these rules; the one-shot commands and the exercise sheets check
// a whole layout with them. Also the layout summary and the separator line.

#include "operations/layout.h"

#include <cstdio>

#include "output/output.h"
#include "real/format.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin::ops {

// Where a field of `width` characters can start among the positions left free by a field of
// `taken_width` characters at `taken`: at the start of a free run long enough for it, or one
// position later when the run has room to spare (the sign takes the other one).
Choices StartsBeside(int taken, int taken_width, int width) {
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

// Where the exponent can start so that the mantissa still has a run of its width beside it.
Choices ExponentStarts() {
  const int nbman = NbMan();
  Choices choices;
  for (int p : {0, 1, nbman, nbman + 1}) {
    if (p <= nb - nbexp) choices.Add(p);
  }
  return choices;
}

// The one position the exponent and the mantissa leave free.
Choices SignPosition() {
  Choices choices;
  for (int p = 0; p < nb; ++p) {
    const bool in_exponent = p >= posexp && p < posexp + nbexp;
    const bool in_mantissa = p >= posmantisa && p < posmantisa + NbMan();
    if (!in_exponent && !in_mantissa) choices.Add(p);
  }
  return choices;
}

// Whether `v` is one of `choices`; says which positions are possible when not.
bool PositionAllowed(const Choices& choices, const char* field, int v) {
  if (choices.Has(v)) return true;
  char allowed[64];
  choices.Describe(allowed, sizeof allowed);
  out::PrintErr("\n Con este formato, %s solo puede estar en la posición %s.\n", field, allowed);
  return false;
}

bool CodeAllowed(int v, int highest, const char* what) {
  if (v >= 0 && v <= highest) return true;
  out::PrintErr("\n Elija %s entre 0 y %i.\n", what, highest);
  return false;
}

// At least one exponent bit, and room for the sign and one mantissa bit.
bool ExponentWidthAllowed(int v) {
  if (v >= 1 && v <= nb - 2) return true;
  out::PrintErr(
      "\n Con %i bits en total, el exponente debe tener entre 1 y %i bits (el "
      "signo y la mantisa necesitan al menos uno cada uno).\n",
      nb, nb - 2);
  return false;
}

bool CheckFloatFormat(const FloatFormat& format) {
  // The same checks as the questions, in their order, each on the fields placed before it.
  nb = format.bits;
  if (!ExponentWidthAllowed(format.exp)) return false;
  nbexp = format.exp;
  if (!PositionAllowed(ExponentStarts(), kExponentStart, format.pos_exp)) return false;
  posexp = format.pos_exp;
  if (!PositionAllowed(StartsBeside(posexp, nbexp, NbMan()), kMantissaStart, format.pos_man)) {
    return false;
  }
  posmantisa = format.pos_man;
  if (!PositionAllowed(SignPosition(), kSign, format.pos_signo)) return false;
  if (!CodeAllowed(format.sis_exp, 3, "un sistema") ||
      !CodeAllowed(format.sis_man, 2, "un sistema") ||
      !CodeAllowed(format.norma, 2, "una normalización")) {
    return false;
  }
  ApplyFormat(format);
  return true;
}

namespace {

void PrintSystemLine(int type) {
  switch (type) {
    case 0: out::Print("  Representado en signo-magnitud \n"); break;
    case 1: out::Print("  Representado en complemento a uno \n"); break;
    case 2: out::Print("  Representado en complemento a dos \n"); break;
    default: break;
  }
}

}  // namespace

void PrintLayoutSummary() {
  out::Print(" Coma flotante de %i bits( %i de exponente)\n", nb, nbexp);
  out::Print("Exponente: S%i-S%i \n", nb - posexp - 1, nb - posexp - nbexp);
  if (TypeExp == 3) {
    out::Print("  Representado en Exceso %i\n", zEZ);
  } else {
    PrintSystemLine(TypeExp);
  }
  out::Print("Mantisa:S%i-S%i \n", nb - posmantisa - 1, nbexp + 1 - posmantisa);
  PrintSystemLine(TypeMan);
  switch (typenorma) {
    case 0: out::Print("  Mantisa fracionaria sin bit implicito 0'M \n"); break;
    case 1: out::Print("  Mantisa fracionaria con bit implicito entero 1'M \n"); break;
    case 2: out::Print("  Mantisa fracionaria con bit implicito fracionario 0'1M \n"); break;
    default: break;
  }
  out::Print("Signo:S%i \n", nb - possigno - 1);
}

void PrintSeparator() {
  out::Print("==========================================================\n");
}

}  // namespace repbin::ops
