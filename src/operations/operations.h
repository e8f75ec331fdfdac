// The operations: one function per conversion, taking its parameters and printing, through the
// output layer, exactly what the dialogue prints on standard output for it (and on standard error
// where the dialogue does). The dialogue asks its questions and then calls these; the one-shot
// commands, their JSON output and the exercise sheets call the same functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "real/format.h"

namespace repbin::ops {

enum class System { kNatural, kOnes, kTwos, kExcess, kSignMagnitude, kFloat };

// The system a command-line name stands for: natural, c1, c2, exceso, sm, flotante, or the long
// Spanish names binario-natural, complemento-a-uno, complemento-a-dos, exceso-z, signo-magnitud,
// coma-flotante.
std::optional<System> FindSystem(std::string_view name);
// The short command-line name of a system ("c2").
const char* SystemName(System system);

// What the operations add to the dialogue's lines: the extended report (integer_report.h for the
// integers, real/report.h for floating point).
struct Options {
  bool ampliado = false;
  // In a named IEEE format (ieee32, ieee16, ieee64, bfloat16), the exponent fields IEEE 754
  // reserves hold no value: all '1' (infinities and NaN), and all '0' for a non-zero value (the
  // subnormals). The dialogue reads every field as a value.
  bool reserved_fields = false;
};

// --- Integers -------------------------------------------------------------------------------

// The heading a representation item prints before it asks the value ("Complemento a dos con 8
// bits"); natural binary has none. Uses `nb` and `zEZ`.
void PrintIntegerHeading(System system);

struct IntegerRepresentation {
  std::string cadena;
  bool en_rango;
};
// Writes `value` in `system` with `width` bits (and excess `excess`), which become the current
// width and excess: the echo, the conversion trace, "Fuera de Rango" when it does not fit, the
// result line, the extended report when asked for, and the separator.
IntegerRepresentation RepresentInteger(System system, std::int32_t value, int width, int excess,
                                       const Options& options = {});

struct IntegerInterpretation {
  std::string valor;  // the exact value, in decimal
};
// Reads `bits` (its length is the width, 1 to 64) in `system`: the echo, the decoder's trace, the
// result line and the extended report when asked for.
IntegerInterpretation InterpretInteger(System system, std::string_view bits, int excess,
                                       const Options& options = {});

// --- Floating point -------------------------------------------------------------------------

struct FloatRepresentation {
  std::string cadena;
  bool exponent_fits;
  // When the exponent needs a field a named format reserves (Options::reserved_fields): what
  // says so, in Spanish ("en ieee16 el exponente 11111 está reservado a infinitos y NaN");
  // exponent_fits is then false.
  std::string reserved;
};
// Writes the fixed-point text `text` (accepted by CheckFixedText, fewer than 64 characters) in
// the current format: the echo, the fixed-point and floating-point traces, the result line, and
// the extended report when asked for.
FloatRepresentation RepresentFixedText(std::string_view text, const Options& options);
// Writes the single-precision `value` in the current format.
FloatRepresentation RepresentFloatValue(float value, const Options& options);

struct FloatInterpretation {
  float valor;
};
// Reads `bits` (nb characters) in the current format: the echo, the traces, the summary line and
// the result line (which, as in the dialogue, ends without a newline, unless the extended report
// follows it).
FloatInterpretation InterpretFloat(std::string_view bits, const Options& options);

}  // namespace repbin::ops
