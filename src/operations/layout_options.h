// The floating-point layout options that the one-shot commands and the exercise sheets share
// (-f/--formato, --exp, --pos-exp, --pos-man, --pos-signo, --sis-exp, --sis-man, --norma), read
// one at a time, and the layout they describe. Each door reads its own width and excess options
// (`-b` means the integers' width on a sheet) and puts them in `bits` and `exceso` here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "real/format.h"

namespace repbin::ops {

struct LayoutOptions {
  std::optional<std::string> preset;
  std::optional<int> bits, exp, pos_exp, pos_man, pos_signo, sis_exp, sis_man, norma, exceso;

  // Whether an option that only a floating-point layout uses was given (not `bits`, `exceso`).
  bool AnyLayout() const {
    return preset || exp || pos_exp || pos_man || pos_signo || sis_exp || sis_man || norma;
  }
};

// What -f accepts, for the doors' messages.
inline constexpr const char* kFormatsAccepted =
    "ieee32, ieee16, ieee64, bfloat16, fp8-e4m3, fp8-e5m2 o un formato en una palabra como "
    "bits=16,exp=5,pos-exp=1,pos-man=6,pos-signo=0,sis-exp=exceso,z=15,sis-man=sm,norma=1M";
inline constexpr const char* kLayoutWordAccepted =
    "los nombres son bits, exp, pos-exp, pos-man, pos-signo, sis-exp, z, sis-man y norma";

// Whether `name` is one of the shared layout options (each takes a value).
bool IsLayoutOption(std::string_view name);

// Applies the layout option `name` with its `value`. Returns nothing when it is taken, else what
// the option accepts, for the door's message ("un número de bits entre 1 y 64"). A format given
// with -f replaces the whole layout given so far; the options after it change it. -f takes a
// preset's name or a whole layout in one word, the long options' names without their dashes
// ("z" for the excess): "bits=16,exp=5,pos-exp=1,pos-man=6,pos-signo=0,sis-exp=exceso,z=15,
// sis-man=sm,norma=1M"; what the word leaves out follows the IEEE shape, as BuildLayout says.
std::optional<std::string> ApplyLayoutOption(LayoutOptions& options, std::string_view name,
                                             std::string_view value);

// The layout the options describe: the preset (ieee32 when none) with each option given, and
// what no option gave in the IEEE shape of its widths: the sign at 0, the exponent at 1, the
// mantissa after the exponent, and an excess exponent in excess 2^(e-1) - 1 (127 for ieee32), so
// `-b 16 --exp 5` is the half-precision layout. Not checked: CheckFloatFormat says what is wrong.
FloatFormat BuildLayout(const LayoutOptions& options);

// The usual excess of an `n`-bit field, 2^(n-1) - 1 (127 at 8 bits), capped at 2^31 - 1, the
// widest excess an int holds, for fields wider than 32 bits.
int UsualExcess(int n);

}  // namespace repbin::ops
