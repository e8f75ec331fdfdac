#include "dialogue/questions.h"

#include <cmath>

#include "output/output.h"
#include "output/platform.h"

namespace repbin::dialogue {

std::optional<int> ParseInt(const Word& word) {
  const std::string_view text(word.text, word.length <= in::kWordCapacity ? word.length : 0);
  if (const std::optional<int> value = in::ParseWhole<int>(text)) return value;
  out::PrintErr("\n Escriba un número entero, entre -2147483648 y 2147483647.\n");
  return std::nullopt;
}

std::optional<int> ParseMenuChoice(const Word& word, int low, int high) {
  const std::string_view text(word.text, word.length <= in::kWordCapacity ? word.length : 0);
  if (const std::optional<int> value = in::ParseWhole<int>(text)) return value;
  out::PrintErr(high == low + 1 ? "\n Elija una opción del menú: %i o %i.\n"
                                : "\n Elija una opción del menú: un número de %i a %i.\n",
                low, high);
  return std::nullopt;
}

std::optional<float> ParseFloat(const Word& word) {
  char* end = nullptr;
  const float value = out::StrToF(word.text, &end);
  if (word.length > in::kWordCapacity || end != word.text + word.length) {
    out::PrintErr("\n Escriba un número real, con punto decimal (por ejemplo 5.375).\n");
    return std::nullopt;
  }
  // inf, nan and values beyond the single-precision range have no floating-point encoding to
  // show; a value too small for it reads as the nearest one, as formatted input does.
  if (!std::isfinite(value)) {
    out::PrintErr(
        "\n El valor debe ser un número finito de simple precisión (hasta 3.40282e+38 en valor "
        "absoluto).\n");
    return std::nullopt;
  }
  return value;
}

bool FitsCapacity(const Word& word, std::size_t capacity) {
  if (word.length < capacity) return true;
  out::PrintErr("\n El texto tiene más de %zu caracteres; escríbalo más corto.\n", capacity - 1);
  return false;
}

bool HasNoNul(const Word& word) {
  if (std::string_view(word.text, word.length).find('\0') == std::string_view::npos) return true;
  out::PrintErr("\n El texto contiene un carácter nulo; escríbalo sin él.\n");
  return false;
}

}  // namespace repbin::dialogue
