#include "operations/json.h"

namespace repbin::ops {

nlohmann::ordered_json FormatJson(const FloatFormat& f) {
  using Json = nlohmann::ordered_json;
  Json format;
  format["bits"] = f.bits;
  format["exp"] = f.exp;
  format["pos_exp"] = f.pos_exp;
  format["pos_man"] = f.pos_man;
  format["pos_signo"] = f.pos_signo;
  format["sis_exp"] = FieldSystemName(f.sis_exp);
  format["exceso"] = f.sis_exp == 3 ? Json(f.exceso) : Json(nullptr);
  format["sis_man"] = FieldSystemName(f.sis_man);
  format["norma"] = NormName(f.norma);
  return format;
}

}  // namespace repbin::ops
