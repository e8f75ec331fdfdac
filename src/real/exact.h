// Integer readings that are exact at every width: the decoders run on an unbounded integer, and
// the value comes back as decimal text, so that no header outside this layer's sources needs the
// big-number library.
#pragma once

#include <cstdint>
#include <string>

#include "codec/system.h"
#include "output/trace.h"

namespace repbin {

// Reads the `lim` characters at `bitmap` in `system` (an integer system; with excess `Z` for
// kExcess) exactly, reporting the decoder's trace as the fixed-width decoders do; returns the value
// in decimal.
std::string DecodeExact(System system, const char* bitmap, int lim, std::int64_t Z, Trace& trace);

}  // namespace repbin

#include <memory>
#include <optional>
#include <string_view>
#include <utility>

namespace repbin {

// The fraction of a fixed-point text, the digits after its point, held exactly as the decimal it
// is (digits / 10^count) and doubled exactly, as the binary expansion by repeated doubling needs.
class DecimalFraction {
 public:
  // `digits` holds only '0' to '9' (none is 0).
  explicit DecimalFraction(std::string_view digits);
  ~DecimalFraction();
  DecimalFraction(const DecimalFraction&) = delete;
  DecimalFraction& operator=(const DecimalFraction&) = delete;

  bool IsZero() const;
  // Whether the value is below 2^-n (n >= 0).
  bool IsBelowPowerOfTwo(int n) const;
  // The double nearest the value, ties to even.
  double Nearest() const;
  // Doubles the value and takes its integer part off, which it returns (0 or 1).
  int DoubleAndTakeDigit();

 private:
  struct Value;
  std::unique_ptr<Value> value_;
};

// Whether the decimal numbers `a` and `b` (an optional sign, digits with an optional point, an
// optional exponent "e-3") lie within half a unit of decimal place `places` of each other, bounds
// included, compared exactly; false when either is not such a number.
bool WithinHalfUnit(std::string_view a, std::string_view b, int places);

// When the exact decimal `value` lies halfway between two numbers of `places` decimals, those two
// (the smaller magnitude first), written with `places` decimals.
std::optional<std::pair<std::string, std::string>> TieRoundings(std::string_view value, int places);

}  // namespace repbin
