#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "output/output.h"
#include "real/fields.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin {
namespace {

using Wide = std::int64_t;

// Appends the characters of `text` from `first` to `last` - 1, the '.' left out.
void PrintDigits(const char* text, int first, int last) {
  char digits[65];
  int n = 0;
  for (int j = first; j < last; ++j) {
    if (text[j] != '.') digits[n++] = text[j];
  }
  digits[n] = '\0';
  out::Print("%s", digits);
}

// Prints the normalised value; returns the exponent after the normalisation's adjustment.
int PrintNormalised(const char* bittmp, int lim, int exp) {
  const char s = bittmp[0];
  const int tail = std::abs(exp);  // exp <= 0: the first '1' is at index tail + 3
  out::Print("El valor normalizado sera ");
  switch (typenorma) {
    case 0:
      out::Print("%c0.", s);
      if (exp > 0)
        PrintDigits(bittmp, 1, lim);
      else
        out::Print("%s", bittmp + tail + 3);
      break;
    case 1:
    case 2:
      out::Print(typenorma == 1 ? "%c1." : "%c0.1", s);
      if (exp > 0)
        PrintDigits(bittmp, 2, lim);
      else
        out::Print("%s", bittmp + tail + 4);
      if (typenorma == 1) --exp;
      break;
    default: break;
  }
  out::Print(" 2^(%i)\n", exp);
  return exp;
}

}  // namespace

int CFCFL(const char* decimal, char* bitmap) {
  assert(DescriptorIsValid());  // the dialogue hands over only layouts that fit
  ClearString(bitmap);
  // The binary fixed-point text, in a scratch text that reads '0' past its end.
  char bittmp[65];
  std::memset(bittmp, '0', 64);
  bittmp[64] = '\0';
  int exp = 0;
  const int lim = CFBN(decimal, bittmp, &exp);
  const int x = exp;
  const char s = bittmp[0];
  // No '1' in the text: the integer part is 0 and CFBN found none among the fraction digits, so
  // the value is zero (CheckFixedText refuses the non-zero values whose '1' lies beyond the
  // text). Zero has no normalised form: the smallest exponent and a mantissa of '0' digits.
  const bool zero = bittmp[1] != '1' && x == 3;
  if (zero) {
    PrintZeroLine();
  } else {
    exp = PrintNormalised(bittmp, lim, exp);
  }
  // The normalised digits from the first '1' (plus the implicit bit), the '.' skipped,
  // '0' past the end of the text; truncated to the field. Zero's are all '0'.
  const bool integer_part = bittmp[1] == '1';
  int j = integer_part ? 1 + bi : 3 + std::abs(x) + bi;
  char digits[65];
  const int nbman = NbMan();
  for (int i = 0; i < nbman; ++i, ++j) {
    while (j < 64 && bittmp[j] == '.') ++j;
    digits[i] = (!zero && j < 64 && bittmp[j] != '\0') ? bittmp[j] : '0';
  }
  // The exponent field first, then the sign, so that the field's NUL never erases it.
  out::Print("\n == Calculo del exponente ==\n ");
  const Wide field_exp = zero ? SmallestExponent() : exp;
  int fits = WriteExponent(field_exp, bitmap);
  // The smallest exponent with a mantissa of '0' digits is zero's pattern: no other value's.
  if (!zero && bi == 1 && field_exp == SmallestExponent() && AllZeroDigits(digits)) fits = 0;
  if (fits == 0) PrintOutOfRange();
  bitmap[possigno] = s == '-' ? '1' : '0';
  // The summary so far; each field prints up to the first NUL after it.
  out::Print(" Resumiendo ....\n");
  out::Print(" El signo es igual %c \n", bitmap[possigno]);
  out::Print(" El exponente es igual %s \n", bitmap + posexp);
  WriteMantissa(digits, s == '-', bitmap);
  bitmap[nb] = '\0';
  out::Print(" La mantisa es igual %s \n", bitmap + posmantisa);
  return fits;
}

}  // namespace repbin
