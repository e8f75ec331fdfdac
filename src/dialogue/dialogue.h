// The dialogue: one function per menu and per item. Each returns false when the input
// has ended (the session then ends with status 0) and true when the dialogue goes on.
#pragma once

#include <string_view>

#include "operations/operations.h"
#include "real/format.h"

namespace repbin::dialogue {

// What the dialogue's operations add to their lines (the extended report), set before a session.
void SetDialogueOptions(const ops::Options& options);
const ops::Options& DialogueOptions();

// Runs the main menu until the user chooses "0) Salir" or the input ends.
void MainMenu();

[[nodiscard]] bool RepresentationMenu();
[[nodiscard]] bool InterpretationMenu();

// Representation menu items.
[[nodiscard]] bool RepresentNatural();         // 1
[[nodiscard]] bool RepresentOnesComplement();  // 2
[[nodiscard]] bool RepresentTwosComplement();  // 3
[[nodiscard]] bool RepresentExcess();          // 4
[[nodiscard]] bool RepresentFloat();           // 5
[[nodiscard]] bool ChangeWidth();              // 6
[[nodiscard]] bool RepresentSignMagnitude();   // 7

// Interpretation menu items; the menu has asked the width already.
[[nodiscard]] bool InterpretNatural();         // 1
[[nodiscard]] bool InterpretOnesComplement();  // 2
[[nodiscard]] bool InterpretTwosComplement();  // 3
[[nodiscard]] bool InterpretExcess();          // 4
[[nodiscard]] bool InterpretFloat();           // 5
[[nodiscard]] bool InterpretSignMagnitude();   // 6

// The floating-format dialogue. The representation form ends with the layout summary.
enum class Form { kRepresentation, kInterpretation };
[[nodiscard]] bool AskFloatFormat(Form form);

// Whether a typed bit string has exactly `nb` characters; says what is expected when not.
bool HasWidthLength(std::string_view text);

// The items 0 to 5 that both working menus share, on standard error.
void PrintSystemItems();

}  // namespace repbin::dialogue
