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

template BigInt BNsinsigno<BigInt>(const char*, int, Trace&);
template BigInt BNSM<BigInt>(const char*, int, Trace&);
template BigInt BNC1<BigInt>(const char*, int, Trace&);
template BigInt BNC2<BigInt>(const char*, int, Trace&);
template BigInt BNEZ<BigInt>(const char*, int, BigInt, Trace&);

std::string DecodeExact(System system, const char* bitmap, int lim, std::int64_t Z, Trace& trace) {
  switch (system) {
    case System::kNatural: return BNsinsigno<BigInt>(bitmap, lim, trace).str();
    case System::kSignMagnitude: return BNSM<BigInt>(bitmap, lim, trace).str();
    case System::kOnes: return BNC1<BigInt>(bitmap, lim, trace).str();
    case System::kTwos: return BNC2<BigInt>(bitmap, lim, trace).str();
    case System::kExcess: return BNEZ<BigInt>(bitmap, lim, BigInt(Z), trace).str();
    case System::kFloat: break;
  }
  return "0";
}

}  // namespace repbin
