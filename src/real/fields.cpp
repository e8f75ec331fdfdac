#include "real/fields.h"

#include <algorithm>

#include "codec/codec.h"
#include "output/output.h"
#include "real/real.h"
#include "settings/settings.h"

namespace repbin {
namespace {

char Inverted(char digit) {
  return digit == '1' ? '0' : '1';
}

}  // namespace

void ClearString(char* bitmap) {
  for (int i = 0; i <= nb; ++i) bitmap[i] = '\0';
}

int WriteExponent(std::int64_t exp, char* bitmap) {
  char* field = bitmap + posexp;
  switch (TypeExp) {
    case 0: return SMBN64(exp, field, nbexp);
    case 1: return C1BN64(exp, field, nbexp);
    case 2: return C2BN64(exp, field, nbexp);
    case 3: return EZBN64(exp, field, nbexp, zEZ);
    default: return 0;  // unknown system: the field stays empty
  }
}

std::int64_t SmallestExponent() {
  const std::int64_t half = std::int64_t{1} << (nbexp - 1);
  switch (TypeExp) {
    case 0:
    case 1: return -(half - 1);
    case 2: return -half;
    default: return -std::int64_t{zEZ};
  }
}

void PrintZeroLine() {
  out::Print(
      " El cero no tiene forma normalizada: se escriben el menor exponente y la mantisa a "
      "cero\n");
}

bool IsZeroPattern(const char* bitmap) {
  if (bi != 1) return false;
  std::int64_t exp = 0;
  out::Silently([&] {
    const char* field = bitmap + posexp;
    switch (TypeExp) {
      case 0: exp = BNSM<std::int64_t>(field, nbexp); break;
      case 1: exp = BNC1<std::int64_t>(field, nbexp); break;
      case 2: exp = BNC2<std::int64_t>(field, nbexp); break;
      default: exp = BNEZ<std::int64_t>(field, nbexp, zEZ); break;
    }
  });
  if (exp != SmallestExponent()) return false;
  const char* field = bitmap + posmantisa;
  const char stored = TypeMan == 1 && bitmap[possigno] == '1' ? '1' : '0';
  return std::all_of(field, field + NbMan(), [stored](char c) { return c == stored; });
}

bool AllZeroDigits(const char* digits) {
  return std::all_of(digits, digits + NbMan(), [](char c) { return c == '0'; });
}

void PrintZeroReadLine() {
  out::Print(
      " El cero no tiene forma normalizada: el menor exponente con la mantisa a cero es el "
      "cero\n");
}

void PrintOutOfRange() {
  out::Print("\n Fuera de Rango\n");
}

void WriteMantissa(const char* digits, bool negative, char* bitmap) {
  char* field = bitmap + posmantisa;
  const int nbman = NbMan();
  bool carry = true;  // two's complement: still copying, up to the rightmost '1'
  for (int i = nbman - 1; i >= 0; --i) {
    const char b = digits[i];
    switch (TypeMan) {
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
