// The rules of a floating-point layout and the messages that say what is possible, shared by the
// dialogue's questions (one field at a time) and by the one-shot commands and exercise sheets (a
// whole layout at once); the layout summary; the separator line. The rules work on the current
// settings (`nb`, `nbexp`, `posexp`, `posmantisa`), each on the fields placed before it.
#pragma once

#include <cstddef>
#include <cstdio>

#include "real/format.h"

namespace repbin::ops {

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
// `taken_width` characters at `taken`.
Choices StartsBeside(int taken, int taken_width, int width);
// Where the exponent can start so that the mantissa still has a run of its width beside it.
Choices ExponentStarts();
// The one position the exponent and the mantissa leave free.
Choices SignPosition();

// The names the messages give the fields.
inline constexpr const char* kExponentStart = "el comienzo del exponente";
inline constexpr const char* kMantissaStart = "el comienzo de la mantisa";
inline constexpr const char* kSign = "el signo";

// Each check says on standard error what is possible when it refuses.
bool PositionAllowed(const Choices& choices, const char* field, int v);
bool CodeAllowed(int v, int highest, const char* what);
// At least one exponent bit, and room for the sign and one mantissa bit, in `nb` bits.
bool ExponentWidthAllowed(int v);

// Checks a whole layout by the rules and with the messages of the questions (at its width, which
// must be 3 to 64), and makes it the current format when it passes.
bool CheckFloatFormat(const FloatFormat& format);

// The layout of the current format, as the representation form shows it.
void PrintLayoutSummary();

// The separator line: 58 '=' and a newline, on standard output.
void PrintSeparator();

}  // namespace repbin::ops
