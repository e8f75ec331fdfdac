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

namespace {

// A layout in one word: the long options' names without their dashes, with "z" for the excess.
std::optional<std::string> ApplyLayoutWord(LayoutOptions& o, std::string_view word) {
  LayoutOptions built;
  std::size_t start = 0;
  while (start <= word.size()) {
    const std::size_t comma = std::min(word.find(',', start), word.size());
    const std::string_view item = word.substr(start, comma - start);
    start = comma + 1;
    const std::size_t equals = item.find('=');
    const std::string_view key = item.substr(0, std::min(equals, item.size()));
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1);
    const auto refused = [&](const std::string& what) {
      return "en \"" + std::string(item) + "\", " + what;
    };
    if (equals == std::string_view::npos || value.empty()) {
      return refused("escriba NOMBRE=VALOR; " + std::string(kLayoutWordAccepted));
    }
    if (key == "bits" || key == "z" || key == "exceso") {
      const bool bits = key == "bits";
      const std::optional<int> v = in::ParseWhole<int>(value);
      if (!v || (bits && (*v < 3 || *v > kMaxWidth))) {
        return refused(bits ? "un número de bits entre 3 y 64" : "un exceso entero");
      }
      (bits ? built.bits : built.exceso) = *v;
      continue;
    }
    const std::string option = "--" + std::string(key);
    if (option == "--formato" || !IsLayoutOption(option)) {
      return refused(std::string(kLayoutWordAccepted));
    }
    if (std::optional<std::string> accepted = ApplyLayoutOption(built, option, value)) {
      return refused(*accepted);
    }
  }
  o = built;
  return std::nullopt;
}

}  // namespace

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
    if (value.find('=') != std::string_view::npos) return ApplyLayoutWord(o, value);
    if (!FindPreset(value)) return kFormatsAccepted;
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

int UsualExcess(int n) {
  return static_cast<int>((std::int64_t{1} << (std::clamp(n, 1, 32) - 1)) - 1);
}

FloatFormat BuildLayout(const LayoutOptions& o) {
  FloatFormat f = *FindPreset(o.preset.value_or("ieee32"));
  f.nb = o.bits.value_or(f.nb);
  f.nbexp = o.exp.value_or(f.nbexp);
  f.TypeExp = o.sis_exp.value_or(f.TypeExp);
  f.TypeMan = o.sis_man.value_or(f.TypeMan);
  f.typenorma = o.norma.value_or(f.typenorma);
  f.zEZ = o.exceso.value_or(UsualExcess(f.nbexp));
  f.possigno = o.pos_signo.value_or(0);
  f.posexp = o.pos_exp.value_or(1);
  f.posmantisa = o.pos_man.value_or(f.posexp + f.nbexp);
  // The all-ones exponent keeps the preset's meaning only in the preset's own layout.
  if (f != *FindPreset(o.preset.value_or("ieee32"))) f.specials = kIeeeSpecials;
  return f;
}

}  // namespace repbin::ops
