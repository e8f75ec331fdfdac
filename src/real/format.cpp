#include "real/format.h"

#include "real/real.h"
#include "settings/settings.h"

namespace repbin {

FloatFormat IeeeShaped(int total, int exp) {
  return {total, exp, 1, 1 + exp, 0, 3, (1 << (exp - 1)) - 1, 0, 1};
}

std::optional<FloatFormat> FindPreset(std::string_view name) {
  if (name == "ieee32") return IeeeShaped(32, 8);
  if (name == "ieee16") return IeeeShaped(16, 5);
  if (name == "ieee64") return IeeeShaped(64, 11);
  if (name == "bfloat16") return IeeeShaped(16, 8);
  return std::nullopt;
}

namespace {

constexpr const char* kFieldSystems[] = {"sm", "c1", "c2", "exceso"};
constexpr const char* kNorms[] = {"0M", "1M", "01M"};

}  // namespace

const char* FieldSystemName(int code) {
  return code >= 0 && code <= 3 ? kFieldSystems[code] : "";
}

std::optional<int> FindFieldSystem(std::string_view name, bool excess_allowed) {
  for (int code = 0; code <= (excess_allowed ? 3 : 2); ++code) {
    if (name == kFieldSystems[code]) return code;
  }
  return std::nullopt;
}

const char* NormName(int code) {
  return code >= 0 && code <= 2 ? kNorms[code] : "";
}

std::optional<int> FindNorm(std::string_view name) {
  for (int code = 0; code <= 2; ++code) {
    if (name == kNorms[code]) return code;
  }
  return std::nullopt;
}

void ApplyFormat(const FloatFormat& f) {
  nb = f.bits;
  nbexp = f.exp;
  posexp = f.pos_exp;
  posmantisa = f.pos_man;
  possigno = f.pos_signo;
  TypeExp = f.sis_exp;
  if (f.sis_exp == 3) zEZ = f.exceso;
  TypeMan = f.sis_man;
  typenorma = f.norma;
  bi = f.norma > 0 ? 1 : 0;
}

FloatFormat CurrentFormat() {
  return {nb, nbexp, posexp, posmantisa, possigno, TypeExp, zEZ, TypeMan, typenorma};
}

}  // namespace repbin
