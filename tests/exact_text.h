// Test helper: a decimal text as an exact rational, worked out digit by digit, so that tests
// compare the program's decimals with values they do not take from the program.
#pragma once

#include <boost/multiprecision/cpp_int.hpp>
#include <string>

namespace repbin::test {

// A decimal text ("-12.375") as a rational.
inline boost::multiprecision::cpp_rational Exact(const std::string& text) {
  namespace mp = boost::multiprecision;
  const bool negative = text.starts_with('-');
  mp::cpp_int whole = 0, scale = 1;
  bool fraction = false;
  for (const char c : negative ? text.substr(1) : text) {
    if (c == '.') {
      fraction = true;
      continue;
    }
    whole = whole * 10 + (c - '0');
    if (fraction) scale *= 10;
  }
  const mp::cpp_rational value(whole, scale);
  return negative ? mp::cpp_rational(-value) : value;
}

}  // namespace repbin::test
