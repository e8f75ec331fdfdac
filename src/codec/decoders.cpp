// Bit-string decoders. Arithmetic is done on the unsigned type of the result's width, so that it
// wraps modulo 2^32 (or 2^64) as defined behaviour; the sum converts back to the signed result.

#include <cstdint>
#include <type_traits>

#include "codec/codec.h"
#include "output/output.h"

namespace repbin {
namespace {

// The weight of one character: its code minus 48 ('0' is 0, '1' is 1, others what they are).
template <class U>
U Digit(char c) {
  return static_cast<U>(static_cast<U>(static_cast<unsigned char>(c)) - U{48});
}

}  // namespace

template <class Int>
Int BNsinsigno(const char* bitmap, int lim) {
  using U = std::make_unsigned_t<Int>;
  U num = 0;
  out::Print("\n");
  // An empty field has no last character: it reads as 0 and prints "==0".
  if (lim <= 0) {
    out::Print("==0\n");
    return 0;
  }
  // Step 2: the value, doubling after each character but the last.
  for (int i = 0; i < lim - 1; ++i) {
    out::Print("%c", bitmap[i]);
    num = static_cast<U>((num + Digit<U>(bitmap[i])) * 2u);
  }
  // Step 3: the last character.
  num = static_cast<U>(num + Digit<U>(bitmap[lim - 1]));
  out::Print("%c=", bitmap[lim - 1]);
  // Step 4: one power of two for each '1'.
  bool pri = false;
  for (int i = 0; i < lim; ++i) {
    if (bitmap[i] != '1') continue;
    if (pri) out::Print("+");
    pri = true;
    out::Print("2^%i", lim - 1 - i);
  }
  // Step 5: the value, as the signed type reads it.
  const Int value = static_cast<Int>(num);
  out::Print("=%lld\n", static_cast<long long>(value));
  return value;
}

template <class Int>
Int BNSM(const char* bitmap, int lim) {
  const Int num = BNsinsigno<Int>(bitmap + 1, lim - 1);
  // The sign is tested after the expansion line; "1000" is a negative zero and reads 0.
  if (bitmap[0] == '1') return static_cast<Int>(-static_cast<std::make_unsigned_t<Int>>(num));
  return num;
}

template <class Int>
Int BNC1(const char* bitmap, int lim) {
  using U = std::make_unsigned_t<Int>;
  if (lim >= 1 && bitmap[0] == '0') return BNsinsigno<Int>(bitmap, lim);
  // Negative: minus the value of the complemented field ('0' counts 1, '1' counts 0), silently.
  U num = 0;
  for (int i = 0; i < lim; ++i) {
    num = static_cast<U>(num + (U{1} - Digit<U>(bitmap[i])));
    if (i < lim - 1) num = static_cast<U>(num * 2u);
  }
  return static_cast<Int>(-num);
}

template <class Int>
Int BNC2(const char* bitmap, int lim) {
  using U = std::make_unsigned_t<Int>;
  const Int num = BNC1<Int>(bitmap, lim);
  // The sign is the field's: BNC1 reads an all-'1' field as 0, which here must become -1.
  if (lim >= 1 && bitmap[0] != '0') return static_cast<Int>(static_cast<U>(num) - U{1});
  return num;
}

template <class Int>
Int BNEZ(const char* bitmap, int lim, Int Z) {
  using U = std::make_unsigned_t<Int>;
  const Int stored = BNsinsigno<Int>(bitmap, lim);
  return static_cast<Int>(static_cast<U>(stored) - static_cast<U>(Z));
}

template std::int32_t BNsinsigno<std::int32_t>(const char*, int);
template std::int32_t BNSM<std::int32_t>(const char*, int);
template std::int32_t BNC1<std::int32_t>(const char*, int);
template std::int32_t BNC2<std::int32_t>(const char*, int);
template std::int32_t BNEZ<std::int32_t>(const char*, int, std::int32_t);
template std::int64_t BNsinsigno<std::int64_t>(const char*, int);
template std::int64_t BNSM<std::int64_t>(const char*, int);
template std::int64_t BNC1<std::int64_t>(const char*, int);
template std::int64_t BNC2<std::int64_t>(const char*, int);
template std::int64_t BNEZ<std::int64_t>(const char*, int, std::int64_t);

}  // namespace repbin
