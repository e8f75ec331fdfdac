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
