// Test helpers: exercises written by hand, with the key a test states, for the answer checks.
#pragma once

#include "exercises/exercise_sheet.h"

namespace repbin::test {

inline exercises::Exercise Integer(exercises::Operation op, ops::System system, const char* dato,
                                   int bits, const char* key, int exceso = 0) {
  exercises::Exercise e;
  e.kind = {op, system};
  e.bits = bits;
  e.exceso = exceso;
  e.dato = dato;
  e.respuesta = key;
  if (op == exercises::Operation::kRepresent) e.en_rango = e.respuesta != "Fuera de Rango";
  return e;
}

inline exercises::Exercise Float(exercises::Operation op, const FloatFormat& format,
                                 const char* dato, const char* key) {
  exercises::Exercise e;
  e.kind = {op, ops::System::kFloat};
  e.formato = format;
  e.bits = format.nb;
  e.dato = dato;
  e.respuesta = key;
  if (op == exercises::Operation::kRepresent) e.en_rango = true;
  return e;
}

}  // namespace repbin::test
