// Tests of the platform seam's number reading: the C library's grammar and end on every system,
// and correct rounding where a C library gets it wrong.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <boost/multiprecision/cpp_int.hpp>

#include "output/platform.h"

namespace repbin {
namespace {

// Same value (any NaN matches any NaN) and same end as the C library.
template <class F, class Bits>
void ExpectSameReading(const std::string& text, F (*ours)(const char*, char**), F theirs,
                       const char* their_end) {
  char* end = nullptr;
  const F value = ours(text.c_str(), &end);
  EXPECT_EQ(end - text.c_str(), their_end - text.c_str()) << '"' << text << '"';
  if (std::isnan(theirs)) {
    EXPECT_TRUE(std::isnan(value)) << '"' << text << '"';
  } else {
    EXPECT_EQ(std::bit_cast<Bits>(value), std::bit_cast<Bits>(theirs)) << '"' << text << '"';
  }
}

TEST(PlatformTest, ReadsWhatTheCLibraryReadsAndStopsWhereItStops) {
  const char* const texts[] = {
      "5.375",
      " \t\n+5.375x",
      "-0.1",
      "-0",
      "--1",
      "+-1",
      "-+1",
      ".5",
      "5.",
      "1e",
      "1e+",
      "2.5e-3end",
      "0x1.8p1",
      "-0X10",
      "inf",
      "-Infinity",
      "nan",
      "NaN(1)",
      "abc",
      "",
      "-",
      "1e400",
      "-1e400",
      "1e-400",
      "1e39",
      "1e-46",
      "3.4028235677973366e38",
      "1.17549435e-38",
      "0.000000000000000000000000000000000000000000001401298464324817070923729583289916131280"};
  for (const std::string text : texts) {
    char* end = nullptr;
    const double d = std::strtod(text.c_str(), &end);
    ExpectSameReading<double, std::uint64_t>(text, out::StrToD, d, end);
    const float f = std::strtof(text.c_str(), &end);
    ExpectSameReading<float, std::uint32_t>(text, out::StrToF, f, end);
  }
}

// 1.5 times the smallest subnormal, written out exactly, lies halfway between it and twice it:
// to nearest, ties to even, it reads as twice the smallest, with either sign.
TEST(PlatformTest, HalfwaySubnormalsRoundToEven) {
  namespace mp = boost::multiprecision;
  const auto exactly = [](unsigned k) {  // 3 x 2^-k as an exact decimal text
    return (mp::cpp_int(3) * mp::pow(mp::cpp_int(5), k)).str() + "e-" + std::to_string(k);
  };
  for (const char* sign : {"", "-"}) {
    const std::string single = sign + exactly(150);
    const std::string dbl = sign + exactly(1075);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(std::fabs(out::StrToF(single.c_str(), nullptr))), 2u);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(std::fabs(out::StrToD(dbl.c_str(), nullptr))), 2u);
    EXPECT_EQ(std::signbit(out::StrToF(single.c_str(), nullptr)), *sign == '-');
  }
}

}  // namespace
}  // namespace repbin
