#include "real/fields.h"

#include <algorithm>

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

bool IsZeroPattern(const FloatFormat& f, const char* bitmap) {
  if (f.bi() != 1) return false;
  const char* exponent = bitmap + f.posexp;
  std::int64_t exp = 0;
  switch (f.TypeExp) {
    case 0: exp = BNSM<std::int64_t>(exponent, f.nbexp, NoTrace()); break;
    case 1: exp = BNC1<std::int64_t>(exponent, f.nbexp, NoTrace()); break;
    case 2: exp = BNC2<std::int64_t>(exponent, f.nbexp, NoTrace()); break;
    default: exp = BNEZ<std::int64_t>(exponent, f.nbexp, f.zEZ, NoTrace()); break;
  }
  if (exp != SmallestExponent(f)) return false;
  const char* field = bitmap + f.posmantisa;
  const char stored = f.TypeMan == 1 && bitmap[f.possigno] == '1' ? '1' : '0';
  return std::all_of(field, field + f.NbMan(), [stored](char c) { return c == stored; });
}

bool AllZeroDigits(const FloatFormat& f, const char* digits) {
  return std::all_of(digits, digits + f.NbMan(), [](char c) { return c == '0'; });
}

void PrintZeroReadLine(Trace& trace) {
  trace.Print(
      " El cero no tiene forma normalizada: el menor exponente con la mantisa a cero es el "
      "cero\n");
}

void PrintOutOfRange(Trace& trace) {
  trace.Print("\n Fuera de Rango\n");
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
