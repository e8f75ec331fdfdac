// Tests of the integer codecs: the strings they write or read, their flags and their exact traces.

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "codec/codec.h"
#include "real/exact.h"
#include "support.h"

namespace repbin {
namespace {

using test::Capture;
using S = std::string;

constexpr std::int32_t kMin = INT32_MIN, kMax = INT32_MAX;

// The pieces of a trace; every number in them is written out by the test itself.
S Heading(long long num) {
  return test::Cp850("=======Conversión a binario del número " + std::to_string(num) + " ======\n");
}
S Excess(int z, long long num, long long sum) {
  return test::Cp850(" \n El Exceso " + std::to_string(z) + " del " + std::to_string(num) +
                     " es en binario el número " + std::to_string(sum) + " \n");
}
// A conversion shown only in string lines: the k-th line shows the last k characters, '_' before.
S StrLines(const S& bits) {
  S lines;
  for (std::size_t k = 1; k <= bits.size(); ++k)
    lines += "\t\t\t\t\t " + S(bits.size() - k, '_') + bits.substr(bits.size() - k) + "\n";
  return lines;
}

// Runs an encoder on a buffer full of 'x' and returns string, flag and trace, checking the field
// convention: a NUL right after the `lim` characters, nothing beyond it, nothing on standard error.
template <class Fn>
std::tuple<S, int, S> RunField(int lim, Fn encode) {
  S buf(80, 'x');
  int fits = -1;
  const auto printed = Capture([&] { fits = encode(buf.data()); });
  const auto width = static_cast<std::size_t>(lim);
  EXPECT_EQ(buf.substr(width, 2), S("\0x", 2));
  EXPECT_EQ(printed.err, "");
  return {buf.substr(0, width), fits, printed.out};
}

enum class Sys { kNat, kSM, kC1, kC2, kEZ };

std::tuple<S, int, S> RunEncode(Sys sys, std::int32_t num, int lim, int z = 0) {
  return RunField(lim, [&](char* b) {
    Trace& t = PrintedTrace();
    if (sys == Sys::kSM) return SMBN(num, b, lim, t);
    if (sys == Sys::kC1) return C1BN(num, b, lim, t);
    if (sys == Sys::kC2) return C2BN(num, b, lim, t);
    return sys == Sys::kEZ ? EZBN(num, b, lim, z, t) : DecBN(num, b, lim, t);
  });
}

template <class Int>
Int Decode(Sys sys, const char* bitmap, int lim, Int z) {
  Trace& t = PrintedTrace();
  if (sys == Sys::kSM) return BNSM<Int>(bitmap, lim, t);
  if (sys == Sys::kC1) return BNC1<Int>(bitmap, lim, t);
  if (sys == Sys::kC2) return BNC2<Int>(bitmap, lim, t);
  return sys == Sys::kEZ ? BNEZ<Int>(bitmap, lim, z, t) : BNsinsigno<Int>(bitmap, lim, t);
}

// The exact reading, in decimal.
S DecodeExactly(Sys sys, const char* bitmap, int lim, std::int64_t z) {
  constexpr System kSystems[] = {System::kNatural, System::kSignMagnitude, System::kOnes,
                                 System::kTwos, System::kExcess};
  return DecodeExact(kSystems[static_cast<int>(sys)], bitmap, lim, z, PrintedTrace());
}

// Representable values in `lim` bits, from the textbook range of each system.
std::pair<long double, long double> RangeOf(Sys sys, int lim, int z) {
  const long double half = std::ldexp(1.0L, lim - 1);
  if (sys == Sys::kSM || sys == Sys::kC1) return {-(half - 1), half - 1};
  if (sys == Sys::kC2) return {-half, half - 1};
  return {-z, 2 * half - 1 - z};  // natural binary has z = 0
}

// The worked example byte for byte, accented letters included.
TEST(DecBNTest, WorkedExampleExactBytes) {
  EXPECT_EQ(RunEncode(Sys::kNat, 6, 4),
            std::make_tuple(S("0110"), 1,
                            S("=======Conversi\xA2n a binario del n\xA3mero 6 ======\n"
                              "\t6/2=\t 3\t y el resto 0 \t ___0\n"
                              "\t3/2=\t 1\t y el resto 1 \t __10\n"
                              "\t1/2=\t 0\t y el resto 1 \t _110\n"
                              "\t\t\t\t\t 0110\n")));
}

// Worked examples, wide fields (the sign repeats) and stored numbers beyond 32 bits: string, flag
// and the start of the trace, which has a line per converted position after the heading.
TEST(SignedEncoderTest, WorkedExamplesAndBeyond32Bits) {
  const struct {
    Sys sys;
    std::int32_t num;
    int lim, z, fits;
    S bits, trace;
  } cases[] = {
      {Sys::kNat, -6, 40, 0, 0, S(36, '1') + "1010", Heading(-6)},
      {Sys::kNat, kMin, 64, 0, 0, S(33, '1') + S(31, '0'), Heading(kMin)},
      {Sys::kC2, -5, 4, 0, 1, "1011", Heading(-5)},
      {Sys::kC1, -5, 4, 0, 1, "1010", Heading(-6) + StrLines("1010")},
      {Sys::kSM, -5, 4, 0, 1, "1101", Heading(5) + "\t5/2=\t 2\t y el resto 1 \t __1\n"},
      {Sys::kEZ, -3, 8, 127, 1, "01111100", Excess(127, -3, 124) + Heading(124)},
      {Sys::kSM, kMin, 32, 0, 0, "1" + S(31, '0'), Heading(2147483648)},
      {Sys::kSM, kMin, 33, 0, 1, "11" + S(31, '0'), Heading(2147483648)},
      {Sys::kC1, kMin, 32, 0, 0, "0" + S(31, '1'), Heading(-2147483649)},
      {Sys::kC1, kMin, 33, 0, 1, "10" + S(31, '1'), Heading(-2147483649)},
      {Sys::kEZ, kMax, 32, kMax, 1, S(31, '1') + "0", Excess(kMax, kMax, 4294967294)},
      {Sys::kEZ, kMin, 33, -1, 0, "10" + S(31, '1'), Excess(-1, kMin, -2147483649)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    const auto [bits, fits, out] = RunEncode(c.sys, c.num, c.lim, c.z);
    EXPECT_EQ(bits, c.bits);
    EXPECT_EQ(fits, c.fits);
    EXPECT_TRUE(out.starts_with(c.trace)) << out;
    const int lines = (c.sys == Sys::kEZ ? 3 : 1) + c.lim - (c.sys == Sys::kSM ? 1 : 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), lines);
  }
}

// Every width: the flag around both ends of the range formula, and a value that fits reads back in
// both decoder forms. Widths up to 10: every string read as its textbook value and written back.
TEST(CodecRoundTrip, RangesAndEveryShortString) {
  for (const Sys sys : {Sys::kNat, Sys::kSM, Sys::kC1, Sys::kC2, Sys::kEZ}) {
    const int z = sys == Sys::kEZ ? 127 : 0;
    for (int lim = sys == Sys::kNat ? 0 : 1; lim <= 64; ++lim) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(sys) << " in " << lim);
      const auto [lo, hi] = RangeOf(sys, lim, z);
      for (const long double v : {lo - 1, lo, lo + 1, hi - 1, hi, hi + 1, 0.0L, -1.0L,
                                  static_cast<long double>(kMin), static_cast<long double>(kMax)}) {
        if (v < kMin || v > kMax) continue;
        const auto num = static_cast<std::int32_t>(v);
        const auto [bits, fits, out] = RunEncode(sys, num, lim, z);
        EXPECT_EQ(fits, lo <= v && v <= hi ? 1 : 0) << num;
        if (fits != 1 || lim == 0) continue;
        Capture([&] {
          EXPECT_EQ(DecodeExactly(sys, bits.data(), lim, z), std::to_string(num));
          EXPECT_EQ(Decode<std::int64_t>(sys, bits.data(), lim, z), num);
          EXPECT_EQ(lim > 32 ? num : Decode<std::int32_t>(sys, bits.data(), lim, z), num);
        });
      }
      if (lim == 0 || lim > 10) continue;
      const int half = 1 << (lim - 1);
      std::set<int> values;
      for (int u = 0; u < 2 * half; ++u) {
        S s;
        for (int b = lim - 1; b >= 0; --b) s += (u >> b & 1) != 0 ? '1' : '0';
        int expected = u - z;
        if (sys == Sys::kSM && u >= half) expected = half - u;
        if (sys == Sys::kC1 && u >= half) expected = u - (2 * half - 1);
        if (sys == Sys::kC2 && u >= half) expected = u - 2 * half;
        std::int32_t read = 0;
        Capture([&] { read = Decode<std::int32_t>(sys, s.data(), lim, z); });
        EXPECT_EQ(read, expected) << s;
        values.insert(read);
        const auto [bits, fits, out] = RunEncode(sys, read, lim, z);
        // Zero, including the negative zeros of SM and C1, is written as all '0'.
        EXPECT_EQ(bits, read == 0 && sys != Sys::kEZ ? S(s.size(), '0') : s);
        EXPECT_EQ(fits, 1) << s;
      }
      EXPECT_EQ(static_cast<long double>(values.size()), hi - lo + 1);
    }
  }
}

// The decoders in their 32-bit form (which wraps modulo 2^32) and their 64-bit form: what prints,
// what stays silent, other characters, a field read by width and the empty field.
TEST(DecoderTest, WorkedExamplesAndWideFields) {
  const S top = "1" + S(31, '0'), top40 = "1" + S(39, '0'), top64 = "1" + S(63, '0');
  const struct {
    bool wide;
    Sys sys;
    int lim, z;
    S field, printed;
    std::int64_t value;
  } cases[] = {
      {false, Sys::kNat, 4, 0, "011011", "\n0110=2^2+2^1=6\n", 6},
      {false, Sys::kNat, 2, 0, "12", "\n12=2^1=4\n", 4},
      {false, Sys::kNat, 0, 0, "", "\n==0\n", 0},
      {false, Sys::kSM, 4, 0, "1101", "\n101=2^2+2^0=5\n", -5},
      {false, Sys::kSM, 4, 0, "2101", "\n101=2^2+2^0=5\n", 5},
      {false, Sys::kC1, 4, 0, "0101", "\n0101=2^2+2^0=5\n", 5},
      {false, Sys::kC1, 4, 0, "1010", "", -5},
      {false, Sys::kC1, 4, 0, "2101", "", 6},
      {false, Sys::kC2, 4, 0, "1011", "", -5},
      {false, Sys::kC2, 4, 0, "2101", "", 5},
      {false, Sys::kEZ, 8, 127, "01111100", "\n01111100=2^6+2^5+2^4+2^3+2^2=124\n", -3},
      {false, Sys::kEZ, 8, 127, "00000000", "\n00000000==0\n", -127},
      {false, Sys::kNat, 32, 0, top, "\n" + top + "=2^31=-2147483648\n", kMin},
      {false, Sys::kNat, 40, 0, top40, "\n" + top40 + "=2^39=0\n", 0},
      {true, Sys::kNat, 32, 0, top, "\n" + top + "=2^31=2147483648\n", 2147483648},
      {true, Sys::kC2, 40, 0, top40, "", -549755813888},
      {true, Sys::kEZ, 40, 1, top40, "\n" + top40 + "=2^39=549755813888\n", 549755813887},
      {true, Sys::kNat, 64, 0, top64, "\n" + top64 + "=2^63=-9223372036854775808\n", INT64_MIN},
      {true, Sys::kC2, 64, 0, top64, "", INT64_MIN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    std::int64_t value = 0;
    const auto printed = Capture([&] {
      value = c.wide ? Decode<std::int64_t>(c.sys, c.field.data(), c.lim, c.z)
                     : Decode<std::int32_t>(c.sys, c.field.data(), c.lim, c.z);
    });
    EXPECT_EQ(printed.out, c.printed);
    EXPECT_EQ(printed.err, "");
    EXPECT_EQ(value, c.value);
  }
}

// The exact form: no wrap-around at any width, the expansion line showing the exact value, other
// characters weighing exactly their code minus 48 (' ' weighs -16).
TEST(DecoderTest, ExactAtEveryWidth) {
  const auto powers = [](int high) {  // "2^high+...+2^0"
    S terms = "2^" + std::to_string(high);
    for (int p = high - 1; p >= 0; --p) terms += "+2^" + std::to_string(p);
    return terms;
  };
  const S one31 = "1" + S(30, '0') + "1", ones32(32, '1'), ones64(64, '1'),
          top64 = "1" + S(63, '0');
  const struct {
    Sys sys;
    int lim, z;
    S field, printed, value;
  } cases[] = {
      {Sys::kNat, 32, 0, one31, "\n" + one31 + "=2^31+2^0=2147483649\n", "2147483649"},
      {Sys::kNat, 64, 0, ones64, "\n" + ones64 + "=" + powers(63) + "=18446744073709551615\n",
       "18446744073709551615"},
      {Sys::kNat, 64, 0, S(64, '2'), "\n" + S(64, '2') + "==36893488147419103230\n",
       "36893488147419103230"},
      {Sys::kNat, 2, 0, "1 ", "\n1 =2^1=-14\n", "-14"},
      {Sys::kSM, 64, 0, ones64, "\n" + S(63, '1') + "=" + powers(62) + "=9223372036854775807\n",
       "-9223372036854775807"},
      {Sys::kC1, 64, 0, top64, "", "-9223372036854775807"},
      {Sys::kC1, 33, 0, "1" + S(32, '0'), "", "-4294967295"},
      {Sys::kC2, 64, 0, top64, "", "-9223372036854775808"},
      {Sys::kC2, 64, 0, ones64, "", "-1"},
      {Sys::kC2, 64, 0, "0" + S(63, '1'),
       "\n0" + S(63, '1') + "=" + powers(62) + "=9223372036854775807\n", "9223372036854775807"},
      {Sys::kEZ, 32, 127, ones32, "\n" + ones32 + "=" + powers(31) + "=4294967295\n", "4294967168"},
      {Sys::kEZ, 64, -1, ones64, "\n" + ones64 + "=" + powers(63) + "=18446744073709551615\n",
       "18446744073709551616"},
      {Sys::kEZ, 64, kMax, S(64, '0'), "\n" + S(64, '0') + "==0\n", "-2147483647"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    S value;
    const auto printed = Capture([&] { value = DecodeExactly(c.sys, c.field.data(), c.lim, c.z); });
    EXPECT_EQ(printed.out, c.printed);
    EXPECT_EQ(value, c.value);
  }
}

// The image of a double as its two words; the flag is 0 only when both words have the top bit set.
TEST(R64BNTest, ImagesAndWordTraces) {
  for (const auto& [num, image, flag] :
       {std::tuple(1.0, 0x3FF0000000000000ULL, 1), std::tuple(-2.0, 0xC000000000000000ULL, 1),
        std::tuple(double{0.1f}, 0x3FB99999A0000000ULL, 1),
        std::tuple(-0.1, 0xBFB999999999999AULL, 0)}) {
    SCOPED_TRACE(num);
    const auto [bits, result, out] =
        RunField(64, [&](char* b) { return R64BN(num, b, PrintedTrace()); });
    EXPECT_EQ(bits, std::bitset<64>(image).to_string());
    EXPECT_EQ(result, flag);
  }
  // Each word is converted as a signed 32-bit value: -2.0 shows only string lines.
  EXPECT_EQ(std::get<2>(RunField(64, [](char* b) { return R64BN(-2.0, b, PrintedTrace()); })),
            Heading(-1073741824) + StrLines("11" + S(30, '0')) + Heading(0) + StrLines(S(32, '0')));
}

}  // namespace
}  // namespace repbin
