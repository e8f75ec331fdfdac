// The decoders instantiated on Boost's unbounded integer, which needs no wrap.

#include "real/exact.h"

#include <algorithm>
#include <boost/multiprecision/cpp_int.hpp>
#include <cmath>
#include <optional>
#include <string>

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

namespace repbin {

struct DecimalFraction::Value {
  BigInt numerator;
  BigInt denominator;
};

DecimalFraction::DecimalFraction(std::string_view digits) : value_(std::make_unique<Value>()) {
  value_->numerator = 0;
  value_->denominator = 1;
  for (const char c : digits) {
    value_->numerator = value_->numerator * 10 + (c - '0');
    value_->denominator *= 10;
  }
}

DecimalFraction::~DecimalFraction() = default;

bool DecimalFraction::IsZero() const {
  return value_->numerator == 0;
}

bool DecimalFraction::IsBelowPowerOfTwo(int n) const {
  return (value_->numerator << n) < value_->denominator;
}

double DecimalFraction::Nearest() const {
  const BigInt& num = value_->numerator;
  const BigInt& den = value_->denominator;
  if (num == 0) return 0.0;
  // The value is (q + r / den) x 2^-s with a quotient q of exactly 53 bits, rounded to nearest
  // with ties to even on the remainder r. Below 1 and above 10^-64, it is far from the
  // subnormals, so the result is the double nearest the value.
  const auto msb = [](const BigInt& x) { return static_cast<int>(boost::multiprecision::msb(x)); };
  int s = 53 + msb(den) - msb(num);
  BigInt q;
  BigInt r;
  boost::multiprecision::divide_qr(BigInt(num << s), den, q, r);
  if (msb(q) > 52) {
    --s;
    boost::multiprecision::divide_qr(BigInt(num << s), den, q, r);
  }
  const int half = BigInt(r * 2).compare(den);
  if (half > 0 || (half == 0 && (q & 1) != 0)) ++q;
  return std::ldexp(q.convert_to<double>(), -s);
}

int DecimalFraction::DoubleAndTakeDigit() {
  value_->numerator <<= 1;
  if (value_->numerator >= value_->denominator) {
    value_->numerator -= value_->denominator;
    return 1;
  }
  return 0;
}

}  // namespace repbin

namespace repbin {
namespace {

// A decimal number as numerator x 10^-scale.
struct ScaledDecimal {
  BigInt numerator;
  int scale = 0;
};

std::optional<ScaledDecimal> ParseDecimal(std::string_view text) {
  ScaledDecimal d{0, 0};
  std::size_t i = 0;
  bool minus = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) minus = text[i++] == '-';
  int digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      d.numerator = d.numerator * 10 + (c - '0');
      if (point) ++d.scale;
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negative_exponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative_exponent = text[i++] == '-';
    int exponent = 0;
    int exponent_digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++exponent_digits) {
      exponent = std::min(exponent * 10 + (text[i] - '0'), 100000);
    }
    if (exponent_digits == 0) return std::nullopt;
    d.scale += negative_exponent ? exponent : -exponent;
  }
  if (i != text.size()) return std::nullopt;
  if (d.scale < 0) {
    d.numerator *= boost::multiprecision::pow(BigInt(10), static_cast<unsigned>(-d.scale));
    d.scale = 0;
  }
  if (minus) d.numerator = -d.numerator;
  return d;
}

BigInt PowerOfTen(int n) {
  return boost::multiprecision::pow(BigInt(10), static_cast<unsigned>(n));
}

// `magnitude` x 10^-places in full, with its sign.
std::string WithPlaces(bool minus, const BigInt& magnitude, int places) {
  std::string digits = magnitude.str();
  if (digits.size() <= static_cast<std::size_t>(places)) {
    digits.insert(0, static_cast<std::size_t>(places) + 1 - digits.size(), '0');
  }
  digits.insert(digits.size() - static_cast<std::size_t>(places), 1, '.');
  return (minus ? "-" : "") + digits;
}

}  // namespace

bool WithinHalfUnit(std::string_view a, std::string_view b, int places) {
  const std::optional<ScaledDecimal> x = ParseDecimal(a);
  const std::optional<ScaledDecimal> y = ParseDecimal(b);
  if (!x || !y) return false;
  // Both over 10^scale, then |x - y| x 2 x 10^places <= 10^scale.
  const int scale = std::max({x->scale, y->scale, places});
  BigInt difference =
      x->numerator * PowerOfTen(scale - x->scale) - y->numerator * PowerOfTen(scale - y->scale);
  if (difference < 0) difference = -difference;
  return difference * 2 * PowerOfTen(places) <= PowerOfTen(scale);
}

std::optional<std::pair<std::string, std::string>> TieRoundings(std::string_view value,
                                                                int places) {
  const std::optional<ScaledDecimal> x = ParseDecimal(value);
  if (!x || x->scale <= places) return std::nullopt;
  BigInt magnitude = x->numerator < 0 ? BigInt(-x->numerator) : x->numerator;
  // A tie: the digits past `places` are a 5 and zeros.
  const BigInt unit = PowerOfTen(x->scale - places);
  BigInt lower;
  BigInt rest;
  boost::multiprecision::divide_qr(magnitude, unit, lower, rest);
  if (rest * 2 != unit) return std::nullopt;
  const bool minus = x->numerator < 0;
  return std::make_pair(WithPlaces(minus, lower, places), WithPlaces(minus, lower + 1, places));
}

}  // namespace repbin
