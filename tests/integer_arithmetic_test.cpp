// Integer addition and subtraction: every result, overflow verdict and flag against plain integer
// arithmetic on the values (never the program's column adder), the carry row against the columns
// it stands above, and the command's arguments, statuses and JSON.
#include <gtest/gtest.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "operations/integer_arithmetic.h"
#include "program/program.h"
#include "support.h"

namespace {

using repbin::ops::ArithmeticOperator;
using repbin::ops::OperateIntegers;
using repbin::ops::System;
// The widest sums of 64-bit patterns, exactly.
__extension__ typedef __int128 Int;
__extension__ typedef unsigned __int128 UInt;

constexpr System kSystems[] = {System::kNatural, System::kOnes, System::kTwos,
                               System::kSignMagnitude, System::kExcess};

std::string Pattern(UInt p, int n) {
  std::string bits;
  for (int i = n - 1; i >= 0; --i) bits += ((p >> i) & 1) != 0 ? '1' : '0';
  return bits;
}

std::string Decimal(Int v) {
  if (v == 0) return "0";
  const bool negative = v < 0;
  UInt u = negative ? static_cast<UInt>(-v) : static_cast<UInt>(v);
  std::string digits;
  for (; u > 0; u /= 10) digits.insert(digits.begin(), static_cast<char>('0' + u % 10));
  return negative ? "-" + digits : digits;
}

// The value of pattern `p` of `n` bits, read the way a textbook defines each system.
Int ValueOf(System s, UInt p, int n, Int z) {
  const UInt top = UInt{1} << (n - 1);
  const UInt all = (top << 1) - 1;
  switch (s) {
    case System::kNatural: return static_cast<Int>(p);
    case System::kTwos:
      return (p & top) != 0 ? static_cast<Int>(p) - static_cast<Int>(all) - 1 : static_cast<Int>(p);
    case System::kOnes: return (p & top) != 0 ? -static_cast<Int>(all - p) : static_cast<Int>(p);
    case System::kSignMagnitude:
      return (p & top) != 0 ? -static_cast<Int>(p - top) : static_cast<Int>(p);
    default: return static_cast<Int>(p) - z;
  }
}

struct Range {
  Int min, max;
};
Range ValueRange(System s, int n, Int z) {
  const Int half = Int{1} << (n - 1);
  switch (s) {
    case System::kNatural: return {0, 2 * half - 1};
    case System::kTwos: return {-half, half - 1};
    case System::kOnes:
    case System::kSignMagnitude: return {1 - half, half - 1};
    default: return {-z, 2 * half - 1 - z};
  }
}

UInt Modulo(Int v, int n) {
  const Int m = Int{1} << n;
  return static_cast<UInt>(((v % m) + m) % m);
}

// What the circuit of system `s` leaves, from the values (and, in one's complement, the
// patterns' sum modulo 2^n - 1).
UInt ExpectedPattern(System s, UInt pa, UInt pb, bool add, int n, Int z) {
  const Int va = ValueOf(s, pa, n, z);
  const Int vb = ValueOf(s, pb, n, z);
  const Int exact = add ? va + vb : va - vb;
  const UInt all = (UInt{1} << n) - 1;
  switch (s) {
    case System::kNatural:
    case System::kTwos: return Modulo(exact, n);
    case System::kExcess: return Modulo(exact + z, n);
    case System::kOnes: {
      // Arithmetic modulo 2^n - 1; a zero that came from a nonzero sum is the all-ones -0.
      const UInt sum = pa + (add ? pb : all - pb);
      if (all == 1) return sum == 0 ? 0 : 1;
      const UInt r = sum % all;
      return r == 0 && sum != 0 ? all : r;
    }
    default: {
      const UInt top = UInt{1} << (n - 1);
      const bool neg_a = (pa & top) != 0;
      const bool neg_b = ((pb & top) != 0) != !add;
      const UInt ma = pa & (top - 1);
      const UInt mb = pb & (top - 1);
      if (neg_a == neg_b) return (neg_a ? top : 0) | ((ma + mb) & (top - 1));
      if (ma == mb) return 0;
      return exact < 0 ? top | static_cast<UInt>(-exact) : static_cast<UInt>(exact);
    }
  }
}

// Checks one operation against the values; returns a description of the first difference.
std::string Check(System s, UInt pa, UInt pb, bool add, int n, Int z) {
  const auto r = OperateIntegers(s, n, static_cast<std::int64_t>(z),
                                 add ? ArithmeticOperator::kAdd : ArithmeticOperator::kSubtract,
                                 Pattern(pa, n), Pattern(pb, n));
  const Int va = ValueOf(s, pa, n, z);
  const Int vb = ValueOf(s, pb, n, z);
  const Int exact = add ? va + vb : va - vb;
  const Range range = ValueRange(s, n, z);
  const bool overflow = exact < range.min || exact > range.max;
  const UInt expected = ExpectedPattern(s, pa, pb, add, n, z);
  const Range twos = ValueRange(System::kTwos, n, 0);
  const Int ta = ValueOf(System::kTwos, pa, n, 0);
  const Int tb = ValueOf(System::kTwos, pb, n, 0);
  const Int t = add ? ta + tb : ta - tb;
  const bool c = add ? pa + pb > (UInt{1} << n) - 1 : pb > pa;
  const std::string where = Pattern(pa, n) + (add ? " + " : " - ") + Pattern(pb, n);
  if (r.exact != Decimal(exact)) return where + ": exact " + r.exact;
  if (r.overflow != overflow) return where + ": overflow";
  if (r.result_bits != Pattern(expected, n)) return where + ": result " + r.result_bits;
  if (r.result_value != Decimal(ValueOf(s, expected, n, z))) return where + ": result's value";
  if (!overflow && r.result_value != Decimal(exact)) return where + ": value differs, no overflow";
  if (r.flags.n != ((expected >> (n - 1)) & 1)) return where + ": N";
  if (r.flags.z != (expected == 0)) return where + ": Z";
  if (r.flags.c != c) return where + ": C";
  if (r.flags.v != (t < twos.min || t > twos.max)) return where + ": V";
  if (r.carries.size() != static_cast<std::size_t>(n)) return where + ": carry row width";
  // Without its trace, the operation gives the same answers.
  const auto quiet = OperateIntegers(s, n, static_cast<std::int64_t>(z),
                                     add ? ArithmeticOperator::kAdd : ArithmeticOperator::kSubtract,
                                     Pattern(pa, n), Pattern(pb, n), false);
  if (quiet.result_bits != r.result_bits || quiet.carries != r.carries ||
      quiet.overflow != r.overflow || quiet.flags.v != r.flags.v || !quiet.steps.empty()) {
    return where + ": differs without the trace";
  }
  return "";
}

// One test per system, so that they run side by side.
class EveryPairTest : public testing::TestWithParam<System> {};

TEST_P(EveryPairTest, UpToEightBitsAgreesWithTheValues) {
  {
    const System s = GetParam();
    // Every width up to 8 bits (up to 6 under the sanitizers).
    const int widest = repbin::test::kSlowdown > 1 ? 6 : 8;
    for (int n = s == System::kSignMagnitude ? 2 : 1; n <= widest; ++n) {
      const UInt count = UInt{1} << n;
      // The usual excess and one more, so that the correction is not always the same.
      std::vector<Int> excesses = {(Int{1} << (n - 1)) - 1};
      if (s == System::kExcess) excesses.push_back(Int{1} << (n - 1));
      for (const Int z : excesses) {
        for (UInt pa = 0; pa < count; ++pa) {
          for (UInt pb = 0; pb < count; ++pb) {
            for (const bool add : {true, false}) {
              const std::string fault = Check(s, pa, pb, add, n, z);
              ASSERT_EQ(fault, "") << repbin::ops::SystemName(s) << " " << n << " bits";
            }
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(IntegerArithmeticTest, EveryPairTest, testing::ValuesIn(kSystems),
                         [](const testing::TestParamInfo<System>& info) {
                           return std::string(repbin::ops::SystemName(info.param));
                         });

TEST(IntegerArithmeticTest, RandomWideOperationsAgreeWithTheValues) {
  std::mt19937_64 random(20261207);
  for (int i = 0; i < 4000; ++i) {
    const System s = kSystems[random() % 5];
    const int n = 1 + static_cast<int>(random() % 64);
    if (n < repbin::ops::MinimumWidth(s)) continue;
    const UInt mask = (UInt{1} << n) - 1;
    const UInt pa = random() & mask;
    const UInt pb = random() & mask;
    // Near the ends of the range, where overflow happens, as often as anywhere.
    const UInt ea = i % 3 == 0 ? (mask ^ (random() & 7)) & mask : pa;
    const Int z = (Int{1} << (n - 1)) - 1 - static_cast<Int>(random() % 3);
    const std::string fault = Check(s, ea, pb, i % 2 == 0, n, z < 0 ? 0 : z);
    ASSERT_EQ(fault, "") << repbin::ops::SystemName(s) << " " << n << " bits";
  }
}

// The carry (or borrow) into each column, against the columns: every result bit is the operand
// bits and the carry added (or subtracted) in that column, and the next column's carry is what
// that column gives off.
TEST(IntegerArithmeticTest, CarryRowMatchesTheColumns) {
  struct Case {
    System system;
    ArithmeticOperator op;
    const char* a;
    const char* b;
    bool subtracts;    // the row holds borrows
    bool inverts_b;    // the adder sees B inverted
    int first_column;  // the columns the row stands over start here (1: the magnitude)
  };
  const auto add = ArithmeticOperator::kAdd;
  const auto sub = ArithmeticOperator::kSubtract;
  const std::vector<Case> cases = {
      {System::kNatural, add, "01101111", "01011001", false, false, 0},
      {System::kNatural, sub, "01100000", "00011111", true, false, 0},
      {System::kTwos, add, "01100100", "01010000", false, false, 0},
      {System::kTwos, sub, "00000000", "10000000", false, true, 0},
      {System::kOnes, add, "11111100", "11111101", false, false, 0},  // end-around carry
      {System::kOnes, sub, "00000101", "00000111", false, true, 0},
      {System::kExcess, add, "10000011", "10000101", false, false, 0},
      {System::kExcess, sub, "01111111", "10000101", true, false, 0},
      {System::kSignMagnitude, add, "10111111", "10000001", false, false, 1},
      {System::kSignMagnitude, sub, "00111111", "10111111", false, false, 1},
  };
  for (const Case& c : cases) {
    const auto r = OperateIntegers(c.system, 8, 127, c.op, c.a, c.b);
    const std::string what =
        std::string(c.a) + " " + c.b + " in " + repbin::ops::SystemName(c.system);
    ASSERT_EQ(r.carries.size(), 8u) << what;
    for (int i = 7; i >= c.first_column; --i) {
      const auto at = static_cast<std::size_t>(i);
      const int a = c.a[at] - '0';
      const int b = c.inverts_b ? '1' - c.b[at] : c.b[at] - '0';
      const int k = r.carries[at] - '0';
      const int bit = c.system == System::kExcess ? -1 : r.result_bits[at] - '0';
      const int total = c.subtracts ? a - b - k : a + b + k;
      if (bit >= 0) {
        EXPECT_EQ(bit, ((total % 2) + 2) % 2) << what << " column " << i;
      }
      if (i > 0) {
        const int out = c.subtracts ? (total < 0 ? 1 : 0) : total / 2;
        EXPECT_EQ(r.carries[at - 1] - '0', out) << what << " column " << i;
      }
    }
    // The row the trace prints is the same row.
    bool shown = false;
    for (const std::string& line : r.steps) {
      if (line.find(r.carries) != std::string::npos) shown = true;
    }
    EXPECT_TRUE(shown || c.system == System::kOnes) << what;
  }
}

TEST(IntegerArithmeticTest, NarrowPatternsKeepTheirValueWhenExtended) {
  struct Case {
    System system;
    const char* bits;
    std::optional<std::string> extended;
  };
  const std::vector<Case> cases = {
      {System::kNatural, "101", "00000101"},       {System::kTwos, "101", "11111101"},
      {System::kTwos, "011", "00000011"},          {System::kOnes, "101", "11111101"},
      {System::kSignMagnitude, "101", "10000001"}, {System::kExcess, "101", std::nullopt},
      {System::kTwos, "101010101", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto extended = repbin::ops::ExtendPattern(c.system, c.bits, 8);
    EXPECT_EQ(extended, c.extended) << c.bits;
    if (extended) {
      EXPECT_EQ(repbin::ops::ReadPattern(c.system, *extended, 0),
                repbin::ops::ReadPattern(c.system, c.bits, 0))
          << c.bits;
    }
  }
}

// --- The command ------------------------------------------------------------------------------

TEST(OperateCommandTest, StatusesAndJson) {
  using Args = std::vector<std::string>;
  struct Case {
    Args args;
    int status;
    std::string resultado;  // the result's pattern, or the start of the refusal
  };
  const std::vector<Case> cases = {
      {{"operar", "c2", "100", "+", "80", "--json"}, 1, "10110100"},
      {{"operar", "c2", "-5", "-", "-3", "--json"}, 0, "11111110"},
      {{"operar", "sm", "0b111000", "+", "0xA0", "--json"}, 0, "10111000"},
      {{"operar", "c2", "0b111000", "+", "0xA0", "--json"}, 0, "10011000"},
      {{"operar", "c1", "5-5", "-b", "4", "--json"}, 0, "1111"},
      {{"operar", "exceso", "3", "+", "4", "--json"}, 0, "10000110"},
      {{"operar", "natural", "0xFFFFFFFFFFFFFFFF", "+", "1", "--json"}, 1, std::string(64, '0')},
      {{"operar", "c2", "200", "+", "1"}, 2, "repbin: el valor 200 no cabe en c2 con 8 bits"},
      {{"operar", "exceso", "0b01", "+", "0b0111"}, 2, "repbin: la cadena \"0b01\" tiene 2"},
      {{"operar", "decimal", "1", "+", "2"}, 2, "repbin: sistema no v"},
      {{"operar", "c2", "1", "*", "2"}, 2, "repbin: operador no v"},
      {{"operar", "c2", "12a", "+", "2"}, 2, "repbin: operando no v"},
      {{"operar", "c2", "0b", "+", "2"}, 2, "repbin: operando no v"},
      {{"operar", "c2", "0b0x1", "+", "2"}, 2, "repbin: operando no v"},
      {{"operar", "c2", "0b1_0000_0000", "+", "1", "-b", "8"}, 2, "repbin: la cadena"},
      {{"operar", "sm", "1", "+", "1", "-b", "1"}, 2, "repbin: con 1 bit"},
  };
  for (const Case& c : cases) {
    const repbin::Transcript t = repbin::RunProgramOnText(c.args, "");
    EXPECT_EQ(t.status, c.status) << c.args[1] << " " << c.args[2];
    if (c.status == 2) {
      EXPECT_TRUE(t.err.starts_with(c.resultado)) << t.err;
      continue;
    }
    const auto json = nlohmann::ordered_json::parse(t.out);
    std::vector<std::string> keys;
    for (auto it = json.begin(); it != json.end(); ++it) keys.push_back(it.key());
    std::vector<std::string> expected = {"operacion", "sistema",   "bits",         "operador",
                                         "operandos", "resultado", "valor_exacto", "desbordamiento",
                                         "acarreos",  "banderas"};
    if (c.args[1] == "exceso") expected.insert(expected.begin() + 3, "exceso");
    if ((c.args[1] == "c1" || c.args[1] == "c2") && json["operador"] == "-") {
      expected.insert(expected.end() - 2, "b_invertido");
    }
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(json["resultado"]["cadena"], c.resultado);
    EXPECT_EQ(json["desbordamiento"], c.status == 1);
  }
}

// The complements subtract by adding B inverted: the JSON gives that row, and the carries are
// those of A + inverted B with the +1 (two's complement) or the end-around carry (one's
// complement) coming into the rightmost column, computed here as (a + b + in) ^ a ^ b.
TEST(OperateCommandTest, ComplementSubtractionRowsAndCarries) {
  std::mt19937_64 random(7);
  for (const char* system : {"c1", "c2"}) {
    for (int width : {4, 8, 13, 32}) {
      for (int i = 0; i < 20; ++i) {
        const std::uint64_t mask = (std::uint64_t{1} << width) - 1;
        const std::uint64_t a = random() & mask, b = random() & mask;
        const auto bits = [width](std::uint64_t v) {
          std::string text;
          for (int k = width - 1; k >= 0; --k) text.push_back((v >> k) & 1 ? '1' : '0');
          return text;
        };
        const repbin::Transcript t = repbin::RunProgramOnText(
            {"operar", system, "0b" + bits(a), "-", "0b" + bits(b), "--json"}, "");
        ASSERT_NE(t.status, 2) << t.err;
        const auto json = nlohmann::json::parse(t.out);
        const std::uint64_t inverted = ~b & mask;
        EXPECT_EQ(json["b_invertido"], bits(inverted));
        const std::uint64_t in = std::string(system) == "c2" ? 1 : ((a + inverted) >> width) & 1;
        EXPECT_EQ(json["acarreos"], bits(((a + inverted + in) ^ a ^ inverted) & mask))
            << system << " " << bits(a) << " - " << bits(b);
      }
    }
  }
}

TEST(OperateCommandTest, BatchReadsOneOperationPerLine) {
  const repbin::Transcript t = repbin::RunProgramOnText(
      {"operar", "c2", "-", "-b", "4", "--json", "--ampliado"}, "5 + 3\n\n0b1111 - 1\nfoo\n");
  EXPECT_EQ(t.status, 2);
  std::vector<nlohmann::json> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = t.out.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(nlohmann::json::parse(t.out.substr(start, end - start)));
  }
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["valor_exacto"], 8);
  EXPECT_EQ(lines[0]["banderas"]["V"], true);
  EXPECT_EQ(lines[1]["resultado"]["valor"], -2);
  EXPECT_TRUE(lines[1]["metodo"].is_array());
}

}  // namespace
