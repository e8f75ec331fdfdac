// The extended integer report against references computed another way: ranges from 128-bit
// machine arithmetic, bases from printf, readings from the decoders, and the hand method against
// the encoders' and decoders' own results, at the widths a course meets and at the ends of every
// range.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "operations/integer_report.h"
#include "operations/operations.h"
#include "output/output.h"
#include "real/exact.h"

namespace repbin {
namespace {

using ops::System;
__extension__ typedef __int128 Int128;

std::string Text(Int128 v) {
  if (v == 0) return "0";
  const bool negative = v < 0;
  std::string digits;
  for (; v != 0; v /= 10) {
    const auto d = static_cast<int>(v % 10);
    digits.insert(digits.begin(), static_cast<char>('0' + (negative ? -d : d)));
  }
  return negative ? "-" + digits : digits;
}

Int128 Pow2(int n) {
  return Int128{1} << n;
}

struct Range {
  Int128 min, max;
};

// The range of each system by its textbook formula.
Range RangeOf(System s, int n, Int128 z) {
  switch (s) {
    case System::kNatural: return {0, Pow2(n) - 1};
    case System::kSignMagnitude:
    case System::kOnes: return {-(Pow2(n - 1) - 1), Pow2(n - 1) - 1};
    case System::kTwos: return {-Pow2(n - 1), Pow2(n - 1) - 1};
    default: return {-z, Pow2(n) - 1 - z};
  }
}

// The reading of `bits` in each system, from its natural value.
Int128 ReadingOf(System s, const std::string& bits, Int128 z) {
  const int n = static_cast<int>(bits.size());
  Int128 u = 0;
  for (const char c : bits) u = u * 2 + (c == '1');
  const bool top = bits[0] == '1';
  switch (s) {
    case System::kNatural: return u;
    case System::kSignMagnitude: return top ? -(u - Pow2(n - 1)) : u;
    case System::kOnes: return top ? -(Pow2(n) - 1 - u) : u;
    case System::kTwos: return top ? u - Pow2(n) : u;
    default: return u - z;
  }
}

constexpr System kSystems[] = {System::kNatural, System::kSignMagnitude, System::kOnes,
                               System::kTwos, System::kExcess};
constexpr int kWidths[] = {1, 2, 8, 32, 64};
constexpr Int128 kExcesses[] = {127, 0, -5, 2147483647};  // the default, none, negative, huge

bool EndsWithWord(const std::string& line, const std::string& word) {
  return line.size() > word.size() && line.ends_with(word) &&
         line[line.size() - word.size() - 1] == ' ';
}

// The parts every report shares, against the references.
void CheckCommon(const ops::IntegerReport& r, System s, const std::string& bits, Int128 z) {
  const int n = static_cast<int>(bits.size());
  const Range range = RangeOf(s, n, z);
  EXPECT_EQ(r.min, Text(range.min));
  EXPECT_EQ(r.max, Text(range.max));
  const bool two_zeros = s == System::kSignMagnitude || s == System::kOnes;
  EXPECT_EQ(r.zeros.size(), two_zeros ? 2u : 0u);
  for (const std::string& zero : r.zeros) EXPECT_EQ(ReadingOf(s, zero, z), 0) << zero;
  unsigned long long u = 0;
  for (const char c : bits) u = u * 2 + (c == '1');
  char hex[32];
  char octal[32];
  std::snprintf(hex, sizeof hex, "%0*llX", (n + 3) / 4, u);
  std::snprintf(octal, sizeof octal, "%0*llo", (n + 2) / 3, u);
  EXPECT_EQ(r.hex, hex);
  EXPECT_EQ(r.octal, octal);
  std::string ungrouped = r.hex_groups;
  std::erase(ungrouped, ' ');
  EXPECT_EQ(ungrouped, bits);
  // The other systems' excess reading is in the usual excess of the width.
  const Int128 reading_z = s == System::kExcess ? z : Pow2(n - 1) - 1;
  EXPECT_EQ(r.excess, reading_z);
  // The readings are the decoders' own, which weigh the pattern bit by bit.
  ASSERT_EQ(r.readings.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(r.readings[i].system, kSystems[i]);
    const std::string decoded =
        DecodeExact(kSystems[i], bits.c_str(), n, static_cast<std::int64_t>(reading_z), NoTrace());
    EXPECT_EQ(r.readings[i].value, decoded);
  }
}

// Every system and width, at the ends of the range, zero, and one past each end (those of them
// a 32-bit value can be): the range verdict agrees with the encoder, the method ends with the
// pattern it wrote, and the pattern reads back as the value.
TEST(IntegerReportTest, RepresentationAtTheEdges) {
  int methods = 0;
  for (const System s : kSystems) {
    for (const int n : kWidths) {
      for (const Int128 z : kExcesses) {
        if (s != System::kExcess && z != 127) continue;
        const Range range = RangeOf(s, n, z);
        for (const Int128 v :
             {range.min - 1, range.min, Int128{0}, Int128{1}, range.max, range.max + 1}) {
          if (v < INT32_MIN || v > INT32_MAX) continue;
          const auto value = static_cast<std::int32_t>(v);
          SCOPED_TRACE(std::string(ops::SystemName(s)) + " " + Text(v) + " in " +
                       std::to_string(n) + " bits, Z " + Text(z));
          const ops::IntegerRepresentation written =
              ops::RepresentInteger({s, n, static_cast<int>(z)}, value, {}, NoTrace());
          const ops::IntegerReport r =
              ops::ReportIntegerRepresentation(s, value, written.cadena, static_cast<int>(z));
          CheckCommon(r, s, written.cadena, z);
          const bool inside = v >= range.min && v <= range.max;
          EXPECT_EQ(written.en_rango, inside);
          EXPECT_EQ(r.fit, inside          ? ops::Fit::kInside
                           : v < range.min ? ops::Fit::kBelow
                                           : ops::Fit::kAbove);
          EXPECT_EQ(r.distance, inside ? "" : Text(v < range.min ? range.min - v : v - range.max));
          if (!inside) {
            EXPECT_TRUE(r.method.empty());
            continue;
          }
          ASSERT_FALSE(r.method.empty());
          EXPECT_TRUE(EndsWithWord(r.method.back(), written.cadena)) << r.method.back();
          EXPECT_EQ(ReadingOf(s, written.cadena, z), v);
          ++methods;
        }
      }
    }
  }
  EXPECT_GT(methods, 60);
}

// Patterns at every width that sit at the turning points of the systems: the method's last line
// ends with the value the decoder reads.
TEST(IntegerReportTest, InterpretationEndsWithTheDecodersValue) {
  for (const int n : kWidths) {
    const auto w = static_cast<std::size_t>(n);
    // Zero and all ones, each end of the signed ranges, one, and a first and last bit set.
    std::vector<std::string> patterns = {
        std::string(w, '0'), std::string(w, '1'), "1" + std::string(w - 1, '0'),
        "0" + std::string(w - 1, '1'), std::string(w - 1, '0') + "1"};
    if (n > 1) patterns.push_back("1" + std::string(w - 2, '0') + "1");
    for (std::size_t i = 0; i < 5; ++i) {
      for (const std::string& bits : patterns) {
        for (const Int128 z : {Int128{127}, Int128{-5}}) {
          SCOPED_TRACE(std::string(ops::SystemName(kSystems[i])) + " " + bits);
          const std::string decoded =
              DecodeExact(kSystems[i], bits.c_str(), n, static_cast<std::int64_t>(z), NoTrace());
          const ops::IntegerReport r =
              ops::ReportIntegerInterpretation(kSystems[i], bits, static_cast<std::int64_t>(z));
          CheckCommon(r, kSystems[i], bits, z);
          ASSERT_FALSE(r.method.empty());
          EXPECT_TRUE(EndsWithWord(r.method.back(), decoded)) << r.method.back();
        }
      }
    }
  }
}

// The hand method as a student writes it: the carries of "+ 1" above the columns they enter.
TEST(IntegerReportTest, TwosComplementMethodShowsTheCarries) {
  const ops::IntegerReport r =
      ops::ReportIntegerRepresentation(System::kTwos, -40, "11011000", 127);
  const std::vector<std::string> method = {
      "-40 es negativo: se invierten los bits de su magnitud y se suma 1",
      "|-40| = 40 en binario natural:  00101000",
      "se invierten los bits:          11010111",
      "acarreos:                           111",
      "se suma 1:                    +        1",
      "                                --------",
      "complemento a dos de -40:       11011000"};
  EXPECT_EQ(r.method, method);
}

}  // namespace
}  // namespace repbin
