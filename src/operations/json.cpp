#include "operations/json.h"

namespace repbin::ops {

nlohmann::ordered_json FormatJson(const FloatFormat& f) {
  using Json = nlohmann::ordered_json;
  Json format;
  format["bits"] = f.nb;
  format["exp"] = f.nbexp;
  format["pos_exp"] = f.posexp;
  format["pos_man"] = f.posmantisa;
  format["pos_signo"] = f.possigno;
  format["sis_exp"] = FieldSystemName(f.TypeExp);
  format["exceso"] = f.TypeExp == 3 ? Json(f.zEZ) : Json(nullptr);
  format["sis_man"] = FieldSystemName(f.TypeMan);
  format["norma"] = NormName(f.typenorma);
  return format;
}

}  // namespace repbin::ops
