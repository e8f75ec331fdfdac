// The floating-format dialogue: the layout of a floating-point format, question by question.
// Every answer is checked as it comes, so a codec is never handed a layout it cannot honour: the
// three fields must fill the `nb` characters without overlapping, and the codes must be in their
// menus. A refused answer is asked again, with the values that are possible.

#include <cstdio>

#include "console/dialogue.h"
#include "console/input.h"
#include "output/output.h"
#include "real/format.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin::console {
namespace {

// The few values a position may take once the earlier fields are placed.
struct Choices {
  int value[4];
  int count = 0;

  void Add(int v) {
    for (int i = 0; i < count; ++i) {
      if (value[i] == v) return;
    }
    value[count++] = v;
  }
  bool Has(int v) const {
    for (int i = 0; i < count; ++i) {
      if (value[i] == v) return true;
    }
    return false;
  }
  // "0", "0 o 1", "0, 1, 22 o 23".
  void Describe(char* text, std::size_t size) const {
    int n = 0;
    for (int i = 0; i < count && n >= 0 && static_cast<std::size_t>(n) < size; ++i) {
      const char* joint = i == 0 ? "" : (i == count - 1 ? " o " : ", ");
      n += std::snprintf(text + n, size - static_cast<std::size_t>(n), "%s%i", joint, value[i]);
    }
  }
};

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

constexpr const char* kExponentStart = "el comienzo del exponente";
constexpr const char* kMantissaStart = "el comienzo de la mantisa";
constexpr const char* kSign = "el signo";

template <class Prompt>
bool AskPosition(Prompt prompt, const Choices& choices, const char* field, int& setting) {
  const std::optional<int> answer =
      AskInt(prompt, [&](int v) { return PositionAllowed(choices, field, v); });
  if (!answer) return false;
  setting = *answer;
  return true;
}

template <class Prompt>
bool AskCode(Prompt prompt, int highest, const char* what, int& setting) {
  const std::optional<int> answer =
      AskInt(prompt, [&](int v) { return CodeAllowed(v, highest, what); });
  if (!answer) return false;
  setting = *answer;
  return true;
}

}  // namespace

bool AskFloatFormat(Form form) {
  const bool rep = form == Form::kRepresentation;
  const std::optional<int> width =
      AskInt([] { out::PrintErr("\nIndique el numero de bits para el exponente "); },
             ExponentWidthAllowed);
  if (!width) return false;
  nbexp = *width;
  // 2 to 4. Positions.
  const auto ask_posexp = [rep] {
    out::PrintErr(rep ? "\nIntroduzca la posición de comienzo del exponente "
                      : "\n Introduzca la posición de comienzo del exponente");
  };
  if (!AskPosition(ask_posexp, ExponentStarts(), kExponentStart, posexp)) return false;
  const auto ask_posmantisa = [rep] {
    out::PrintErr(rep ? "\nIntroduzca la posición de comienzo de la mantisa "
                      : "\n Introduzca la posición de comienzo de la mantisa ");
  };
  if (!AskPosition(ask_posmantisa, StartsBeside(posexp, nbexp, NbMan()), kMantissaStart,
                   posmantisa)) {
    return false;
  }
  const auto ask_possigno = [rep] {
    out::PrintErr(rep ? "\nIntroduzca la posición del signo "
                      : "\n Introduzca la posición del signo ");
  };
  if (!AskPosition(ask_possigno, SignPosition(), kSign, possigno)) return false;
  // 5 and 6. Exponent system, and the excess when it is excess Z.
  const auto ask_type_exp = [rep] {
    out::PrintErr(
        rep ? "\nIntroduzca el sistema de representación de exponente \n0  Signo "
              "Magnitud \n1 Complemento a 1 \n2 Complemento a 2 \n3 Exceso Z \n "
            : "\n Introduzca el sistema de representación de exponente \n0  Signo "
              "Magnitud \n 1 Complemento a 1 \n 2 Complemento a 2\t\t\t  \n 3 Exceso Z \n ");
  };
  if (!AskCode(ask_type_exp, 3, "un sistema", TypeExp)) return false;
  if (TypeExp == 3) {
    const std::optional<int> excess = AskInt([] { out::PrintErr("\n Intoduzca el exceso "); });
    if (!excess) return false;
    zEZ = *excess;
  }
  // 7. Mantissa system.
  const auto ask_type_man = [rep] {
    out::PrintErr(rep ? "\nIntroduzca el sistema de representación del mantisa \n0  Signo "
                        "Magnitud \n1 Complemento a 1 \n2 Complemento a 2\n  "
                      : "\nIntroduzca el sistema de representación del mantisa \n0  Signo "
                        "Magnitud \n 1 Complemento a 1 \n 2 Complemento a 2\n  ");
  };
  if (!AskCode(ask_type_man, 2, "un sistema", TypeMan)) return false;
  // 8 and 9. Normalisation, and the implicit bit that follows from it.
  const auto ask_norma = [] {
    out::PrintErr(
        "\n \n Introduzca la normalizacion: \n 0 Mantisa fracionaria sin bit implicito 0'M \n 1 "
        "Mantisa fracionaria con bit implicito entero 1'M \n 2 Mantisa fracionaria con bit "
        "implicito fraccionario \n");
  };
  if (!AskCode(ask_norma, 2, "una normalización", typenorma)) return false;
  bi = typenorma > 0 ? 1 : 0;
  // 10. The representation form shows the layout.
  if (rep) PrintLayoutSummary();
  return true;
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

}  // namespace repbin::console
