// The floating-point items of both menus.

#include <cctype>
#include <string>
#include <string_view>

#include "dialogue/dialogue.h"
#include "dialogue/questions.h"
#include "operations/operations.h"
#include "output/output.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin::dialogue {
namespace {

// Refuses fixed-point text that is not a decimal number or that the conversion cannot honour,
// saying what is possible.
bool IsConvertibleFixedText(std::string_view text) {
  char copy[sizeof decimal];
  text.copy(copy, text.size());
  copy[text.size()] = '\0';
  const FixedTextFault fault = CheckFixedText(copy);
  if (fault == FixedTextFault::kNone) return true;
  std::string message =
      FixedTextMessage(fault, copy, "la respuesta 1, Coma flotante, de la introducción de datos");
  message[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(message[0])));
  out::PrintErr("\n ");
  out::PrintErrText(message.c_str());
  out::PrintErr("\n");
  return false;
}

// Data entry 0: decimal fixed-point text.
bool RepresentFixedText() {
  if (!AskWord([] { out::PrintErr("\nIntroduzca el valor a representar en coma fija "); }, decimal,
               sizeof decimal, IsConvertibleFixedText)) {
    return false;
  }
  ops::RepresentFixedText(SettingsFloatFormat(), decimal, DialogueOptions(), PrintedTrace());
  return true;
}

// Data entry 1: a single-precision value.
bool RepresentFloatValue() {
  const std::optional<float> numreal =
      AskFloat([] { out::PrintErr("\n Introduzca el valor a representar"); });
  if (!numreal) return false;
  ops::RepresentFloatValue(SettingsFloatFormat(), *numreal, DialogueOptions(), PrintedTrace());
  return true;
}

}  // namespace

bool RepresentFloat() {
  // The width comes from item 6 and may be too small for any layout.
  if (nb < 3) {
    out::PrintErr(
        "\n Con %i bits no cabe un formato de coma flotante: hacen falta al menos 3 (signo, "
        "exponente y mantisa). Cambie el número de bits con la opción 6.\n",
        nb);
    return true;
  }
  if (!AskFloatFormat(Form::kRepresentation)) return false;
  const std::optional<int> valor = AskMenu(
      [] { out::PrintErr("\n Introducción de datos :\n 0 Coma fija \n 1 Coma flotante \n"); }, 0,
      1);
  if (!valor) return false;
  if (*valor == 0) return RepresentFixedText();
  if (*valor == 1) return RepresentFloatValue();
  return true;  // any other answer ends the item
}

bool InterpretFloat() {
  if (!AskFloatFormat(Form::kInterpretation)) return false;
  if (!AskWord([] { out::PrintErr("\n Introducción de la cadena a interpretar "); }, buffer,
               sizeof buffer, HasWidthLength)) {
    return false;
  }
  ops::InterpretFloat(SettingsFloatFormat(), buffer, DialogueOptions(), PrintedTrace());
  return true;
}

}  // namespace repbin::dialogue
