// Floating-point formats as values: the descriptor gathered in one struct, which every codec,
// operation and report takes by reference, and the named presets.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace repbin {

// Where sign, exponent and mantissa lie in a string of `nb` characters and how they are written.
struct FloatFormat {
  int nb;          // total width, 3 to 64
  int nbexp;       // width of the exponent field
  int posexp;      // position of the exponent's first character
  int posmantisa;  // position of the mantissa's first character
  int possigno;    // position of the sign character
  int TypeExp;     // 0 sign-magnitude, 1 one's complement, 2 two's complement, 3 excess zEZ
  int zEZ;         // the exponent's excess, used when TypeExp is 3
  int TypeMan;     // 0 sign-magnitude, 1 one's complement, 2 two's complement
  int typenorma;   // 0 fraction 0'M, 1 implicit integer bit 1'M, 2 implicit fraction bit 0'1M
  // What an IEEE-shaped format's all-ones exponent holds: kIeeeSpecials, infinities and NaN as
  // IEEE 754 has them; kOnlyNan, ordinary values but for S.1...1.1...1, the one NaN of each sign
  // (fp8-e4m3, which has no infinities). The program's own reading ignores it.
  int specials = 0;

  // Implicit mantissa bits: 1 with an implicit bit (typenorma 1 or 2), else 0.
  int bi() const { return typenorma > 0 ? 1 : 0; }
  // Width of the mantissa field: nb - nbexp - 1.
  int NbMan() const { return nb - nbexp - 1; }

  bool operator==(const FloatFormat&) const = default;
};

inline constexpr int kIeeeSpecials = 0;
inline constexpr int kOnlyNan = 1;

// Whether `f` describes a format the codecs can honour: 3 <= nb <= 64, both fields at least one
// character wide, the three fields inside the string without overlapping, and every code inside
// its menu. The codecs require it.
bool DescriptorIsValid(const FloatFormat& f);

// The IEEE 754 shape of `total` bits with an exponent of `exp` bits: sign at 0, the exponent next
// in excess 2^(exp-1) - 1, the sign-magnitude mantissa after it, normalisation 1'M.
FloatFormat IeeeShaped(int total, int exp);

// ieee32 (the default), ieee16, ieee64, bfloat16, fp8-e4m3 (4-bit exponent, 3-bit mantissa, no
// infinities: kOnlyNan), fp8-e5m2 (5-bit exponent, 2-bit mantissa, IEEE 754 specials).
std::optional<FloatFormat> FindPreset(std::string_view name);

// The preset names, in the order the help lists them.
inline constexpr const char* kPresetNames[] = {"ieee32",   "ieee16",   "ieee64",
                                               "bfloat16", "fp8-e4m3", "fp8-e5m2"};

// The command-line names of a field's system ("sm", "c1", "c2", "exceso") and of a
// normalisation ("0M", "1M", "01M"), and the codes they stand for.
const char* FieldSystemName(int code);
std::optional<int> FindFieldSystem(std::string_view name, bool excess_allowed);
const char* NormName(int code);
std::optional<int> FindNorm(std::string_view name);
// A normalisation as the texts write it ("0'M", "1'M", "0'1M"), what it means ("sin bit
// implícito", "bit implícito entero", "bit implícito fraccionario"), and both together:
// "1'M (bit implícito entero)".
const char* NormForm(int code);
const char* NormMeaning(int code);
std::string NormPhrase(int code);

}  // namespace repbin
