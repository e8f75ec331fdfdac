// The object representation of a value as another type of the same size, by defined means.
//
// std::bit_cast where the standard library has it; a std::memcpy copy where it does not (the
// libc++ of the Emscripten toolchain Debian ships lacks it).
#pragma once

#include <version>

#if defined(__cpp_lib_bit_cast)
#include <bit>
#else
#include <cstring>
#include <type_traits>
#endif

namespace repbin {

template <class To, class From>
To BitCast(const From& from) {
  static_assert(sizeof(To) == sizeof(From), "BitCast needs types of the same size");
#if defined(__cpp_lib_bit_cast)
  return std::bit_cast<To>(from);
#else
  static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
  To to;
  std::memcpy(&to, &from, sizeof(To));
  return to;
#endif
}

}  // namespace repbin
