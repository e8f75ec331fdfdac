#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "real/fields.h"
#include "real/real.h"

namespace repbin {
namespace {

using Wide = std::int64_t;

// Appends the characters of `text` from `first` to `last` - 1, the '.' left out.
void PrintDigits(const char* text, int first, int last, Trace& trace) {
  char digits[65];
  int n = 0;
  for (int j = first; j < last; ++j) {
    if (text[j] != '.') digits[n++] = text[j];
  }
  digits[n] = '\0';
  trace.Print("%s", digits);
}

// Prints the normalised value; returns the exponent after the normalisation's adjustment.
int PrintNormalised(const FloatFormat& f, const char* bittmp, int lim, int exp, Trace& trace) {
  const char s = bittmp[0];
  const int tail = std::abs(exp);  // exp <= 0: the first '1' is at index tail + 3
  trace.Print("El valor normalizado sera ");
  switch (f.typenorma) {
    case 0:
      trace.Print("%c0.", s);
      if (exp > 0)
        PrintDigits(bittmp, 1, lim, trace);
      else
        trace.Print("%s", bittmp + tail + 3);
      break;
    case 1:
    case 2:
      trace.Print(f.typenorma == 1 ? "%c1." : "%c0.1", s);
      if (exp > 0)
        PrintDigits(bittmp, 2, lim, trace);
      else
        trace.Print("%s", bittmp + tail + 4);
      if (f.typenorma == 1) --exp;
      break;
    default: break;
  }
  trace.Print(" 2^(%i)\n", exp);
  return exp;
}

}  // namespace

int CFCFL(const FloatFormat& f, const char* decimal, char* bitmap, Trace& trace) {
  assert(DescriptorIsValid(f));  // the dialogue hands over only layouts that fit
  ClearString(f, bitmap);
  // The binary fixed-point text, in a scratch text that reads '0' past its end.
  char bittmp[65];
  std::memset(bittmp, '0', 64);
  bittmp[64] = '\0';
  int exp = 0;
  const int lim = CFBN(decimal, bittmp, &exp, trace);
  const int x = exp;
  const char s = bittmp[0];
  // No '1' in the text: the integer part is 0 and CFBN found none among the fraction digits, so
  // the value is zero (CheckFixedText refuses the non-zero values whose '1' lies beyond the
  // text). Zero has no normalised form: the smallest exponent and a mantissa of '0' digits.
  const bool zero = bittmp[1] != '1' && x == 3;
  if (zero) {
    PrintZeroLine(trace);
  } else {
    exp = PrintNormalised(f, bittmp, lim, exp, trace);
  }
  // The normalised digits from the first '1' (plus the implicit bit), the '.' skipped,
  // '0' past the end of the text; truncated to the field. Zero's are all '0'.
  const bool integer_part = bittmp[1] == '1';
  int j = integer_part ? 1 + f.bi() : 3 + std::abs(x) + f.bi();
  char digits[65];
  const int nbman = f.NbMan();
  for (int i = 0; i < nbman; ++i, ++j) {
    while (j < 64 && bittmp[j] == '.') ++j;
    digits[i] = (!zero && j < 64 && bittmp[j] != '\0') ? bittmp[j] : '0';
  }
  // The exponent field first, then the sign, so that the field's NUL never erases it.
  trace.Print("\n == Calculo del exponente ==\n ");
  const Wide field_exp = zero ? SmallestExponent(f) : exp;
  int fits = WriteExponent(f, field_exp, bitmap, trace);
  // The smallest exponent with a mantissa of '0' digits is zero's pattern: no other value's.
  if (!zero && f.bi() == 1 && field_exp == SmallestExponent(f) && AllZeroDigits(f, digits)) {
    fits = 0;
  }
  if (fits == 0) PrintOutOfRange(trace);
  bitmap[f.possigno] = s == '-' ? '1' : '0';
  // The summary so far; each field prints up to the first NUL after it.
  trace.Print(" Resumiendo ....\n");
  trace.Print(" El signo es igual %c \n", bitmap[f.possigno]);
  trace.Print(" El exponente es igual %s \n", bitmap + f.posexp);
  WriteMantissa(f, digits, s == '-', bitmap);
  bitmap[f.nb] = '\0';
  trace.Print(" La mantisa es igual %s \n", bitmap + f.posmantisa);
  return fits;
}

}  // namespace repbin
