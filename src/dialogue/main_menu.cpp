#include "dialogue/dialogue.h"
#include "dialogue/questions.h"
#include "output/output.h"

namespace repbin::dialogue {

namespace {

ops::Options dialogue_options;

}  // namespace

void SetDialogueOptions(const ops::Options& options) {
  dialogue_options = options;
}

const ops::Options& DialogueOptions() {
  return dialogue_options;
}

void PrintSystemItems() {
  out::PrintErr("0) Menu Anterior \n");
  out::PrintErr("1) Binario Natural \n");
  out::PrintErr("2) Complemento a uno \n");
  out::PrintErr("3) Complemento a dos \n");
  out::PrintErr("4) Exceso Z \n");
  out::PrintErr("5) Coma flotante \n");
}

void MainMenu() {
  for (;;) {
    const std::optional<int> valor = AskMenu(
        [] {
          out::PrintErr("\n0) Salir \n");
          out::PrintErr("1) Representación\n");
          out::PrintErr("2) Interpretación\n ");
        },
        0, 2);
    if (!valor || *valor == 0) return;
    bool going_on = true;
    if (*valor == 1) going_on = RepresentationMenu();
    if (*valor == 2) going_on = InterpretationMenu();
    // Any other number shows the menu again, without a message.
    if (!going_on) return;
  }
}

}  // namespace repbin::dialogue
