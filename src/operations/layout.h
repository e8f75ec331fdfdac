// The rules of a floating-point layout and the messages that say what is possible, shared by the
// dialogue's questions (one field at a time) and by the one-shot commands and exercise sheets (a
// whole layout at once); the layout summary; the separator line. The rules work on the current
// settings (`nb`, `nbexp`, `posexp`, `posmantisa`), each on the fields placed before it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

#include "output/trace.h"
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

// Where a field of `width` characters can start in `nb` characters, among the positions left
// free by a field of `taken_width` characters at `taken`.
Choices StartsBeside(int nb, int taken, int taken_width, int width);
// Where the exponent (f.nbexp wide) can start so that the mantissa still has a run of its width
// beside it.
Choices ExponentStarts(const FloatFormat& f);
// The one position the exponent and the mantissa of `f` leave free.
Choices SignPosition(const FloatFormat& f);

// The values of a layout, in the order the questions ask them.
enum class LayoutField {
  kExponentWidth,
  kExponentStart,
  kMantissaStart,
  kSign,
  kExponentSystem,
  kMantissaSystem,
  kNorm,
};

// A refused value: which field, and what it accepts (the positions, or 0 to `highest`).
struct LayoutFault {
  LayoutField field;
  Choices positions;  // the start and sign fields
  int highest = 0;    // the width and the codes: from 1 (width) or 0 (codes) to this
  int nb = 0;         // the total width, which the width's rule depends on
};

// Each check returns the fault when `v` is refused, on the fields placed before it.
std::optional<LayoutFault> CheckPosition(LayoutField field, const Choices& choices, int v);
std::optional<LayoutFault> CheckCode(LayoutField field, int v);
// At least one exponent bit, and room for the sign and one mantissa bit, in `nb` bits.
std::optional<LayoutFault> CheckExponentWidth(int nb, int v);

// Checks a whole layout (at its width, which must be 3 to 64) by the rules and in the order of
// the questions; the first refused value, if any.
std::optional<LayoutFault> CheckFloatFormat(const FloatFormat& format);

// What a fault says, as one Spanish sentence: "Con este formato, el signo solo puede estar en la
// posición 0.", "Elija un sistema entre 0 y 3.".
std::string LayoutFaultText(const LayoutFault& fault);

// The layout of `f`, as the representation form shows it.
void PrintLayoutSummary(const FloatFormat& f, Trace& trace);

// The separator line: 58 '=' and a newline, on standard output.
void PrintSeparator(Trace& trace);

}  // namespace repbin::ops
