#include <cstdint>

#include "codec/bit_cast.h"
#include "codec/codec.h"

namespace repbin {

int R64BN(double num, char* bitmap, Trace& trace) {
  // The image, taken by defined means; the upper word carries sign and exponent.
  const auto image = BitCast<std::uint64_t>(num);
  const auto upper = static_cast<std::int32_t>(static_cast<std::uint32_t>(image >> 32));
  const auto lower = static_cast<std::int32_t>(static_cast<std::uint32_t>(image));
  // Each word converted as a signed value; the second overwrites the first one's NUL.
  const int upper_fits = DecBN(upper, bitmap, 32, trace);
  const int lower_fits = DecBN(lower, bitmap + 32, 32, trace);
  return (upper_fits != 0 || lower_fits != 0) ? 1 : 0;
}

}  // namespace repbin
