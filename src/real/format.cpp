#include "real/format.h"

#include "codec/system.h"

namespace repbin {

FloatFormat IeeeShaped(int total, int exp) {
  return {total, exp, 1, 1 + exp, 0, 3, (1 << (exp - 1)) - 1, 0, 1};
}

std::optional<FloatFormat> FindPreset(std::string_view name) {
  if (name == "ieee32") return IeeeShaped(32, 8);
  if (name == "ieee16") return IeeeShaped(16, 5);
  if (name == "ieee64") return IeeeShaped(64, 11);
  if (name == "bfloat16") return IeeeShaped(16, 8);
  if (name == "fp8-e5m2") return IeeeShaped(8, 5);
  if (name == "fp8-e4m3") {
    FloatFormat f = IeeeShaped(8, 4);
    f.specials = kOnlyNan;
    return f;
  }
  return std::nullopt;
}

namespace {

bool Inside(const FloatFormat& f, int start, int width) {
  return start >= 0 && width >= 1 && start <= f.nb - width;
}

bool Overlap(int a, int a_width, int b, int b_width) {
  return a < b + b_width && b < a + a_width;
}

}  // namespace

bool DescriptorIsValid(const FloatFormat& f) {
  if (f.nb < 3 || f.nb > 64) return false;
  const int nbman = f.NbMan();
  return Inside(f, f.posexp, f.nbexp) && Inside(f, f.posmantisa, nbman) &&
         Inside(f, f.possigno, 1) && !Overlap(f.posexp, f.nbexp, f.posmantisa, nbman) &&
         !Overlap(f.posexp, f.nbexp, f.possigno, 1) &&
         !Overlap(f.posmantisa, nbman, f.possigno, 1) && f.TypeExp >= 0 && f.TypeExp <= 3 &&
         f.TypeMan >= 0 && f.TypeMan <= 2 && f.typenorma >= 0 && f.typenorma <= 2;
}

namespace {

// The normalisations by code: the option's word, the form the texts write and what it means.
struct Norm {
  const char* name;
  const char* form;
  const char* meaning;
};
constexpr Norm kNorms[] = {{"0M", "0'M", "sin bit implícito"},
                           {"1M", "1'M", "bit implícito entero"},
                           {"01M", "0'1M", "bit implícito fraccionario"}};

}  // namespace

const char* FieldSystemName(int code) {
  return code >= 0 && code <= 3 ? SystemName(FieldSystem(code)) : "";
}

std::optional<int> FindFieldSystem(std::string_view name, bool excess_allowed) {
  for (int code = 0; code <= (excess_allowed ? 3 : 2); ++code) {
    if (name == SystemName(FieldSystem(code))) return code;
  }
  return std::nullopt;
}

const char* NormName(int code) {
  return code >= 0 && code <= 2 ? kNorms[code].name : "";
}

const char* NormForm(int code) {
  return code >= 0 && code <= 2 ? kNorms[code].form : "";
}

const char* NormMeaning(int code) {
  return code >= 0 && code <= 2 ? kNorms[code].meaning : "";
}

std::string NormPhrase(int code) {
  return std::string(NormForm(code)) + " (" + NormMeaning(code) + ")";
}

std::optional<int> FindNorm(std::string_view name) {
  for (int code = 0; code <= 2; ++code) {
    if (name == kNorms[code].name) return code;
  }
  return std::nullopt;
}

}  // namespace repbin
