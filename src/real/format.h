// Floating-point formats as values: the descriptor's settings gathered in one struct, the named
// presets, and the passage between the struct and the program-wide descriptor.
#pragma once

#include <optional>
#include <string_view>

namespace repbin {

struct FloatFormat {
  int bits;       // nb
  int exp;        // nbexp
  int pos_exp;    // posexp
  int pos_man;    // posmantisa
  int pos_signo;  // possigno
  int sis_exp;    // TypeExp: 0 sign-magnitude, 1 one's complement, 2 two's complement, 3 excess
  int exceso;     // zEZ, used when sis_exp is 3
  int sis_man;    // TypeMan: 0 sign-magnitude, 1 one's complement, 2 two's complement
  int norma;      // typenorma: 0 0'M, 1 1'M, 2 0'1M

  bool operator==(const FloatFormat&) const = default;
};

// The IEEE 754 shape of `total` bits with an exponent of `exp` bits: sign at 0, the exponent next
// in excess 2^(exp-1) - 1, the sign-magnitude mantissa after it, normalisation 1'M.
FloatFormat IeeeShaped(int total, int exp);

// ieee32 (the default), ieee16, ieee64, bfloat16.
std::optional<FloatFormat> FindPreset(std::string_view name);

// The command-line names of a field's system ("sm", "c1", "c2", "exceso") and of a
// normalisation ("0M", "1M", "01M"), and the codes they stand for.
const char* FieldSystemName(int code);
std::optional<int> FindFieldSystem(std::string_view name, bool excess_allowed);
const char* NormName(int code);
std::optional<int> FindNorm(std::string_view name);

// Sets nb, zEZ (for an excess exponent) and the descriptor from `format`, bi included.
void ApplyFormat(const FloatFormat& format);

// The format the program-wide settings describe now.
FloatFormat CurrentFormat();

}  // namespace repbin
