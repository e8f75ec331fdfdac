// The decoders instantiated on Boost's unbounded integer, which needs no wrap.

#include "real/exact.h"

#include <boost/multiprecision/cpp_int.hpp>

#include "codec/decoder_templates.h"

namespace repbin {

using BigInt = boost::multiprecision::cpp_int;

template <>
struct decoding::Arithmetic<BigInt> {
  using Acc = BigInt;
  static Acc Weight(char c) { return BigInt(static_cast<int>(static_cast<unsigned char>(c)) - 48); }
  static std::string Text(const BigInt& value) { return value.str(); }
};

template BigInt BNsinsigno<BigInt>(const char*, int);
template BigInt BNSM<BigInt>(const char*, int);
template BigInt BNC1<BigInt>(const char*, int);
template BigInt BNC2<BigInt>(const char*, int);
template BigInt BNEZ<BigInt>(const char*, int, BigInt);

std::string DecodeExact(IntegerCode code, const char* bitmap, int lim, std::int64_t Z) {
  switch (code) {
    case IntegerCode::kNatural: return BNsinsigno<BigInt>(bitmap, lim).str();
    case IntegerCode::kSignMagnitude: return BNSM<BigInt>(bitmap, lim).str();
    case IntegerCode::kOnes: return BNC1<BigInt>(bitmap, lim).str();
    case IntegerCode::kTwos: return BNC2<BigInt>(bitmap, lim).str();
    case IntegerCode::kExcess: return BNEZ<BigInt>(bitmap, lim, BigInt(Z)).str();
  }
  return "0";
}

}  // namespace repbin
