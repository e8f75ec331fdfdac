// The representation menu and its integer items: a typed integer written as a bit string of the
// current width. The floating-point item is in float_items.cpp.

#include "codec/codec.h"
#include "dialogue/dialogue.h"
#include "dialogue/questions.h"
#include "operations/layout.h"
#include "operations/operations.h"
#include "output/output.h"
#include "settings/settings.h"

namespace repbin::dialogue {
namespace {

// Every integer item follows the same course: the heading, the value question, the operation.
bool RunIntegerItem(ops::System system, void (*prompt)()) {
  ops::PrintIntegerHeading(SettingsIntegerFormat(system), PrintedTrace());
  const std::optional<int> valor = AskInt(prompt);
  if (!valor) return false;
  ops::RepresentInteger(SettingsIntegerFormat(system), *valor, DialogueOptions(), PrintedTrace());
  return true;
}

void AskValue() {
  out::PrintErr("\n Introduzca el valor a representar ");
}

// Items 2 and 3 ask without the final blank.
void AskValueTight() {
  out::PrintErr("\n Introduzca el valor a representar");
}

}  // namespace

bool RepresentNatural() {
  return RunIntegerItem(ops::System::kNatural, AskValue);
}

bool RepresentOnesComplement() {
  return RunIntegerItem(ops::System::kOnes, AskValueTight);
}

bool RepresentTwosComplement() {
  return RunIntegerItem(ops::System::kTwos, AskValueTight);
}

bool RepresentExcess() {
  const std::optional<int> excess = AskInt([] { out::PrintErr("\n Intoduzca el exceso "); });
  if (!excess) return false;
  zEZ = *excess;
  return RunIntegerItem(ops::System::kExcess, AskValue);
}

bool RepresentSignMagnitude() {
  return RunIntegerItem(ops::System::kSignMagnitude, AskValue);
}

bool ChangeWidth() {
  // Any width that fits `buffer`; the integer items work at every such width (beyond 32 bits the
  // extra positions repeat the sign), and the floating-point item says when no layout fits.
  const std::optional<int> width =
      AskInt([] { out::PrintErr("Numero total de bits que tiene el sistema de represntación "); },
             [](int v) {
               if (v >= 1 && v <= kMaxWidth) return true;
               out::PrintErr("\n El número de bits debe estar entre 1 y %i.\n", kMaxWidth);
               return false;
             });
  if (!width) return false;
  nb = *width;
  return true;
}

bool RepresentationMenu() {
  std::optional<int> valor;
  do {
    ops::PrintSeparator(PrintedTrace());
    out::Print(" Representación \n");
    valor = AskMenu(
        [] {
          PrintSystemItems();
          out::PrintErr("6) Cambiar el número total de la representación (Actual) %i\n ", nb);
          out::PrintErr("7) Signo-Magnitud \n");
        },
        0, 7);
    if (!valor) return false;
  } while (*valor < 0 || *valor > 7);

  switch (*valor) {
    case 1: return RepresentNatural();
    case 2: return RepresentOnesComplement();
    case 3: return RepresentTwosComplement();
    case 4: return RepresentExcess();
    case 5: return RepresentFloat();
    case 6: return ChangeWidth();
    case 7: return RepresentSignMagnitude();
    default:  // 0: back to the main menu
      out::Print("\n");
      ops::PrintSeparator(PrintedTrace());
      return true;
  }
}

}  // namespace repbin::dialogue
