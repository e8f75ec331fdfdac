// The representation menu and its integer items: a typed integer written as a bit string of the
// current width. The floating-point item is in float_items.cpp.

#include <cstdint>

#include "codec/codec.h"
#include "console/dialogue.h"
#include "console/input.h"
#include "output/output.h"
#include "settings/settings.h"

namespace repbin::console {
namespace {

// What distinguishes one integer item from another; every item follows the same course.
struct IntegerItem {
  void (*heading)();                  // item heading on standard output, or nullptr
  void (*prompt)();                   // the value question
  int (*encode)(std::int32_t valor);  // the encoder on `buffer` and `nb`
  bool out_of_range_to_err;           // where "Fuera de Rango" goes
  const char* result;                 // result line, with %s for `buffer`
};

bool RunIntegerItem(const IntegerItem& item) {
  if (item.heading != nullptr) item.heading();
  const std::optional<int> valor = AskInt(item.prompt);
  if (!valor) return false;
  out::Print("Valor a representar %i \n", *valor);
  const int error = item.encode(*valor);
  if (error == 0) {
    if (item.out_of_range_to_err) {
      out::PrintErr("\n Fuera de Rango\n");
    } else {
      out::Print("\n Fuera de Rango\n");
    }
  }
  out::Print(item.result, buffer);
  PrintSeparator();
  return true;
}

constexpr const char* kResultColon = "\n El dato representado es: %s \n";
constexpr const char* kResultPlain = "\n El dato representado es %s \n";

}  // namespace

bool RepresentNatural() {
  return RunIntegerItem({
      .heading = nullptr,
      .prompt = [] { out::PrintErr("\n Introduzca el valor a representar "); },
      .encode = [](std::int32_t v) { return DecBN(v, buffer, nb); },
      .out_of_range_to_err = false,
      .result = kResultColon,
  });
}

bool RepresentOnesComplement() {
  return RunIntegerItem({
      .heading = [] { out::Print("Complemento a uno con %i bits \n", nb); },
      .prompt = [] { out::PrintErr("\n Introduzca el valor a representar"); },
      .encode = [](std::int32_t v) { return C1BN(v, buffer, nb); },
      .out_of_range_to_err = false,
      .result = kResultPlain,
  });
}

bool RepresentTwosComplement() {
  return RunIntegerItem({
      .heading = [] { out::Print("Complemento a dos con %i bits \n", nb); },
      .prompt = [] { out::PrintErr("\n Introduzca el valor a representar"); },
      .encode = [](std::int32_t v) { return C2BN(v, buffer, nb); },
      .out_of_range_to_err = false,
      .result = kResultColon,
  });
}

bool RepresentExcess() {
  const std::optional<int> excess = AskInt([] { out::PrintErr("\n Intoduzca el exceso "); });
  if (!excess) return false;
  zEZ = *excess;
  return RunIntegerItem({
      .heading = [] { out::Print(" Exceso %i con %i bits \n", zEZ, nb); },
      .prompt = [] { out::PrintErr("\n Introduzca el valor a representar "); },
      .encode = [](std::int32_t v) { return EZBN(v, buffer, nb, zEZ); },
      .out_of_range_to_err = false,
      .result = kResultColon,
  });
}

bool RepresentSignMagnitude() {
  return RunIntegerItem({
      .heading = [] { out::Print(" Signo - Magnitud con %i bits \n", nb); },
      .prompt = [] { out::PrintErr("\n Introduzca el valor a representar "); },
      .encode = [](std::int32_t v) { return SMBN(v, buffer, nb); },
      .out_of_range_to_err = true,
      .result = kResultPlain,
  });
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
    PrintSeparator();
    out::Print(" Representación \n");
    valor = AskInt([] {
      PrintSystemItems();
      out::PrintErr("6) Cambiar el número total de la representación (Actual) %i\n ", nb);
      out::PrintErr("7) Signo-Magnitud \n");
    });
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
      PrintSeparator();
      return true;
  }
}

}  // namespace repbin::console
