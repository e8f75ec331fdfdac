// Integer readings that are exact at every width: the decoders run on an unbounded integer, and
// the value comes back as decimal text, so that no header outside this layer's sources needs the
// big-number library.
#pragma once

#include <cstdint>
#include <string>

namespace repbin {

enum class IntegerCode { kNatural, kSignMagnitude, kOnes, kTwos, kExcess };

// Reads the `lim` characters at `bitmap` in `code` (with excess `Z` for kExcess) exactly, printing
// the decoder's trace as the fixed-width decoders do; returns the value in decimal.
std::string DecodeExact(IntegerCode code, const char* bitmap, int lim, std::int64_t Z = 0);

}  // namespace repbin
