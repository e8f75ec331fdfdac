#include "operations/layout_options.h"

#include <algorithm>
#include <cstdint>

#include "codec/codec.h"
#include "output/input.h"
#include "real/format.h"

namespace repbin::ops {

bool IsLayoutOption(std::string_view name) {
  static constexpr std::string_view kNames[] = {"-f",        "--formato", "--exp",
                                                "--pos-exp", "--pos-man", "--pos-signo",
                                                "--sis-exp", "--sis-man", "--norma"};
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

std::optional<std::string> ApplyLayoutOption(LayoutOptions& o, std::string_view name,
                                             std::string_view value) {
  const auto whole = [&](int low, int high, const char* what,
                         std::optional<int>& dest) -> std::optional<std::string> {
    const std::optional<int> v = in::ParseWhole<int>(value);
    if (!v || *v < low || *v > high) {
      return std::string(what) + " entre " + std::to_string(low) + " y " + std::to_string(high);
    }
    dest = *v;
    return std::nullopt;
  };
  if (name == "-f" || name == "--formato") {
    if (!FindPreset(value)) return "ieee32, ieee16, ieee64 o bfloat16";
    o = LayoutOptions{};
    o.preset = std::string(value);
    return std::nullopt;
  }
  if (name == "--exp") return whole(1, kMaxWidth, "un número de bits", o.exp);
  if (name == "--pos-exp") return whole(0, kMaxWidth - 1, "una posición", o.pos_exp);
  if (name == "--pos-man") return whole(0, kMaxWidth - 1, "una posición", o.pos_man);
  if (name == "--pos-signo") return whole(0, kMaxWidth - 1, "una posición", o.pos_signo);
  if (name == "--sis-exp" || name == "--sis-man") {
    const bool exponent = name == "--sis-exp";
    const std::optional<int> code = FindFieldSystem(value, exponent);
    if (!code) return exponent ? "sm, c1, c2 o exceso" : "sm, c1 o c2";
    (exponent ? o.sis_exp : o.sis_man) = *code;
    return std::nullopt;
  }
  if (name == "--norma") {
    o.norma = FindNorm(value);
    if (!o.norma) return "0M, 1M o 01M";
    return std::nullopt;
  }
  return "una opción de formato";
}

FloatFormat BuildLayout(const LayoutOptions& o) {
  FloatFormat f = *FindPreset(o.preset.value_or("ieee32"));
  f.nb = o.bits.value_or(f.nb);
  f.nbexp = o.exp.value_or(f.nbexp);
  f.TypeExp = o.sis_exp.value_or(f.TypeExp);
  f.TypeMan = o.sis_man.value_or(f.TypeMan);
  f.typenorma = o.norma.value_or(f.typenorma);
  // 2^(e-1) - 1, and 2^31 - 1 (the widest excess an int holds) for an exponent wider than 32
  // bits.
  f.zEZ = o.exceso.value_or(static_cast<int>((std::int64_t{1} << (std::min(f.nbexp, 32) - 1)) - 1));
  f.possigno = o.pos_signo.value_or(0);
  f.posexp = o.pos_exp.value_or(1);
  f.posmantisa = o.pos_man.value_or(f.posexp + f.nbexp);
  return f;
}

}  // namespace repbin::ops
