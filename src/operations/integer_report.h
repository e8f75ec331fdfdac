// The extended integer report: what a course asks of an integer result beyond the program's own
// trace. The range of the system at the width (with its two zeros where it has two, and how far
// outside a value that does not fit falls), the pattern in hexadecimal and octal grouped by
// digits, the method students follow by hand as a short second trace, and the same pattern read
// in all five integer systems.
//
// Every value is exact at every width up to 64 bits; values travel as decimal text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "operations/operations.h"
#include "output/trace.h"

namespace repbin::ops {

// Where a value stands against the range.
enum class Fit { kInside, kBelow, kAbove };

// One reading of the pattern: the system (never kFloat) and the value in decimal.
struct IntegerReading {
  System system;
  std::string value;
};

struct IntegerReport {
  System system = System::kNatural;
  int width = 0;
  std::int64_t excess = 0;  // the Z of the excess reading: the system's own in excess, else
                            // 2^(n-1) - 1
  std::string bits;         // the pattern reported on (what the encoder wrote, or what was read)
  // The range, in decimal, and the two patterns of zero of sign-magnitude and one's complement
  // (+0 first; empty in the other systems).
  std::string min;
  std::string max;
  std::vector<std::string> zeros;
  // For a representation: the value written, where it stands, and how far beyond the nearer end
  // of the range it falls (empty when inside).
  std::string value;
  Fit fit = Fit::kInside;
  std::string distance;
  // The pattern grouped from the right ("1101 1011", "11 011 011") and its digits ("DB", "333").
  std::string hex_groups;
  std::string hex;
  std::string octal_groups;
  std::string octal;
  // The hand method, one line each (UTF-8). A representation's last line ends with the pattern,
  // an interpretation's with the value read. Empty for a value that does not fit.
  std::vector<std::string> method;
  // The pattern read in natural, sign-magnitude, one's complement, two's complement and excess.
  std::vector<IntegerReading> readings;
};

// The report on writing `value` in `system` (not kFloat) with excess `excess` (used by the
// excess system only); `bits` is the
// pattern the encoder wrote, whose length is the width (1 to 64). The method computes its own
// pattern from the value. Prints nothing.
IntegerReport ReportIntegerRepresentation(System system, std::int64_t value, std::string_view bits,
                                          std::int64_t excess);

// The report on reading `bits` (1 to 64 characters '0' and '1') in `system` (not kFloat) with
// excess `excess`. Prints nothing.
IntegerReport ReportIntegerInterpretation(System system, std::string_view bits,
                                          std::int64_t excess);

// The report's lines, in Spanish, reported to `trace`.
void PrintIntegerReport(const IntegerReport& report, Trace& trace);

}  // namespace repbin::ops
