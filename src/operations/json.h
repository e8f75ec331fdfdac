// The JSON forms that every door's JSON output shares.
#pragma once

#include <nlohmann/json.hpp>

#include "real/format.h"

namespace repbin::ops {

// A floating-point format as the JSON objects carry it: bits, exp, pos_exp, pos_man, pos_signo,
// sis_exp, exceso (null unless the exponent is in excess), sis_man, norma.
nlohmann::ordered_json FormatJson(const FloatFormat& format);

}  // namespace repbin::ops
