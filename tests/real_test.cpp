// Tests of the real-number codecs: the format descriptor, BNCFL, CFLBN, CFBN and CFCFL.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <bitset>
#include <boost/multiprecision/cpp_int.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "codec/codec.h"
#include "real/real.h"
#include "support.h"

namespace repbin {
namespace {

using test::Capture;
using test::Cp850;

struct Layout {  // a floating-point format as the dialogue fills it
  int nb, nbexp, posexp, posmantisa, possigno, type_exp, z, type_man, norma;
};
// 32 bits, by default IEEE 754 single: sign, 8-bit exponent in excess 127, 23-bit mantissa 1'M.
constexpr Layout Single(int type_man = 0, int norma = 1, int type_exp = 3) {
  return {32, 8, 1, 9, 0, type_exp, 127, type_man, norma};
}
// `nb` bits: sign, 5-bit exponent (excess 16 unless told otherwise), the rest mantissa.
constexpr Layout Small(int nb, int norma, int type_man = 0, int type_exp = 3) {
  return {nb, 5, 1, 6, 0, type_exp, 16, type_man, norma};
}
constexpr Layout kDouble{64, 11, 1, 12, 0, 3, 1023, 0, 1};
constexpr Layout kExponentFirst{32, 8, 0, 9, 8, 3, 127, 0, 1};  // the sign after the exponent
constexpr Layout kMantissaFirst{32, 8, 24, 1, 0, 3, 127, 0, 1};

// The format the codecs below are run in, and the string they write, as the dialogue keeps them.
FloatFormat format{};
char buffer[kMaxWidth + 1];

// Makes `l` the format the tests run in and soils the working string with a character no codec
// writes. Returns whether the format is valid.
bool Set(const Layout& l) {
  format = {l.nb,       l.nbexp, l.posexp,   l.posmantisa, l.possigno,
            l.type_exp, l.z,     l.type_man, l.norma};
  std::string(kMaxWidth, 'x').copy(buffer, kMaxWidth);  // buffer[kMaxWidth] stays the NUL
  return DescriptorIsValid(format);
}

// The codecs in that format, printing their traces.
int CFLBN(float num, char* bitmap) {
  return repbin::CFLBN(format, num, bitmap, PrintedTrace());
}
float BNCFL(const char* bitmap) {
  return repbin::BNCFL(format, bitmap, PrintedTrace());
}
int CFCFL(const char* decimal, char* bitmap) {
  return repbin::CFCFL(format, decimal, bitmap, PrintedTrace());
}
int CFBN(const char* decimal, char* bitmap, int* coma) {
  return repbin::CFBN(decimal, bitmap, coma, PrintedTrace());
}

TEST(DescriptorTest, AcceptsOnlyFormatsTheCodecsCanHonour) {
  EXPECT_TRUE(Set({3, 1, 1, 2, 0, 0, 0, 0, 0}));  // the narrowest; other tests assert the rest
  // One breach each: nb 2 and 65, empty fields, sign in the exponent, overlap, mantissa or sign
  // past the end, a negative position, codes off their menus (no excess mantissa encoder).
  const Layout invalid[] = {{2, 0, 1, 1, 0, 0, 0, 0, 0},     {65, 11, 1, 12, 0, 3, 1023, 0, 1},
                            {32, 0, 1, 1, 0, 3, 127, 0, 1},  {32, 31, 1, 32, 0, 3, 127, 0, 1},
                            {32, 8, 0, 9, 0, 3, 127, 0, 1},  {32, 8, 1, 8, 0, 3, 127, 0, 1},
                            {32, 8, 1, 10, 0, 3, 127, 0, 1}, {32, 8, 1, 9, 32, 3, 127, 0, 1},
                            {32, 8, -1, 8, 7, 3, 127, 0, 1}, {32, 8, 1, 9, 0, 4, 127, 0, 1},
                            {32, 8, 1, 9, 0, -1, 127, 0, 1}, {32, 8, 1, 9, 0, 3, 127, 3, 1},
                            {32, 8, 1, 9, 0, 3, 127, 0, 3}};
  for (int i = 0; const Layout& l : invalid) EXPECT_FALSE(Set(l)) << "breach " << i++;
}

TEST(CFLBNTest, WritesAndReadsEachFormat) {
  // CFLBN writes, BNCFL reads back where marked; a wide mantissa gets '0' past the double's 52
  // fraction bits. A summary starting with a line break is BNCFL's whole output, else its last
  // line.
  const std::string ones(23, '1'), zeros(23, '0');
  using Case = std::tuple<Layout, float, std::string, bool, std::string>;
  for (const auto& [layout, number, bits, read_back, summary] : std::vector<Case>{
           {Single(), 5.0f, "01000000101000000000000000000000", true,
            "\n10000001=2^7+2^0=129\n\n101000000000000000000000=2^23+2^21=10485760\n"
            "(-1)^0 1'01000000000000000000000 2^2=5.000000 \n "},
           {Small(16, 0, 1), -1.0f, "1100010111111111", true,
            "\n10001=2^4+2^0=17\n(-1)^1 0'0111111111 2^1=-1.000000 \n "},
           {Single(), -2.5f, "11000000001000000000000000000000", true,
            "(-1)^1 1'01000000000000000000000 2^1=-2.500000"},
           {Single(), 0.1f, "00111101110011001100110011001101", true,
            "(-1)^0 1'10011001100110011001101 2^-4=0.100000"},
           // 2^-127 would take zero's pattern: written, out of range, read as zero.
           {Single(), 0x1p-127f, "000000000" + zeros, false, ""},
           {kExponentFirst, -2.5f, "10000000101000000000000000000000", true,
            "(-1)^1 1'01000000000000000000000 2^1=-2.500000"},
           {Small(16, 0), 1.0f, "0100011000000000", true, "(-1)^0 0'1000000000 2^1=1.000000"},
           {Small(16, 1), 1.0f, "0100000000000000", true, "(-1)^0 1'0000000000 2^0=1.000000"},
           {Small(16, 2), 1.0f, "0100010000000000", true, "(-1)^0 0'10000000000 2^1=1.000000"},
           {Single(0, 1, 2), 0.25f, "011111110" + zeros, true, ""},
           {Single(0, 1, 1), 0.25f, "011111101" + zeros, true, ""},
           {Single(0, 1, 0), 0.25f, "010000010" + zeros, true, ""},
           {Small(64, 0), 0x1.fffffep0f, "010001" + ones + "1" + zeros + "00000000000", true, ""},
           {Single(), 0.0f, "000000000" + zeros, true, "(-1)^0 0=0.000000"},  // +0 and -0
           {Single(), -0.0f, "100000000" + zeros, true, "(-1)^1 0=-0.000000"},
           // Complement mantissas: the implicit bit reads complemented ('1' after a carry).
           {Single(1), -1.0f, "101111111" + ones, true, "(-1)^1 1'" + ones + " 2^0=-1.000000"},
           {Single(1), -1.25f, "10111111110111111111111111111111", true, ""},
           {Single(2), -1.25f, "10111111111000000000000000000000", true,
            "(-1)^1 1'11000000000000000000000 2^0=-1.250000"},
           {Single(2), -1.0f, "101111111" + zeros, true, ""},
           {Small(16, 2, 2), -0.75f, "1100001000000000", true, ""},
           {Small(16, 2, 1), -0.75f, "1100000111111111", true, ""},
           {Single(2), 1.25f, "00111111101000000000000000000000", true, ""}}) {
    SCOPED_TRACE(bits);
    ASSERT_TRUE(Set(layout));
    Capture([&] { CFLBN(number, buffer); });
    EXPECT_EQ(std::string(buffer), bits);
    if (!read_back) continue;
    float value = 0;
    const auto printed = Capture([&] { value = BNCFL(bits.c_str()); });
    EXPECT_EQ(value, number);
    EXPECT_EQ(printed.err, "");
    if (summary.starts_with('\n')) {
      EXPECT_EQ(printed.out, summary);
    } else if (!summary.empty()) {
      EXPECT_TRUE(printed.out.ends_with("\n" + summary + " \n ")) << printed.out;
    }
  }
}

TEST(BNCFLTest, MatchesTheMachineFloat) {
  // Random single patterns with exponents 1..254 read as the float and are written back.
  ASSERT_TRUE(Set(Single()));
  std::mt19937 r(20240611U);
  Capture([&] {
    for (int n = 0; n < 3000; ++n) {
      const auto pattern = static_cast<std::uint32_t>((r() & 0x807FFFFFU) | (1 + r() % 254) << 23);
      const std::string bits = std::bitset<32>(pattern).to_string();
      EXPECT_EQ(BNCFL(bits.c_str()), std::bit_cast<float>(pattern)) << bits;
      CFLBN(std::bit_cast<float>(pattern), buffer);
      EXPECT_EQ(std::string(buffer), bits);
    }
  });
  // Doubles round once: 53-bit mantissas must not pass through a float, as the subnormal just
  // above a midpoint (2.5 + 2^-30 units of 2^-149) shows: 3 units, where twice rounded gives 2.
  ASSERT_TRUE(Set(kDouble));
  const double near_tie = std::ldexp(2.5 + std::ldexp(1.0, -30), -149);
  ASSERT_EQ(static_cast<float>(near_tie), std::bit_cast<float>(0x00000003U));
  for (const double d : {1.0, 0.1, 1.0 / 3.0, -123456.789, 1e30, -3.4028235677973366e38, 1e-40,
                         1e-300, 1e300, -1e300, near_tie}) {
    const std::string bits = std::bitset<64>(std::bit_cast<std::uint64_t>(d)).to_string();
    float value = 0;
    const auto printed = Capture([&] { value = BNCFL(bits.c_str()); });
    EXPECT_EQ(value, static_cast<float>(d)) << d;  // inf beyond the float range
    EXPECT_TRUE(d != 1e300 || printed.out.ends_with(" 2^996=inf \n ")) << printed.out;
  }
}

// What the encoders write reads back as the value they were given, truncated to the bits the
// mantissa holds: random layouts (field order, exponent system, every mantissa system and
// normalisation, widths up to 64) and values m x 2^k of at most 8 significant bits, typed as a
// floating value (CFLBN) and as fixed-point text (CFCFL), which must write the same string.
TEST(RoundTripProperty, EncodedStringsReadBackTruncated) {
  std::mt19937 r(20250203U);
  const auto draw = [&r](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(r);
  };
  int checked = 0;
  for (int n = 0; n < 5000; ++n) {
    const int bits = draw(1, 8), k = draw(-20, 16);
    const int m = bits == 1 ? 1 : (1 << (bits - 1)) | draw(0, (1 << (bits - 1)) - 1) | 1;
    const bool negative = draw(0, 1) == 1;
    Layout l{};
    l.nbexp = draw(4, 10);
    const int nbman = draw(1, 63 - l.nbexp);
    l.nb = 1 + l.nbexp + nbman;
    l.type_exp = draw(0, 3), l.type_man = draw(0, 2), l.norma = draw(0, 2);
    l.z = (1 << (l.nbexp - 1)) + draw(-4, 3);
    int order[] = {0, 1, 2}, widths[] = {1, l.nbexp, nbman}, start = 0;
    std::shuffle(std::begin(order), std::end(order), r);
    for (const int field : order) {
      (field == 0 ? l.possigno : field == 1 ? l.posexp : l.posmantisa) = start;
      start += widths[field];
    }
    // The stored exponent (of 1.M, or of 0.1M) must fit its field, or nothing can read it back.
    const int exp = bits - 1 + k + (l.norma == 1 ? 0 : 1), half = 1 << (l.nbexp - 1);
    const bool fits = l.type_exp == 3   ? exp + l.z >= 0 && exp + l.z < 2 * half
                      : l.type_exp == 2 ? exp >= -half && exp < half
                                        : exp > -half && exp < half;
    if (!fits) continue;
    ASSERT_TRUE(Set(l));
    const int kept = l.norma == 0 ? nbman : nbman + 1;  // significant bits the format holds
    const int dropped = std::max(0, bits - kept);
    const float value = std::ldexp(static_cast<float>(negative ? -m : m), k);
    const int m_kept = m >> dropped << dropped;  // truncated towards zero
    // With an implicit bit, the smallest exponent and a stored mantissa of zero are zero's
    // pattern: such a value does not fit, and the pattern reads as zero.
    const bool smallest = l.type_exp == 3   ? exp + l.z == 0
                          : l.type_exp == 2 ? exp == -half
                                            : exp == -(half - 1);
    if (l.norma != 0 && smallest && m_kept == 1 << (bits - 1)) {
      int written = 1;
      float read = 1;
      written = repbin::CFLBN(format, value, buffer, NoTrace());
      read = repbin::BNCFL(format, buffer, NoTrace());
      EXPECT_EQ(written, 0);
      EXPECT_EQ(read, 0.0f);
      EXPECT_EQ(std::signbit(read), negative);
      continue;
    }
    const float truncated = std::ldexp(static_cast<float>(negative ? -m_kept : m_kept), k);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::max(0, -k), static_cast<double>(value));
    SCOPED_TRACE(testing::Message()
                 << text << " in " << l.nb << " bits, exponent " << l.nbexp << " at " << l.posexp
                 << " system " << l.type_exp << ", sign at " << l.possigno << ", mantissa at "
                 << l.posmantisa << " system " << l.type_man << " form " << l.norma);
    std::string from_value, from_text;
    float read_value = 0, read_text = 0;
    repbin::CFLBN(format, value, buffer, NoTrace());
    from_value = buffer;
    read_value = repbin::BNCFL(format, buffer, NoTrace());
    repbin::CFCFL(format, text, buffer, NoTrace());
    from_text = buffer;
    read_text = repbin::BNCFL(format, buffer, NoTrace());
    EXPECT_EQ(from_value.size(), static_cast<std::size_t>(l.nb));
    EXPECT_EQ(from_text, from_value);
    EXPECT_EQ(read_value, truncated) << from_value;
    EXPECT_EQ(read_text, truncated) << from_text;
    if (HasFailure()) return;
    ++checked;
  }
  EXPECT_GE(checked, 3000);
}

// What CFBN prints for 5.375: heading, halving of 5, doublings of .375, result.
std::string Fixed5375() {
  return Cp850(
      "\n=== Conversión a binario del número en coma flotante 5.375 ====\n"
      "=======Conversión a binario del número 5 ======\n\t5/2=\t 2\t y el resto 1 \t __1\n"
      "\t2/2=\t 1\t y el resto 0 \t _01\n\t1/2=\t 0\t y el resto 1 \t 101\n\n"
      " =Parte fraccionaria 0.375=\n\t 0.375000x2=0.750000 \t \t 0.0...\n"
      "\t 0.750000x2=0.500000 \t \t 0.01...\n\t 0.500000x2=0.000000 \t \t 0.011...\n"
      "La parte fracionaria 0.375 es igual 0.011 \n El valor en coma fija es +101.011\n");
}

TEST(CFBNTest, ChecksAndWritesFixedTexts) {
  // Sign of an empty integer part, ',' not a separator, empty fractions, the 64-character cap (61
  // digits after "+0.", 42 after a 20-bit integer part), the widest integer part.
  using Case = std::tuple<const char*, std::string, int>;
  const Case cases[] = {
      {"5.375", "+101.011", 3},
      {"5", "+101.0", 3},
      {"-.5", "-0.1", 0},
      {"-6.25", "-110.01", 3},
      {"3,25", "+11.0", 2},
      {"5.", "+101.", 3},
      {".1", "+0.0001100110011001100110011001100110011001100110011001100110011", -3},
      {"0.000000000000000000001", "+0." + std::string(61, '0'), 3},
      {"1000000.0000001", "+11110100001001000000.000000000000000000000001101011010111111100", 20},
      {"2147483647", "+" + std::string(31, '1') + ".0", 31},
      // Just below one: 26 '1' digits, then the rest of 1 - 10^-8, up to the text's end.
      {"0.99999999", "+0." + std::string(26, '1') + "01010100001100111000100011101110011", 0},
      {"-9.99999999", "-1001." + std::string(26, '1') + "01010100001100111000100011101110", 4}};
  for (const auto& [input, text, coma] : cases) {
    SCOPED_TRACE(input);
    std::string bits(64, '0');  // as CFCFL hands it over
    int exponent = 99, length = 0;
    const auto printed = Capture([&] { length = CFBN(input, bits.data(), &exponent); }).out;
    EXPECT_EQ(std::string(bits.c_str()), text);
    EXPECT_EQ(length, static_cast<int>(text.size()));
    EXPECT_EQ(exponent, coma);
    EXPECT_TRUE(printed.ends_with("El valor en coma fija es " + text + "\n")) << printed;
    if (text == "+101.011") {
      EXPECT_EQ(printed, Fixed5375());
    }
  }
  // Decimal numbers only; integer parts within 32 bits (4294967297 would wrap to 1); below one,
  // a first '1' within the text: 2^-61 (4.3e-19) is the last fraction digit that fits.
  using enum FixedTextFault;
  const std::tuple<FixedTextFault, std::vector<std::string>> faults[] = {
      {kNone,
       {"5", "-5.375", "5.", ".5", "+0.1", "-0", "0.000", ".0", "2147483647.5", "-2147483647",
        "0.9999999", "3.99999999", "-.99999999", "2147483647.99999999", "0.0000000000000000005",
        "0." + std::string(60, '0')}},
      {kNotANumber,
       {"abc", "1e-10", ".1e1", ".5e39", "1/3", "--5", "+-5", "5.5.5", "-", "+", ".", "-.", "",
        " 5", "5 ", "0x10", "inf", "1,000.5", ","}},
      {kDecimalComma, {"0,1", "3,25", "-,5", "5,"}},
      {kIntegerTooLarge, {"2147483648", "-2147483648", "4294967297.5", "99999999999999999999"}},
      {kTooSmall,
       {"0.00000000000000000001", "-.0000000000000000004", "0.000000000000000000001",
        "0.0000000000000000000000000000000000000000000000001"}}};
  for (const auto& [fault, inputs] : faults) {
    for (const std::string& input : inputs) {
      EXPECT_EQ(CheckFixedText(input.c_str()), fault) << input;
    }
  }
  // The messages say what to do.
  EXPECT_EQ(FixedTextMessage(kDecimalComma, "-0,25", ""), "use el punto decimal: -0.25");
  EXPECT_NE(FixedTextMessage(kTooSmall, "1e-20", "--valor").find("(--valor)"), std::string::npos);
}

TEST(CFCFLTest, NormalisesAndEncodesEachFormat) {
  // Below one, zero (no '1'), a 4-bit mantissa, 7 in a 3-bit sign-magnitude exponent; fields out of
  // order: the mantissa line runs into the exponent, the exponent line into the sign and stops at
  // the mantissa not yet written (the working string is soiled before each case); a fraction of 1.
  const std::string m5375 = "01011" + std::string(18, '0'), zeros(23, '0');
  const std::string calculation = Cp850(
      "El valor normalizado sera +1.01011 2^(2)\n\n == Calculo del exponente ==\n  \n"
      " El Exceso 127 del 2 es en binario el número 129 \n"
      "=======Conversión a binario del número 129 ======\n"
      "\t129/2=\t 64\t y el resto 1 \t _______1\n\t64/2=\t 32\t y el resto 0 \t ______01\n"
      "\t32/2=\t 16\t y el resto 0 \t _____001\n\t16/2=\t 8\t y el resto 0 \t ____0001\n"
      "\t8/2=\t 4\t y el resto 0 \t ___00001\n\t4/2=\t 2\t y el resto 0 \t __000001\n"
      "\t2/2=\t 1\t y el resto 0 \t _0000001\n\t1/2=\t 0\t y el resto 1 \t 10000001\n"
      " Resumiendo ....\n El signo es igual 0 \n El exponente es igual 10000001 \n"
      " La mantisa es igual 01011000000000000000000 \n");
  using Case = std::tuple<Layout, const char*, std::string, std::string, std::string>;
  for (const auto& [layout, input, normalised, bits, ending] : std::vector<Case>{
           {Single(), "5.375", "+1.01011 2^(2)", "010000001" + m5375, Fixed5375() + calculation},
           {Single(2, 0), "5.375", "+0.101011 2^(3)", "010000010101011" + std::string(17, '0'), ""},
           {Single(1), "-5.375", "-1.01011 2^(2)", "11000000110100111111111111111111", ""},
           {Single(2), "-5.375", "-1.01011 2^(2)", "11000000110101000000000000000000", ""},
           {Single(1), "5.375", "+1.01011 2^(2)", "010000001" + m5375, ""},
           {Single(2), "-0.5", "-1. 2^(-1)", "101111110" + zeros, ""},
           {Single(0, 1), "0.75", "+1.1 2^(-1)", "0011111101" + std::string(22, '0'), ""},
           {Single(0, 2), "0.75", "+0.11 2^(0)", "0011111111" + std::string(22, '0'), ""},
           {Small(16, 0, 1, 2), "-0.1875", "-0.11 2^(-2)", "1111100011111111", ""},
           {Small(10, 0), "100", "+0.11001000 2^(7)", "0101111100", ""},
           {Small(10, 1), "100", "+1.1001000 2^(6)", "0101101001", ""},
           {{16, 3, 1, 4, 0, 0, 127, 0, 0}, "100", "+0.11001000 2^(7)", "0011110010000000", ""},
           {kMantissaFirst, "5.375", "+1.01011 2^(2)", "0" + m5375 + "10000001",
            " La mantisa es igual 0101100000000000000000010000001 \n"},
           {kExponentFirst, "5.375", "+1.01011 2^(2)", "100000010" + m5375,
            " El exponente es igual 100000010 \n La mantisa es igual " + m5375 + " \n"},
           {{32, 5, 0, 6, 5, 2, 127, 0, 1},
            "-37.89241",
            "-1.0010111100100011101001111101101010100100111111001010010000101 2^(5)",
            "00101100101111001000111010011111",
            " El exponente es igual 001011 \n La mantisa es igual 00101111001000111010011111 \n"},
           {Single(), "9.99999999",
            "+1.001" + std::string(26, '1') + "01010100001100111000100011101110 2^(3)",
            "010000010001" + std::string(20, '1'), ""}}) {
    SCOPED_TRACE(bits);
    ASSERT_TRUE(Set(layout));
    const auto printed = Capture([&] { CFCFL(input, buffer); }).out;
    EXPECT_EQ(std::string(buffer), bits);
    EXPECT_NE(printed.find("El valor normalizado sera " + normalised + "\n"), std::string::npos);
    if (ending.starts_with('\n')) {  // the whole output
      EXPECT_EQ(printed, ending);
    } else {
      EXPECT_TRUE(printed.ends_with(ending)) << printed;
    }
  }
}

TEST(ZeroTest, SmallestExponentAndZeroMantissaInEverySystem) {
  // Both encoders, from text and from a value, either sign: the exponent field holds the smallest
  // exponent of its system, the mantissa field a magnitude of '0' digits in its own. A 40-bit
  // exponent field needs the exponent beyond 32 bits.
  const std::string line =
      " El cero no tiene forma normalizada: se escriben el menor exponente y la mantisa a cero\n";
  for (const int e : {8, 40}) {
    for (int type_exp = 0; type_exp < 4; ++type_exp) {
      for (int type_man = 0; type_man < 3; ++type_man) {
        for (int norma = 0; norma < 3; ++norma) {
          const Layout l{64, e, 1, e + 1, 0, type_exp, 1000, type_man, norma};
          ASSERT_TRUE(Set(l));
          // Excess: -Z gives the field all '0'; sign-magnitude -(2^(e-1)-1) is all '1'; one's
          // complement -(2^(e-1)-1) and two's complement -2^(e-1) are '1' and then '0's.
          const auto ue = static_cast<std::size_t>(e);
          const std::string exponent = type_exp == 3   ? std::string(ue, '0')
                                       : type_exp == 0 ? std::string(ue, '1')
                                                       : "1" + std::string(ue - 1, '0');
          for (const bool minus : {false, true}) {
            SCOPED_TRACE(testing::Message() << "e " << e << " exp " << type_exp << " man "
                                            << type_man << " norma " << norma << " " << minus);
            const char mantissa = minus && type_man == 1 ? '1' : '0';
            const std::string expected = (minus ? "1" : "0") + exponent +
                                         std::string(static_cast<std::size_t>(63 - e), mantissa);
            int fits = 0;
            const auto text = Capture([&] { fits = CFCFL(minus ? "-0.000" : "0", buffer); }).out;
            EXPECT_EQ(std::string(buffer), expected);
            EXPECT_EQ(fits, 1);
            // The line stands where the normalised value would, before the exponent's trace.
            EXPECT_NE(text.find("es " + std::string(minus ? "-" : "+") + "0." +
                                std::string(minus ? "" : "0") + "\n" + line +
                                "\n == Calculo del exponente ==\n "),
                      std::string::npos)
                << text;
            EXPECT_EQ(text.find("normalizado"), std::string::npos);
            ASSERT_TRUE(Set(l));
            const auto value = Capture([&] { fits = CFLBN(minus ? -0.0f : 0.0f, buffer); }).out;
            EXPECT_EQ(std::string(buffer), expected);
            EXPECT_EQ(fits, 1);
            const std::size_t at = value.find(line);
            ASSERT_NE(at, std::string::npos) << value;
            // After the exponent's reading (its value, -1023 here) and before the exponent's trace.
            EXPECT_EQ(value.rfind("=0\n", at), at - 3) << value;
            EXPECT_TRUE(value.substr(at + line.size())
                            .starts_with(type_exp == 3 ? " \n El Exceso" : "====="))
                << value;
          }
        }
      }
    }
  }
}

// Fixed-point text in the named IEEE layouts gives the truncation of the exact decimal value
// whenever the 64-character text holds the mantissa's bits; the doubling trace shows each
// remainder as strtod reads its exact decimal. Expectations from exact rationals.
TEST(ExactFractionProperty, NamedLayoutsTruncateTheTypedDecimal) {
  using Rational = boost::multiprecision::cpp_rational;
  using Big = boost::multiprecision::cpp_int;
  const Layout named[] = {
      Single(), kDouble, {16, 5, 1, 6, 0, 3, 15, 0, 1}, {16, 8, 1, 9, 0, 3, 127, 0, 1}};
  std::mt19937 r(20261207U);
  const auto draw = [&r](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(r);
  };
  int checked = 0;
  for (int n = 0; n < 4000; ++n) {
    const Layout& l = named[n % 4];
    const int whole = draw(0, 1) == 0 ? 0 : draw(1, 70000);
    std::string digits;
    for (int i = draw(1, 20); i > 0; --i) digits += static_cast<char>('0' + draw(0, 9));
    const bool negative = draw(0, 1) == 1;
    const std::string text = (negative ? "-" : "") + std::to_string(whole) + "." + digits;
    const Big scale = boost::multiprecision::pow(Big(10), static_cast<unsigned>(digits.size()));
    Big fraction = 0;  // read digit by digit: a leading '0' would make the text octal
    for (const char c : digits) fraction = fraction * 10 + (c - '0');
    const Rational x = Rational(Big(whole) * scale + fraction, scale);
    if (x == 0) continue;
    // e = floor(log2 x); the text holds fraction digits down to 2^-room.
    const auto pow2 = [](int k) {
      return k >= 0 ? Rational(Big(1) << k) : Rational(Big(1), Big(1) << -k);
    };
    int e = 0;
    while (x >= pow2(e + 1)) ++e;
    while (x < pow2(e)) --e;
    const int width =
        whole == 0 ? 1 : static_cast<int>(std::bit_width(static_cast<unsigned>(whole)));
    const int room = 64 - width - 2;
    const int nbman = l.nb - l.nbexp - 1;
    const int bias = l.z, field = e + bias;
    if (e - nbman < -room || field <= 0 || field >= (1 << l.nbexp) - 1) continue;
    // S = floor(x x 2^(nbman - e)), nbman + 1 bits with the leading one.
    const Rational scaled = x * pow2(nbman - e);
    const Big s = numerator(scaled) / denominator(scaled);
    std::string want = negative ? "1" : "0";
    want += std::bitset<16>(static_cast<unsigned>(field))
                .to_string()
                .substr(16 - static_cast<std::size_t>(l.nbexp));
    for (int i = nbman - 1; i >= 0; --i)
      want += boost::multiprecision::bit_test(s, static_cast<unsigned>(i)) ? '1' : '0';
    ASSERT_TRUE(Set(l));
    const std::string printed = Capture([&] { CFCFL(text.c_str(), buffer); }).out;
    ASSERT_EQ(std::string(buffer), want) << text << " in " << l.nb << " bits";
    // The first doubling line starts with the fraction as strtod reads it.
    char first[64];
    std::snprintf(first, sizeof first, "\t %fx2=", std::strtod(("0." + digits).c_str(), nullptr));
    if (digits.find_first_not_of('0') != std::string::npos) {
      EXPECT_NE(printed.find(first), std::string::npos) << text;
    }
    ++checked;
  }
  EXPECT_GE(checked, 2000);
}

// The pattern every layout writes for zero, either sign, reads back as that zero.
TEST(ZeroTest, EveryLayoutsZeroReadsBackAsZero) {
  std::mt19937 r(31U);
  const auto draw = [&r](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(r);
  };
  for (int n = 0; n < 2000; ++n) {
    Layout l{};
    l.nbexp = draw(1, 20);
    const int nbman = draw(1, 62 - l.nbexp);
    l.nb = 1 + l.nbexp + nbman;
    l.type_exp = draw(0, 3), l.type_man = draw(0, 2), l.norma = draw(0, 2);
    l.z = draw(0, (1 << std::min(l.nbexp, 20)) - 1);
    int order[] = {0, 1, 2}, widths[] = {1, l.nbexp, nbman}, start = 0;
    std::shuffle(std::begin(order), std::end(order), r);
    for (const int field : order) {
      (field == 0 ? l.possigno : field == 1 ? l.posexp : l.posmantisa) = start;
      start += widths[field];
    }
    ASSERT_TRUE(Set(l));
    const bool negative = draw(0, 1) == 1;
    float read = 1;
    std::string printed;
    if (draw(0, 1) == 0) {
      repbin::CFLBN(format, negative ? -0.0f : 0.0f, buffer, NoTrace());
    } else {
      repbin::CFCFL(format, negative ? "-0.000" : "0", buffer, NoTrace());
    }
    printed = Capture([&] { read = BNCFL(buffer); }).out;
    // Without an implicit bit, -0 in two's complement is the sign '1' before a field of '0',
    // which that system reads as -1 x 2^exp: a reading this test leaves as it is.
    if (l.norma == 0 && l.type_man == 2 && negative) continue;
    EXPECT_EQ(read, 0.0f) << buffer;
    if (l.norma != 0) {
      EXPECT_EQ(std::signbit(read), negative) << buffer;
      EXPECT_TRUE(printed.ends_with(
          " El cero no tiene forma normalizada: el menor exponente con la mantisa a cero es el "
          "cero\n(-1)^" +
          std::string(negative ? "1 0=-0.000000" : "0 0=0.000000") + " \n "))
          << printed;
    }
  }
}

}  // namespace
}  // namespace repbin
