// The interpretation menu and its integer items: a typed bit string read back as an integer.
// The floating-point item is in float_items.cpp.

#include <string_view>

#include "codec/codec.h"
#include "dialogue/dialogue.h"
#include "dialogue/questions.h"
#include "operations/layout.h"
#include "operations/operations.h"
#include "output/output.h"
#include "settings/settings.h"

namespace repbin::dialogue {

// Refuses a typed bit string whose length is not the width: the decoders read exactly `nb`
// characters, so a shorter one would make them read past its end.
bool HasWidthLength(std::string_view text) {
  if (text.size() == static_cast<std::size_t>(nb)) return true;
  out::PrintErr("\n La cadena debe tener exactamente %i caracteres (tiene %zu).\n", nb,
                text.size());
  return false;
}

namespace {

bool RunIntegerItem(ops::System system, void (*prompt)()) {
  if (!AskWord(prompt, buffer, sizeof buffer, HasWidthLength)) return false;
  ops::InterpretInteger(SettingsIntegerFormat(system), buffer, DialogueOptions(), PrintedTrace());
  return true;
}

void AskString() {
  out::PrintErr("\n Introduzca la cadena a interpretar");
}

}  // namespace

bool InterpretNatural() {
  // Only this item's question ends with a blank.
  return RunIntegerItem(ops::System::kNatural,
                        [] { out::PrintErr("\n Introduzca la cadena a interpretar "); });
}

bool InterpretOnesComplement() {
  return RunIntegerItem(ops::System::kOnes, AskString);
}

bool InterpretTwosComplement() {
  return RunIntegerItem(ops::System::kTwos, AskString);
}

bool InterpretExcess() {
  const std::optional<int> excess = AskInt([] { out::PrintErr("\n Intoduzca el exceso "); });
  if (!excess) return false;
  zEZ = *excess;
  return RunIntegerItem(ops::System::kExcess, AskString);
}

bool InterpretSignMagnitude() {
  return RunIntegerItem(ops::System::kSignMagnitude, AskString);
}

namespace {

// The widths each item can honour, the ones the representation menu writes: the integers are read
// exactly at any width that fits `buffer` (sign-magnitude needs a sign and at least one magnitude
// bit); a floating-point format needs a sign, an exponent and a mantissa bit.
struct WidthRange {
  int low;
  int high;
};

WidthRange WidthsFor(int item) {
  switch (item) {
    case 5: return {3, kMaxWidth};
    case 6: return {2, kMaxWidth};
    default: return {1, kMaxWidth};
  }
}

bool AskWidth(int item) {
  const WidthRange allowed = WidthsFor(item);
  const std::optional<int> width =
      AskInt([] { out::PrintErr("Numero total de bits que tiene el sistema de represntación "); },
             [allowed](int v) {
               if (v >= allowed.low && v <= allowed.high) return true;
               out::PrintErr("\n Para este sistema el número de bits debe estar entre %i y %i.\n",
                             allowed.low, allowed.high);
               return false;
             });
  if (!width) return false;
  nb = *width;
  return true;
}

}  // namespace

bool InterpretationMenu() {
  out::Print("\n");
  ops::PrintSeparator(PrintedTrace());
  std::optional<int> valor;
  do {
    valor = AskMenu(
        [] {
          PrintSystemItems();
          out::PrintErr("6) Signo Magnitud \n ");
        },
        0, 6);
    if (!valor) return false;
  } while (*valor < 0 || *valor > 6);
  if (*valor == 0) return true;

  if (!AskWidth(*valor)) return false;
  switch (*valor) {
    case 1: return InterpretNatural();
    case 2: return InterpretOnesComplement();
    case 3: return InterpretTwosComplement();
    case 4: return InterpretExcess();
    case 5: return InterpretFloat();
    default: return InterpretSignMagnitude();
  }
}

}  // namespace repbin::dialogue
