// The floating-format dialogue: the layout of a floating-point format, question by question.
// Every answer is checked as it comes, by the layout's own rules (operations/layout.h), so a codec
// is never handed a layout it cannot honour. A refused answer is asked again, with the values
// that are possible.

#include <cstdio>

#include "dialogue/dialogue.h"
#include "dialogue/questions.h"
#include "operations/layout.h"
#include "output/output.h"
#include "real/format.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin::dialogue {
namespace {

using ops::Choices;
using ops::LayoutFault;
using ops::LayoutField;

// Whether an answer passed its rule; a refused one is said on standard error with what is
// possible.
bool Accepted(const std::optional<LayoutFault>& fault) {
  if (!fault) return true;
  out::PrintErr("\n ");
  out::PrintErrText(ops::LayoutFaultText(*fault).c_str());
  out::PrintErr("\n");
  return false;
}

template <class Prompt>
bool AskPosition(Prompt prompt, const Choices& choices, LayoutField field, int& setting) {
  const std::optional<int> answer =
      AskInt(prompt, [&](int v) { return Accepted(ops::CheckPosition(field, choices, v)); });
  if (!answer) return false;
  setting = *answer;
  return true;
}

template <class Prompt>
bool AskCode(Prompt prompt, LayoutField field, int& setting) {
  const std::optional<int> answer =
      AskInt(prompt, [&](int v) { return Accepted(ops::CheckCode(field, v)); });
  if (!answer) return false;
  setting = *answer;
  return true;
}

}  // namespace

bool AskFloatFormat(Form form) {
  const bool rep = form == Form::kRepresentation;
  const std::optional<int> width =
      AskInt([] { out::PrintErr("\nIndique el numero de bits para el exponente "); },
             [](int v) { return Accepted(ops::CheckExponentWidth(nb, v)); });
  if (!width) return false;
  nbexp = *width;
  // The positions, each among those the fields placed before it leave.
  const auto ask_posexp = [rep] {
    out::PrintErr(rep ? "\nIntroduzca la posición de comienzo del exponente "
                      : "\n Introduzca la posición de comienzo del exponente");
  };
  if (!AskPosition(ask_posexp, ops::ExponentStarts(SettingsFloatFormat()),
                   LayoutField::kExponentStart, posexp)) {
    return false;
  }
  const auto ask_posmantisa = [rep] {
    out::PrintErr(rep ? "\nIntroduzca la posición de comienzo de la mantisa "
                      : "\n Introduzca la posición de comienzo de la mantisa ");
  };
  if (!AskPosition(ask_posmantisa,
                   ops::StartsBeside(nb, posexp, nbexp, SettingsFloatFormat().NbMan()),
                   LayoutField::kMantissaStart, posmantisa)) {
    return false;
  }
  const auto ask_possigno = [rep] {
    out::PrintErr(rep ? "\nIntroduzca la posición del signo "
                      : "\n Introduzca la posición del signo ");
  };
  if (!AskPosition(ask_possigno, ops::SignPosition(SettingsFloatFormat()), LayoutField::kSign,
                   possigno)) {
    return false;
  }
  // The exponent system, and the excess when it is excess Z.
  const auto ask_type_exp = [rep] {
    out::PrintErr(
        rep ? "\nIntroduzca el sistema de representación de exponente \n0  Signo "
              "Magnitud \n1 Complemento a 1 \n2 Complemento a 2 \n3 Exceso Z \n "
            : "\n Introduzca el sistema de representación de exponente \n0  Signo "
              "Magnitud \n 1 Complemento a 1 \n 2 Complemento a 2\t\t\t  \n 3 Exceso Z \n ");
  };
  if (!AskCode(ask_type_exp, LayoutField::kExponentSystem, TypeExp)) return false;
  if (TypeExp == 3) {
    const std::optional<int> excess = AskInt([] { out::PrintErr("\n Intoduzca el exceso "); });
    if (!excess) return false;
    zEZ = *excess;
  }
  // The mantissa system.
  const auto ask_type_man = [rep] {
    out::PrintErr(rep ? "\nIntroduzca el sistema de representación del mantisa \n0  Signo "
                        "Magnitud \n1 Complemento a 1 \n2 Complemento a 2\n  "
                      : "\nIntroduzca el sistema de representación del mantisa \n0  Signo "
                        "Magnitud \n 1 Complemento a 1 \n 2 Complemento a 2\n  ");
  };
  if (!AskCode(ask_type_man, LayoutField::kMantissaSystem, TypeMan)) return false;
  // The normalisation, and the implicit bit that follows from it.
  const auto ask_norma = [] {
    out::PrintErr(
        "\n \n Introduzca la normalizacion: \n 0 Mantisa fracionaria sin bit implicito 0'M \n 1 "
        "Mantisa fracionaria con bit implicito entero 1'M \n 2 Mantisa fracionaria con bit "
        "implicito fraccionario \n");
  };
  if (!AskCode(ask_norma, LayoutField::kNorm, typenorma)) return false;
  bi = typenorma > 0 ? 1 : 0;
  // The representation form shows the layout.
  if (rep) ops::PrintLayoutSummary(SettingsFloatFormat(), PrintedTrace());
  return true;
}

}  // namespace repbin::dialogue
