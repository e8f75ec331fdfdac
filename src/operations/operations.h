// The operations: one function per conversion, taking the format as a value and reporting to the
// trace sink it is given exactly what the dialogue prints for it (on standard output, and on
// standard error where the dialogue does). The dialogue asks its questions and then calls these
// with the printing sink; the one-shot commands, their JSON output, the exercise sheets and
// practice call the same functions, with the sink they need.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codec/system.h"
#include "output/trace.h"
#include "real/format.h"

namespace repbin::ops {

using repbin::FindSystem;
using repbin::System;
using repbin::SystemName;
using repbin::SystemPhrase;

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

// An integer format: the system (never kFloat), the width `nb` (1 to 64) and, for the excess
// system, the excess `zEZ`.
struct IntegerFormat {
  System system;
  int nb;
  int zEZ;
};

// The heading a representation item prints before it asks the value ("Complemento a dos con 8
// bits"); natural binary has none.
void PrintIntegerHeading(const IntegerFormat& format, Trace& trace);

struct IntegerRepresentation {
  std::string cadena;
  bool en_rango;
};
// Writes `value` in `format`: the echo, the conversion trace, "Fuera de Rango" when it does not
// fit, the result line, the extended report when asked for, and the separator.
IntegerRepresentation RepresentInteger(const IntegerFormat& format, std::int32_t value,
                                       const Options& options, Trace& trace);

struct IntegerInterpretation {
  std::string valor;  // the exact value, in decimal
};
// Reads `bits` (1 to 64 characters, its length the width: format.nb is not used) in the system of
// `format`: the echo, the decoder's trace, the result line and the extended report when asked for.
IntegerInterpretation InterpretInteger(const IntegerFormat& format, std::string_view bits,
                                       const Options& options, Trace& trace);

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
// `format` (DescriptorIsValid): the echo, the fixed-point and floating-point traces, the result
// line, and the extended report when asked for.
FloatRepresentation RepresentFixedText(const FloatFormat& format, std::string_view text,
                                       const Options& options, Trace& trace);
// Writes the single-precision `value` in `format`.
FloatRepresentation RepresentFloatValue(const FloatFormat& format, float value,
                                        const Options& options, Trace& trace);

struct FloatInterpretation {
  float valor;
};
// Reads `bits` (format.nb characters) in `format`: the echo, the traces, the summary line and the
// result line (which, as in the dialogue, ends without a newline, unless the extended report
// follows it).
FloatInterpretation InterpretFloat(const FloatFormat& format, std::string_view bits,
                                   const Options& options, Trace& trace);

}  // namespace repbin::ops
