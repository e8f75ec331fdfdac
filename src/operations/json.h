// The JSON forms that every door's JSON output shares.
#pragma once

#include <nlohmann/json.hpp>

#include "operations/operations.h"
#include "real/format.h"

namespace repbin::ops {

// A floating-point format as the JSON objects carry it: bits, exp, pos_exp, pos_man, pos_signo,
// sis_exp, exceso (null unless the exponent is in excess), sis_man, norma.
nlohmann::ordered_json FormatJson(const FloatFormat& format);

// A layout described for a page that draws it: `sistema`, `bits`, a one-line `resumen` and the
// `campos` in string order, each with `campo` (signo, exponente, mantisa, entero), its Spanish
// `nombre`, `desde`, `n`, a `leyenda` and the role or weight of each bit in `pesos` (from the
// left); the mantissa also says its implicit bit (`implicito`, null without one). A
// floating-point layout adds the option values (`formato`) and the Spanish names of its systems
// and normalisation (`nombres`); an integer one its `exceso` (null outside excess).
nlohmann::ordered_json LayoutJson(const FloatFormat& format);
nlohmann::ordered_json LayoutJson(const IntegerFormat& format);

}  // namespace repbin::ops
