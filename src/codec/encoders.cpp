// Integer encoders. All of them reduce their system to one natural-binary conversion, so the
// student always sees the same halving trace applied to the number the system stores.
//
// The encoders take 32-bit values, but do their work in 64 bits: the magnitude of -2^31, the
// one's-complement predecessor of -2^31 and an excess sum beyond the 32-bit range are then
// converted exactly, shown exactly in the trace, and judged by the true range test.

#include <cstdint>

#include "codec/codec.h"
#include "output/trace.h"

namespace repbin {
namespace {

using Wide = std::int64_t;

// Widths are 0 to 64; a negative width writes an empty string.
int ClampWidth(int lim) {
  return lim < 0 ? 0 : lim;
}

int DecBNWide(Wide num, char* bitmap, int lim, Trace& trace) {
  lim = ClampWidth(lim);
  // The heading names the number actually converted.
  trace.Print("=======Conversión a binario del número %lld ======\n", static_cast<long long>(num));
  // Every position starts as '_', "not produced yet", so each trace line shows the digits found.
  for (int i = 0; i < lim; ++i) bitmap[i] = '_';
  bitmap[lim] = '\0';
  // One halving per position, least significant first.
  Wide tmp = num;
  for (int i = lim - 1; i >= 0; --i) {
    const char digit = static_cast<char>('0' + (tmp & 1));  // lowest two's-complement bit
    bitmap[i] = digit;
    if (tmp >= 1) {
      trace.Print("\t%lld/2=", static_cast<long long>(tmp));
      trace.Print("\t %lld", static_cast<long long>(tmp / 2));
      trace.Print("\t y el resto %c \t %s\n", digit, bitmap);
    } else {
      trace.Print("\t\t\t\t\t %s\n", bitmap);
    }
    tmp >>= 1;  // floor(tmp / 2): -1 stays -1
  }
  // Nothing left over means the value fitted.
  return tmp == 0 ? 1 : 0;
}

int C2BNWide(Wide num, char* bitmap, int lim, Trace& trace) {
  DecBNWide(num, bitmap, lim, trace);
  if (lim < 1) return 0;  // no bits, no value
  // The magnitude less one for a negative value: the bitwise complement of num.
  const Wide tmp = num >= 0 ? num : -num - 1;
  if (lim - 1 >= 63) return 1;
  return (tmp >> (lim - 1)) == 0 ? 1 : 0;
}

}  // namespace

int DecBN(std::int32_t num, char* bitmap, int lim, Trace& trace) {
  return DecBNWide(num, bitmap, lim, trace);
}

int C2BN64(std::int64_t num, char* bitmap, int lim, Trace& trace) {
  return C2BNWide(num, bitmap, lim, trace);
}

int C1BN64(std::int64_t num, char* bitmap, int lim, Trace& trace) {
  // The two's complement of num - 1 is the one's complement of num, so zero is always all '0'.
  return C2BNWide(num >= 0 ? num : num - 1, bitmap, lim, trace);
}

int SMBN64(std::int64_t num, char* bitmap, int lim, Trace& trace) {
  if (lim < 1) {  // no room even for the sign: an empty string, nothing fits
    bitmap[0] = '\0';
    return 0;
  }
  bitmap[0] = num < 0 ? '1' : '0';
  return DecBNWide(num < 0 ? -num : num, bitmap + 1, lim - 1, trace);
}

int EZBN64(std::int64_t num, char* bitmap, int lim, int Z, Trace& trace) {
  const Wide sum = num + Z;
  trace.Print(" \n El Exceso %i del %lld es", Z, static_cast<long long>(num));
  trace.Print(" en binario el número %lld \n", static_cast<long long>(sum));
  return DecBNWide(sum, bitmap, lim, trace);
}

int C2BN(std::int32_t num, char* bitmap, int lim, Trace& trace) {
  return C2BN64(num, bitmap, lim, trace);
}

int C1BN(std::int32_t num, char* bitmap, int lim, Trace& trace) {
  return C1BN64(num, bitmap, lim, trace);
}

int SMBN(std::int32_t num, char* bitmap, int lim, Trace& trace) {
  return SMBN64(num, bitmap, lim, trace);
}

int EZBN(std::int32_t num, char* bitmap, int lim, int Z, Trace& trace) {
  return EZBN64(num, bitmap, lim, Z, trace);
}

}  // namespace repbin
