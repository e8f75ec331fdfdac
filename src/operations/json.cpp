#include "operations/json.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

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

namespace {

using Json = nlohmann::ordered_json;

// "exceso 127", or the system's name.
std::string FieldSystemLabel(System system, int excess) {
  std::string label = SystemPhrase(system);
  if (system == System::kExcess) label += " " + std::to_string(excess);
  return label;
}

std::string BitCount(int n) {
  return std::to_string(n) + (n == 1 ? " bit" : " bits");
}

bool SignedBySystem(System system) {
  return system == System::kSignMagnitude || system == System::kOnes || system == System::kTwos;
}

// A field of `n` bits from `from`: its name, where it is and what each bit weighs (from the
// left), with its legend.
Json Field(const char* field, const char* name, int from, int n, std::string legend,
           std::vector<std::string> weights) {
  Json object;
  object["campo"] = field;
  object["nombre"] = name;
  object["desde"] = from;
  object["n"] = n;
  object["leyenda"] = std::move(legend);
  object["pesos"] = std::move(weights);
  return object;
}

// Weights "peso 2^k" from 2^(n-1) down, the first bit called `first` when it is a sign.
std::vector<std::string> IntegerWeights(int n, const char* first) {
  std::vector<std::string> weights;
  for (int i = 0; i < n; ++i) {
    weights.push_back(i == 0 && first != nullptr ? first : "peso 2^" + std::to_string(n - 1 - i));
  }
  return weights;
}

}  // namespace

Json LayoutJson(const FloatFormat& f) {
  const System exp_system = FieldSystem(f.TypeExp);
  const System man_system = FieldSystem(f.TypeMan);
  const std::string exp_label = FieldSystemLabel(exp_system, f.zEZ);
  const std::string man_label = SystemPhrase(man_system);
  const int nbman = f.NbMan();
  std::vector<std::string> mantissa_weights;
  for (int i = 0; i < nbman; ++i) {
    mantissa_weights.push_back("peso 2^-" + std::to_string(i + (f.typenorma == 2 ? 2 : 1)));
  }
  Json fields = Json::array();
  fields.push_back(Field("signo", "signo", f.possigno, 1,
                         "Signo: " + BitCount(1) + " (0 positivo, 1 negativo)", {"signo"}));
  fields.push_back(
      Field("exponente", "exponente", f.posexp, f.nbexp,
            "Exponente: " + BitCount(f.nbexp) + ", " + exp_label,
            IntegerWeights(f.nbexp, SignedBySystem(exp_system) ? "signo del exponente" : nullptr)));
  Json mantissa = Field("mantisa", "mantisa", f.posmantisa, nbman,
                        "Mantisa: " + BitCount(nbman) + ", " + man_label + ", " +
                            NormForm(f.typenorma) + ", " + NormMeaning(f.typenorma),
                        std::move(mantissa_weights));
  mantissa["implicito"] =
      f.typenorma == 0
          ? Json(nullptr)
          : Json(std::string("bit implícito, peso 2^") + (f.typenorma == 2 ? "-1" : "0"));
  fields.push_back(std::move(mantissa));
  std::sort(fields.begin(), fields.end(),
            [](const Json& a, const Json& b) { return a["desde"] < b["desde"]; });

  Json layout;
  layout["sistema"] = "flotante";
  layout["bits"] = f.nb;
  layout["formato"] = FormatJson(f);
  layout["nombres"] = {{"sis_exp", SystemPhrase(exp_system)},
                       {"sis_man", man_label},
                       {"norma", NormForm(f.typenorma)}};
  layout["resumen"] = std::to_string(f.nb) + " bits; signo en " + std::to_string(f.possigno) +
                      ", exponente de " + std::to_string(f.nbexp) + " en " +
                      std::to_string(f.posexp) + " (" + exp_label + "), mantisa de " +
                      std::to_string(nbman) + " en " + std::to_string(f.posmantisa) + " (" +
                      man_label + ", " + NormForm(f.typenorma) + ")";
  layout["campos"] = std::move(fields);
  return layout;
}

Json LayoutJson(const IntegerFormat& format) {
  std::string name = FieldSystemLabel(format.system, format.zEZ);
  name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  const bool sign = SignedBySystem(format.system);
  Json layout;
  layout["sistema"] = SystemName(format.system);
  layout["bits"] = format.nb;
  layout["exceso"] = format.system == System::kExcess ? Json(format.zEZ) : Json(nullptr);
  layout["resumen"] = name + ": " + BitCount(format.nb);
  layout["campos"] = Json::array(
      {Field("entero", "número", 0, format.nb,
             name + ": " + BitCount(format.nb) + (sign ? "; el primero es el signo" : ""),
             IntegerWeights(format.nb, sign ? "signo" : nullptr))});
  return layout;
}

}  // namespace repbin::ops
