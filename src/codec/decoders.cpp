// The bit-string decoders for the fixed-width result types.

#include <cstdint>

#include "codec/decoder_templates.h"

namespace repbin {

#define REPBIN_DECODERS(Int)                              \
  template Int BNsinsigno<Int>(const char*, int, Trace&); \
  template Int BNSM<Int>(const char*, int, Trace&);       \
  template Int BNC1<Int>(const char*, int, Trace&);       \
  template Int BNC2<Int>(const char*, int, Trace&);       \
  template Int BNEZ<Int>(const char*, int, Int, Trace&);
REPBIN_DECODERS(std::int32_t)
REPBIN_DECODERS(std::int64_t)
#undef REPBIN_DECODERS

}  // namespace repbin
