#include <cassert>

#include "codec/codec.h"
#include "real/fields.h"
#include "real/real.h"

namespace repbin {

int CFLBN(const FloatFormat& f, float num, char* bitmap, Trace& trace) {
  assert(DescriptorIsValid(f));  // the dialogue hands over only layouts that fit
  ClearString(f, bitmap);
  // The image of the widened value (exact): sign at 0, exponent at 1 to 11, fraction.
  char bittmp[65];
  R64BN(static_cast<double>(num), bittmp, trace);
  // The unbiased exponent; the magnitude is 1.F x 2^e.
  const int e = BNEZ(bittmp + 1, 11, 1023, trace);
  char digits[65];
  const int nbman = f.NbMan();
  int fits = 0;
  if (num == 0.0f) {
    // Zero (either sign) has no 1.F: the smallest exponent and a magnitude of '0' digits. The
    // exponent field first, then the sign, so the exponent's NUL never replaces it.
    PrintZeroLine(trace);
    fits = WriteExponent(f, SmallestExponent(f), bitmap, trace);
    bitmap[f.possigno] = bittmp[0];
    for (int i = 0; i < nbman; ++i) digits[i] = '0';
  } else {
    // 1.F x 2^e = 0.1F x 2^(e+1) for the fractional normalisations.
    const int exp = f.typenorma == 1 ? e : e + 1;
    // Without an implicit bit the field starts with the significand's leading 1.
    int pos = 12;
    if (f.bi() == 0) {
      bittmp[11] = '1';
      pos = 11;
    }
    // The first NbMan() significand bits, truncated. A field wider than the image's
    // significand continues with '0', which is exact: the value has no further bits.
    for (int i = 0; i < nbman; ++i) digits[i] = pos + i < 64 ? bittmp[pos + i] : '0';
    fits = WriteExponent(f, exp, bitmap, trace);
    // The smallest exponent with a mantissa of '0' digits is zero's pattern: no other value's.
    if (f.bi() == 1 && exp == SmallestExponent(f) && AllZeroDigits(f, digits)) fits = 0;
    if (fits == 0) PrintOutOfRange(trace);
    bitmap[f.possigno] = bittmp[0];
  }
  WriteMantissa(f, digits, bittmp[0] == '1', bitmap);
  bitmap[f.nb] = '\0';
  return fits;
}

}  // namespace repbin
