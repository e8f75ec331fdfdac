// The bit-string decoders for the fixed-width result types.

#include <cstdint>

#include "codec/decoder_templates.h"

namespace repbin {

#define REPBIN_DECODERS(Int)                      \
  template Int BNsinsigno<Int>(const char*, int); \
  template Int BNSM<Int>(const char*, int);       \
  template Int BNC1<Int>(const char*, int);       \
  template Int BNC2<Int>(const char*, int);       \
  template Int BNEZ<Int>(const char*, int, Int);
REPBIN_DECODERS(std::int32_t)
REPBIN_DECODERS(std::int64_t)
#undef REPBIN_DECODERS

}  // namespace repbin
