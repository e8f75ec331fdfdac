// The bodies of the bit-string decoders, written once for every result type, for the sources
// that instantiate them: decoders.cpp for the fixed-width types, and the exact readings for an
// unbounded integer, which bring its arithmetic with them. The fixed-width types add and multiply
// in their unsigned counterpart, so that a sum wraps modulo 2^32 (or 2^64) as defined behaviour
// and converts back to the signed pattern.
#pragma once

#include <string>
#include <type_traits>

#include "codec/codec.h"
#include "output/trace.h"

namespace repbin {
namespace decoding {

// The arithmetic of a result type: its accumulator, a character's weight in it, and its decimal
// text. A type without a fixed width specialises it.
template <class Int>
struct Arithmetic {
  using Acc = std::make_unsigned_t<Int>;
  static Acc Weight(char c) {  // code minus 48, modulo the type's width
    return static_cast<Acc>(static_cast<Acc>(static_cast<unsigned char>(c)) - Acc{48});
  }
  static std::string Text(Int value) { return std::to_string(value); }
};

// The weight of one character: its code minus 48 ('0' is 0, '1' is 1, others what they are).
template <class Int>
typename decoding::Arithmetic<Int>::Acc Weight(char c) {
  return decoding::Arithmetic<Int>::Weight(c);
}

}  // namespace decoding

template <class Int>
Int BNsinsigno(const char* bitmap, int lim, Trace& trace) {
  using Acc = typename decoding::Arithmetic<Int>::Acc;
  Acc num = 0;
  trace.Print("\n");
  // An empty field has no last character: it reads as 0 and prints "==0".
  if (lim <= 0) {
    trace.Print("==0\n");
    return Int{0};
  }
  // The characters as read, and the value: doubled after every character but the last.
  for (int i = 0; i < lim - 1; ++i) {
    trace.Print("%c", bitmap[i]);
    num = static_cast<Acc>((num + decoding::Weight<Int>(bitmap[i])) * 2u);
  }
  num = static_cast<Acc>(num + decoding::Weight<Int>(bitmap[lim - 1]));
  trace.Print("%c=", bitmap[lim - 1]);
  // One power of two for each '1'; other characters weigh in the value but show no term.
  bool pri = false;
  for (int i = 0; i < lim; ++i) {
    if (bitmap[i] != '1') continue;
    if (pri) trace.Print("+");
    pri = true;
    trace.Print("2^%i", lim - 1 - i);
  }
  // The value as the result type reads it.
  const Int value = static_cast<Int>(num);
  trace.Print("=%s\n", decoding::Arithmetic<Int>::Text(value).c_str());
  return value;
}

template <class Int>
Int BNSM(const char* bitmap, int lim, Trace& trace) {
  using Acc = typename decoding::Arithmetic<Int>::Acc;
  const Int num = BNsinsigno<Int>(bitmap + 1, lim - 1, trace);
  // The sign is tested after the expansion line; "1000" is a negative zero and reads 0.
  if (bitmap[0] == '1') return static_cast<Int>(static_cast<Acc>(Acc{0} - static_cast<Acc>(num)));
  return num;
}

template <class Int>
Int BNC1(const char* bitmap, int lim, Trace& trace) {
  using Acc = typename decoding::Arithmetic<Int>::Acc;
  if (lim >= 1 && bitmap[0] == '0') return BNsinsigno<Int>(bitmap, lim, trace);
  // Negative: minus the value of the complemented field ('0' counts 1, '1' counts 0), silently.
  Acc num = 0;
  for (int i = 0; i < lim; ++i) {
    num = static_cast<Acc>(num + (Acc{1} - decoding::Weight<Int>(bitmap[i])));
    if (i < lim - 1) num = static_cast<Acc>(num * 2u);
  }
  return static_cast<Int>(static_cast<Acc>(Acc{0} - num));
}

template <class Int>
Int BNC2(const char* bitmap, int lim, Trace& trace) {
  using Acc = typename decoding::Arithmetic<Int>::Acc;
  const Int num = BNC1<Int>(bitmap, lim, trace);
  // The sign is the field's: BNC1 reads an all-'1' field as 0, which here must become -1.
  if (lim >= 1 && bitmap[0] != '0') {
    return static_cast<Int>(static_cast<Acc>(static_cast<Acc>(num) - Acc{1}));
  }
  return num;
}

template <class Int>
Int BNEZ(const char* bitmap, int lim, Int Z, Trace& trace) {
  using Acc = typename decoding::Arithmetic<Int>::Acc;
  const Int stored = BNsinsigno<Int>(bitmap, lim, trace);
  return static_cast<Int>(static_cast<Acc>(static_cast<Acc>(stored) - static_cast<Acc>(Z)));
}

}  // namespace repbin
