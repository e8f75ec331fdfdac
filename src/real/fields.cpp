#include "real/fields.h"

#include "codec/codec.h"

namespace repbin {
namespace {

char Inverted(char digit) {
  return digit == '1' ? '0' : '1';
}

}  // namespace

void ClearString(const FloatFormat& f, char* bitmap) {
  for (int i = 0; i <= f.nb; ++i) bitmap[i] = '\0';
}

int WriteExponent(const FloatFormat& f, std::int64_t exp, char* bitmap, Trace& trace) {
  char* field = bitmap + f.posexp;
  switch (f.TypeExp) {
    case 0: return SMBN64(exp, field, f.nbexp, trace);
    case 1: return C1BN64(exp, field, f.nbexp, trace);
    case 2: return C2BN64(exp, field, f.nbexp, trace);
    case 3: return EZBN64(exp, field, f.nbexp, f.zEZ, trace);
    default: return 0;  // unknown system: the field stays empty
  }
}

std::int64_t SmallestExponent(const FloatFormat& f) {
  const std::int64_t half = std::int64_t{1} << (f.nbexp - 1);
  switch (f.TypeExp) {
    case 0:
    case 1: return -(half - 1);
    case 2: return -half;
    default: return -std::int64_t{f.zEZ};
  }
}

void PrintZeroLine(Trace& trace) {
  trace.Print(
      " El cero no tiene forma normalizada: se escriben el menor exponente y la mantisa a "
      "cero\n");
}

void WriteMantissa(const FloatFormat& f, const char* digits, bool negative, char* bitmap) {
  char* field = bitmap + f.posmantisa;
  const int nbman = f.NbMan();
  bool carry = true;  // two's complement: still copying, up to the rightmost '1'
  for (int i = nbman - 1; i >= 0; --i) {
    const char b = digits[i];
    switch (f.TypeMan) {
      case 0: field[i] = b; break;
      case 1: field[i] = negative ? Inverted(b) : b; break;
      case 2:
        if (!negative || carry) {
          field[i] = b;
          if (b == '1') carry = false;
        } else {
          field[i] = Inverted(b);
        }
        break;
      default: break;  // unknown system: the field stays empty
    }
  }
}

}  // namespace repbin
