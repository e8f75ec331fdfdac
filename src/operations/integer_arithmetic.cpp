// Integer addition and subtraction: the columns worked out bit by bit as the hand method does
// them, the exact values with big integers beside them.

#include "operations/integer_arithmetic.h"

#include <boost/multiprecision/cpp_int.hpp>
#include <cstddef>

namespace repbin::ops {
namespace {

using Big = boost::multiprecision::cpp_int;
using Lines = std::vector<std::string>;

Big Pow2(int n) {
  return Big(1) << n;
}

int Width(std::string_view bits) {
  return static_cast<int>(bits.size());
}

Big NaturalOf(std::string_view bits) {
  Big v = 0;
  for (const char c : bits) v = v * 2 + (c == '1' ? 1 : 0);
  return v;
}

// The lowest `width` bits of `v`, which may be negative (two's complement wrap-around).
std::string BitsOf(Big v, int width) {
  const Big modulus = Pow2(width);
  v %= modulus;
  if (v < 0) v += modulus;
  std::string bits(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i) {
    if ((v & 1) != 0) bits[static_cast<std::size_t>(i)] = '1';
    v >>= 1;
  }
  return bits;
}

std::string Invert(std::string_view bits) {
  std::string inverted(bits);
  for (char& c : inverted) c = c == '1' ? '0' : '1';
  return inverted;
}

Big ValueOf(System system, std::string_view bits, std::int64_t excess) {
  const int n = Width(bits);
  const bool negative = bits[0] == '1';
  switch (system) {
    case System::kNatural: return NaturalOf(bits);
    case System::kTwos: return negative ? NaturalOf(bits) - Pow2(n) : NaturalOf(bits);
    case System::kOnes: return negative ? -NaturalOf(Invert(bits)) : NaturalOf(bits);
    case System::kSignMagnitude: {
      const Big magnitude = NaturalOf(bits.substr(1));
      return negative ? -magnitude : magnitude;
    }
    case System::kExcess: return NaturalOf(bits) - excess;
    case System::kFloat: break;
  }
  return 0;
}

struct BigRange {
  Big min;
  Big max;
};

BigRange BigRangeOf(System system, int n, std::int64_t excess) {
  switch (system) {
    case System::kNatural: return {0, Pow2(n) - 1};
    case System::kTwos: return {-Pow2(n - 1), Pow2(n - 1) - 1};
    case System::kOnes:
    case System::kSignMagnitude: return {1 - Pow2(n - 1), Pow2(n - 1) - 1};
    case System::kExcess: return {Big(-excess), Pow2(n) - 1 - excess};
    case System::kFloat: break;
  }
  return {0, 0};
}

// --- The columns ----------------------------------------------------------------------------

// A column operation on two patterns of the same width: the result in that width, the carry (or
// borrow) into each column, leftmost first, and the one that leaves the leftmost column.
struct Columns {
  std::string result;
  std::string carries;
  bool out = false;
};

Columns AddColumns(std::string_view a, std::string_view b, bool carry_in) {
  Columns c{std::string(a.size(), '0'), std::string(a.size(), '0'), false};
  int carry = carry_in ? 1 : 0;
  for (std::size_t i = a.size(); i-- > 0;) {
    c.carries[i] = carry != 0 ? '1' : '0';
    const int sum = (a[i] - '0') + (b[i] - '0') + carry;
    c.result[i] = (sum & 1) != 0 ? '1' : '0';
    carry = sum >> 1;
  }
  c.out = carry != 0;
  return c;
}

Columns SubtractColumns(std::string_view a, std::string_view b) {
  Columns c{std::string(a.size(), '0'), std::string(a.size(), '0'), false};
  int borrow = 0;
  for (std::size_t i = a.size(); i-- > 0;) {
    c.carries[i] = borrow != 0 ? '1' : '0';
    int difference = (a[i] - '0') - (b[i] - '0') - borrow;
    borrow = difference < 0 ? 1 : 0;
    if (difference < 0) difference += 2;
    c.result[i] = difference != 0 ? '1' : '0';
  }
  c.out = borrow != 0;
  return c;
}

// The lines of a column operation, aligned: the carry row (with the carry that leaves on the
// left), the two rows, the rule and the result.
//      acarreos   011000000
//      A           01100100
//      B         + 01010000
//                 ---------
//      suma        10110100
constexpr std::size_t kLabelWidth = 14;

std::string Row(std::string label, char op, char lead, std::string_view body) {
  // Padded by characters, not bytes: "préstamos" is ten bytes of UTF-8.
  std::size_t characters = 1;
  for (const char c : label) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
  }
  label.insert(0, " ");
  if (characters < kLabelWidth) label.append(kLabelWidth - characters, ' ');
  return label + op + lead + std::string(body);
}

void AddColumnLines(Lines& lines, const Columns& c, const std::string& carry_label,
                    const std::string& top_label, std::string_view top, char op,
                    const std::string& bottom_label, std::string_view bottom,
                    const std::string& result_label) {
  lines.push_back(Row(carry_label, ' ', c.out ? '1' : '0', c.carries));
  lines.push_back(Row(top_label, ' ', ' ', top));
  lines.push_back(Row(bottom_label, op, ' ', bottom));
  lines.push_back(Row("", ' ', '-', std::string(top.size(), '-')));
  lines.push_back(Row(result_label, ' ', ' ', c.result));
}

std::string Bit(bool b) {
  return b ? "1" : "0";
}

// --- Each system's rule -----------------------------------------------------------------------

struct Worked {
  std::string result;
  std::string carries;
};

Worked Natural(const IntegerArithmetic& r, Lines& lines) {
  const int n = r.width;
  if (r.op == ArithmeticOperator::kAdd) {
    const Columns c = AddColumns(r.a.bits, r.b.bits, false);
    lines.push_back(" Se suman las columnas de derecha a izquierda, con los acarreos encima:");
    AddColumnLines(lines, c, "acarreos", "A", r.a.bits, '+', "B", r.b.bits, "suma");
    lines.push_back(" El acarreo que sale del bit de mayor peso es " + Bit(c.out) +
                    (c.out ? ": la suma necesita " + std::to_string(n + 1) + " bits y no cabe en " +
                                 std::to_string(n)
                           : ": la suma cabe en " + std::to_string(n) + " bits"));
    return {c.result, c.carries};
  }
  const Columns c = SubtractColumns(r.a.bits, r.b.bits);
  lines.push_back(" Se restan las columnas de derecha a izquierda, con los préstamos encima:");
  AddColumnLines(lines, c, "préstamos", "A", r.a.bits, '-', "B", r.b.bits, "resta");
  lines.push_back(" El préstamo que sale del bit de mayor peso es " + Bit(c.out) +
                  (c.out ? ": B es mayor que A y la resta, negativa, no cabe en binario natural"
                         : ": B no es mayor que A y la resta cabe"));
  return {c.result, c.carries};
}

// The sentence on the signs of the two summands and the result, as courses teach overflow.
std::string SignsSentence(std::string_view top, std::string_view bottom, std::string_view result,
                          const char* summands) {
  if (top[0] != bottom[0]) {
    return std::string(" Los sumandos ") + summands +
           " tienen signos distintos: su suma no puede desbordar";
  }
  if (result[0] == top[0]) {
    return std::string(" Los sumandos ") + summands +
           " tienen el mismo signo y el resultado también: no hay desbordamiento";
  }
  return std::string(" Dos sumandos del mismo signo (") + summands +
         ") dan un resultado de signo contrario: hay desbordamiento";
}

Worked Twos(const IntegerArithmetic& r, Lines& lines) {
  const bool subtract = r.op == ArithmeticOperator::kSubtract;
  const std::string bottom = subtract ? Invert(r.b.bits) : r.b.bits;
  if (subtract) {
    lines.push_back(" A - B = A + (B con los bits invertidos) + 1");
    lines.push_back(" B con los bits invertidos: " + bottom);
    lines.push_back(" El +1 entra como acarreo en la columna de la derecha:");
  } else {
    lines.push_back(" Se suman las columnas de derecha a izquierda, con los acarreos encima:");
  }
  const Columns c = AddColumns(r.a.bits, bottom, subtract);
  AddColumnLines(lines, c, "acarreos", "A", r.a.bits, '+', subtract ? "B invertido" : "B", bottom,
                 "suma");
  const bool into_sign = c.carries[0] == '1';
  lines.push_back(" Acarreo que entra en el bit de signo: " + Bit(into_sign) +
                  "; acarreo que sale de él: " + Bit(c.out));
  lines.push_back(into_sign == c.out ? " Son iguales: no hay desbordamiento"
                                     : " Son distintos: hay desbordamiento");
  const char* summands = subtract ? "A y -B" : "A y B";
  if (!subtract || r.b.bits != BitsOf(Pow2(r.width - 1), r.width)) {
    lines.push_back(SignsSentence(
        r.a.bits, subtract ? BitsOf(-NaturalOf(r.b.bits), r.width) : r.b.bits, c.result, summands));
  }
  lines.push_back(" El acarreo que sale del bit de signo (" + Bit(c.out) +
                  ") se desprecia: el resultado son los " + std::to_string(r.width) +
                  " bits de la suma");
  return {c.result, c.carries};
}

Worked Ones(const IntegerArithmetic& r, Lines& lines) {
  const bool subtract = r.op == ArithmeticOperator::kSubtract;
  const std::string bottom = subtract ? Invert(r.b.bits) : r.b.bits;
  if (subtract) {
    lines.push_back(" A - B = A + (B con los bits invertidos)");
    lines.push_back(" B con los bits invertidos: " + bottom);
  }
  lines.push_back(" Se suman las columnas de derecha a izquierda, con los acarreos encima:");
  const Columns first = AddColumns(r.a.bits, bottom, false);
  AddColumnLines(lines, first, "acarreos", "A", r.a.bits, '+', subtract ? "B invertido" : "B",
                 bottom, "suma");
  std::string result = first.result;
  if (first.out) {
    lines.push_back(" Sale un acarreo del bit de signo: en complemento a uno se suma de vuelta");
    lines.push_back(" en la columna de la derecha (acarreo circular):");
    const std::string one = BitsOf(1, r.width);
    const Columns second = AddColumns(first.result, one, false);
    AddColumnLines(lines, second, "acarreos", "suma", first.result, '+', "acarreo", one,
                   "resultado");
    result = second.result;
  } else {
    lines.push_back(" No sale acarreo del bit de signo: no hay acarreo circular que sumar");
  }
  lines.push_back(SignsSentence(r.a.bits, bottom, result, subtract ? "A y -B" : "A y B"));
  if (result.find('0') == std::string::npos) {
    lines.push_back(" " + result + " es el -0 del complemento a uno: vale 0");
  }
  // One row: the end-around carry is the carry into the rightmost column.
  return {result, AddColumns(r.a.bits, bottom, first.out).carries};
}

Worked SignMagnitude(const IntegerArithmetic& r, Lines& lines) {
  const bool subtract = r.op == ArithmeticOperator::kSubtract;
  const char sign_a = r.a.bits[0];
  char sign_b = r.b.bits[0];
  const std::string ma = r.a.bits.substr(1);
  const std::string mb = r.b.bits.substr(1);
  const auto sign_word = [](char s) { return s == '1' ? std::string("-") : std::string("+"); };
  if (subtract) {
    sign_b = sign_b == '1' ? '0' : '1';
    lines.push_back(" A - B = A + (-B): se cambia el bit de signo de B, que queda " +
                    std::string(1, sign_b) + mb);
  }
  const std::string m = std::to_string(r.width - 1);
  lines.push_back(" Signos: A " + sign_word(sign_a) + ", " + (subtract ? "-B " : "B ") +
                  sign_word(sign_b));
  if (sign_a == sign_b) {
    lines.push_back(
        " Los signos son iguales: se suman las magnitudes y el resultado lleva ese signo:");
    const Columns c = AddColumns(ma, mb, false);
    AddColumnLines(lines, c, "acarreos", "|A|", ma, '+', "|B|", mb, "magnitud");
    lines.push_back(" El acarreo que sale de la magnitud es " + Bit(c.out) +
                    (c.out ? ": la magnitud no cabe en " + m + " bits (desbordamiento)"
                           : ": la magnitud cabe en " + m + " bits"));
    return {sign_a + c.result, Bit(c.out) + c.carries};
  }
  lines.push_back(" Los signos son distintos: se resta la magnitud menor de la mayor");
  if (ma == mb) {
    lines.push_back(" Las magnitudes son iguales: el resultado es +0");
    const Columns c = SubtractColumns(ma, mb);
    AddColumnLines(lines, c, "préstamos", "|A|", ma, '-', "|B|", mb, "magnitud");
    return {'0' + c.result, '0' + c.carries};
  }
  const bool a_larger = NaturalOf(ma) > NaturalOf(mb);
  const std::string& larger = a_larger ? ma : mb;
  const std::string& smaller = a_larger ? mb : ma;
  const char sign = a_larger ? sign_a : sign_b;
  lines.push_back(std::string(" La mayor es la de ") + (a_larger ? "A" : (subtract ? "-B" : "B")) +
                  ": el resultado lleva su signo, " + sign_word(sign));
  const Columns c = SubtractColumns(larger, smaller);
  AddColumnLines(lines, c, "préstamos", a_larger ? "|A|" : "|B|", larger, '-',
                 a_larger ? "|B|" : "|A|", smaller, "magnitud");
  return {sign + c.result, '0' + c.carries};
}

Worked Excess(const IntegerArithmetic& r, Lines& lines) {
  const int n = r.width;
  const std::string z = std::to_string(r.excess);
  const Big a = NaturalOf(r.a.bits);
  const Big b = NaturalOf(r.b.bits);
  Big corrected;
  Columns c;
  if (r.op == ArithmeticOperator::kAdd) {
    lines.push_back(" Cada código es su valor más " + z + ": (A + " + z + ") + (B + " + z +
                    ") lleva el exceso dos veces;");
    lines.push_back(" se suman los códigos y se resta " + z + ":");
    c = AddColumns(r.a.bits, r.b.bits, false);
    AddColumnLines(lines, c, "acarreos", "código A", r.a.bits, '+', "código B", r.b.bits, "suma");
    const Big sum = a + b;
    corrected = sum - r.excess;
    lines.push_back(" Suma de los códigos: " + Bit(c.out) + c.result + " (" + sum.str() + ")");
    lines.push_back(" Corrección: " + sum.str() + " - " + z + " = " + corrected.str());
  } else {
    lines.push_back(" Cada código es su valor más " + z + ": (A + " + z + ") - (B + " + z +
                    ") pierde el exceso;");
    lines.push_back(" se restan los códigos y se suma " + z + ":");
    c = SubtractColumns(r.a.bits, r.b.bits);
    AddColumnLines(lines, c, "préstamos", "código A", r.a.bits, '-', "código B", r.b.bits, "resta");
    const Big difference = a - b;
    corrected = difference + r.excess;
    lines.push_back(" Resta de los códigos: " + difference.str());
    lines.push_back(" Corrección: " + difference.str() + " + " + z + " = " + corrected.str());
  }
  const std::string result = BitsOf(corrected, n);
  if (corrected >= 0 && corrected < Pow2(n)) {
    lines.push_back(" " + corrected.str() + " en " + std::to_string(n) + " bits: " + result);
  } else {
    lines.push_back(" " + corrected.str() + " no es un código de " + std::to_string(n) +
                    " bits: quedan los " + std::to_string(n) + " bits de menor peso, " + result);
  }
  return {result, c.carries};
}

// The same results as the traced rules above, without a line of text: what JSON needs.
Worked Compute(const IntegerArithmetic& r) {
  const bool add = r.op == ArithmeticOperator::kAdd;
  switch (r.system) {
    case System::kNatural: {
      const Columns c =
          add ? AddColumns(r.a.bits, r.b.bits, false) : SubtractColumns(r.a.bits, r.b.bits);
      return {c.result, c.carries};
    }
    case System::kTwos: {
      const Columns c = AddColumns(r.a.bits, add ? r.b.bits : Invert(r.b.bits), !add);
      return {c.result, c.carries};
    }
    case System::kOnes: {
      // One row whose carry in is the end-around carry.
      const std::string bottom = add ? r.b.bits : Invert(r.b.bits);
      const Columns c = AddColumns(r.a.bits, bottom, AddColumns(r.a.bits, bottom, false).out);
      return {c.result, c.carries};
    }
    case System::kSignMagnitude: {
      const char sign_a = r.a.bits[0];
      const char sign_b = add ? r.b.bits[0] : (r.b.bits[0] == '1' ? '0' : '1');
      const std::string ma = r.a.bits.substr(1);
      const std::string mb = r.b.bits.substr(1);
      if (sign_a == sign_b) {
        const Columns c = AddColumns(ma, mb, false);
        return {sign_a + c.result, Bit(c.out) + c.carries};
      }
      const bool a_larger = ma > mb;  // same width: the text order is the numeric order
      const Columns c = a_larger ? SubtractColumns(ma, mb) : SubtractColumns(mb, ma);
      const char sign = ma == mb ? '0' : a_larger ? sign_a : sign_b;
      return {sign + c.result, '0' + c.carries};
    }
    case System::kExcess:
    case System::kFloat: break;
  }
  const Columns c =
      add ? AddColumns(r.a.bits, r.b.bits, false) : SubtractColumns(r.a.bits, r.b.bits);
  const Big a = NaturalOf(r.a.bits);
  const Big b = NaturalOf(r.b.bits);
  return {BitsOf(add ? Big(a + b - r.excess) : Big(a - b + r.excess), r.width), c.carries};
}

// --- The flags --------------------------------------------------------------------------------

void AddFlagLines(const IntegerArithmetic& r, Lines& lines) {
  const bool add = r.op == ArithmeticOperator::kAdd;
  const Big a = NaturalOf(r.a.bits);
  const Big b = NaturalOf(r.b.bits);
  lines.push_back(" Banderas:");
  lines.push_back("  N = " + Bit(r.flags.n) + ": el primer bit del resultado es " + Bit(r.flags.n));
  lines.push_back(
      "  Z = " + Bit(r.flags.z) +
      (r.flags.z ? ": todos los bits del resultado son 0" : ": el resultado tiene algún bit a 1"));
  if (add) {
    lines.push_back("  C = " + Bit(r.flags.c) + ": sumadas como binario natural (" + a.str() +
                    " + " + b.str() + ")," + (r.flags.c ? "" : " no") +
                    " sale acarreo del bit de mayor peso");
  } else {
    lines.push_back("  C = " + Bit(r.flags.c) + ": leídas en binario natural, B (" + b.str() + ")" +
                    (r.flags.c ? " es mayor que A (" : " no es mayor que A (") + a.str() + ")" +
                    (r.flags.c ? ": hay préstamo" : ": no hay préstamo"));
  }
  const Big ta = ValueOf(System::kTwos, r.a.bits, 0);
  const Big tb = ValueOf(System::kTwos, r.b.bits, 0);
  const Big t = add ? Big(ta + tb) : Big(ta - tb);
  const std::string minus_b = tb < 0 ? "(" + tb.str() + ")" : tb.str();
  lines.push_back("  V = " + Bit(r.flags.v) + ": leídas en complemento a dos, " + ta.str() +
                  (add ? " + " : " - ") + minus_b + " = " + t.str() +
                  (r.flags.v ? " no cabe en " : " cabe en ") + std::to_string(r.width) + " bits");
}

std::string ValueInParentheses(const std::string& bits, const std::string& value) {
  return bits + " (" + value + ")";
}

// The trace of the operands: each pattern with its value, and how a narrow one was widened.
void AddOperandLines(const IntegerArithmetic& r, Lines& lines) {
  const auto operand = [&](const char* name, const ArithmeticOperand& o) {
    if (o.typed.size() == o.bits.size()) {
      lines.push_back(std::string(" ") + name + " = " + ValueInParentheses(o.bits, o.value));
      return;
    }
    std::string how;
    switch (r.system) {
      case System::kNatural: how = "con ceros a la izquierda"; break;
      case System::kSignMagnitude:
        how = "con el signo en el primer bit y ceros delante de la magnitud";
        break;
      default: how = "repitiendo el bit de signo"; break;
    }
    lines.push_back(std::string(" ") + name + " = " + o.typed + ", extendida a " +
                    std::to_string(r.width) + " bits " + how + ": " +
                    ValueInParentheses(o.bits, o.value));
  };
  operand("A", r.a);
  operand("B", r.b);
}

IntegerArithmetic Operate(System system, int width, std::int64_t excess, ArithmeticOperator op,
                          std::string_view a, std::string_view b, bool trace) {
  IntegerArithmetic r;
  r.system = system;
  r.width = width;
  r.excess = excess;
  r.op = op;
  const auto operand = [&](std::string_view typed) {
    ArithmeticOperand o;
    o.typed = std::string(typed);
    // Outside the documented inputs (a narrow excess pattern, a wide one), the columns still
    // line up: zeros in front, or the lowest `width` bits.
    const auto size = static_cast<std::size_t>(width);
    o.bits = ExtendPattern(system, typed, width)
                 .value_or(typed.size() < size
                               ? std::string(size - typed.size(), '0') + std::string(typed)
                               : std::string(typed.substr(typed.size() - size)));
    o.value = ReadPattern(system, o.bits, excess);
    return o;
  };
  r.a = operand(a);
  r.b = operand(b);
  const bool add = op == ArithmeticOperator::kAdd;
  Lines& lines = r.steps;
  Worked worked;
  if (trace) {
    lines.push_back(std::string(" ") + (add ? "Suma" : "Resta") + " en " +
                    SystemPhrase(system, excess) + " con " + std::to_string(width) + " bits");
    AddOperandLines(r, lines);
    switch (system) {
      case System::kNatural: worked = Natural(r, lines); break;
      case System::kTwos: worked = Twos(r, lines); break;
      case System::kOnes: worked = Ones(r, lines); break;
      case System::kSignMagnitude: worked = SignMagnitude(r, lines); break;
      case System::kExcess:
      case System::kFloat: worked = Excess(r, lines); break;
    }
  } else {
    worked = Compute(r);
  }
  r.result_bits = worked.result;
  r.carries = worked.carries;
  r.result_value = ReadPattern(system, r.result_bits, excess);

  const Big va = ValueOf(system, r.a.bits, excess);
  const Big vb = ValueOf(system, r.b.bits, excess);
  const Big exact = add ? Big(va + vb) : Big(va - vb);
  r.exact = exact.str();
  const BigRange range = BigRangeOf(system, width, excess);
  r.range = {range.min.str(), range.max.str()};
  r.overflow = exact < range.min || exact > range.max;

  r.flags.n = r.result_bits[0] == '1';
  r.flags.z = r.result_bits.find('1') == std::string::npos;
  r.flags.c =
      add ? AddColumns(r.a.bits, r.b.bits, false).out : SubtractColumns(r.a.bits, r.b.bits).out;
  const Columns twos = AddColumns(r.a.bits, add ? r.b.bits : Invert(r.b.bits), !add);
  r.flags.v = (twos.carries[0] == '1') != twos.out;
  if (!trace) return r;

  const std::string phrase = SystemPhrase(system, excess);
  lines.push_back(" Resultado: " + r.result_bits + ", que en " + phrase + " vale " +
                  r.result_value);
  const std::string shown_b = vb < 0 ? "(" + vb.str() + ")" : vb.str();
  lines.push_back(" Valor exacto: " + va.str() + (add ? " + " : " - ") + shown_b + " = " + r.exact);
  const std::string where = " en " + phrase + " con " + std::to_string(width) + " bits (de " +
                            r.range.min + " a " + r.range.max + ")";
  lines.push_back(r.overflow ? " " + r.exact + " no cabe" + where + ": desbordamiento"
                             : " " + r.exact + " cabe" + where + ": el resultado es correcto");
  AddFlagLines(r, lines);
  return r;
}

}  // namespace

int MinimumWidth(System system) {
  return system == System::kSignMagnitude ? 2 : 1;
}

IntegerRange RangeOf(System system, int width, std::int64_t excess) {
  const BigRange range = BigRangeOf(system, width, excess);
  return {range.min.str(), range.max.str()};
}

std::optional<std::string> EncodeDecimal(System system, std::string_view decimal, int width,
                                         std::int64_t excess) {
  std::size_t digits = decimal.starts_with('-') || decimal.starts_with('+') ? 1 : 0;
  if (decimal.size() == digits || decimal.size() > 40 ||
      decimal.find_first_not_of("0123456789", digits) != std::string_view::npos) {
    return std::nullopt;
  }
  Big value = 0;
  for (const char c : decimal.substr(digits)) value = value * 10 + (c - '0');
  if (decimal[0] == '-') value = -value;
  const BigRange range = BigRangeOf(system, width, excess);
  if (value < range.min || value > range.max) return std::nullopt;
  switch (system) {
    case System::kNatural:
    case System::kTwos: return BitsOf(value, width);
    case System::kOnes: return value < 0 ? Invert(BitsOf(-value, width)) : BitsOf(value, width);
    case System::kSignMagnitude:
      return (value < 0 ? "1" : "0") + BitsOf(value < 0 ? -value : value, width - 1);
    case System::kExcess: return BitsOf(value + excess, width);
    case System::kFloat: break;
  }
  return std::nullopt;
}

std::optional<std::string> ExtendPattern(System system, std::string_view bits, int width) {
  const auto size = static_cast<std::size_t>(width);
  if (bits.size() == size) return std::string(bits);
  if (bits.size() > size || bits.empty() || system == System::kExcess || system == System::kFloat) {
    return std::nullopt;
  }
  const std::size_t added = size - bits.size();
  switch (system) {
    case System::kNatural: return std::string(added, '0') + std::string(bits);
    case System::kSignMagnitude:
      if (bits.size() < 2) return std::nullopt;
      return bits[0] + std::string(added, '0') + std::string(bits.substr(1));
    default: return std::string(added, bits[0]) + std::string(bits);
  }
}

std::string ReadPattern(System system, std::string_view bits, std::int64_t excess) {
  return ValueOf(system, bits, excess).str();
}

IntegerArithmetic OperateIntegers(System system, int width, std::int64_t excess,
                                  ArithmeticOperator op, std::string_view a, std::string_view b,
                                  bool trace) {
  return Operate(system, width, excess, op, a, b, trace);
}

std::vector<std::string> ExtendedArithmeticLines(const IntegerArithmetic& r) {
  Lines extended;
  extended.push_back(" Rango en " + SystemPhrase(r.system, r.excess) + " con " +
                     std::to_string(r.width) + " bits: de " + r.range.min + " a " + r.range.max);
  for (const System other : {System::kSignMagnitude, System::kOnes, System::kTwos}) {
    if (other == r.system || r.width < MinimumWidth(other)) continue;
    const IntegerArithmetic o = Operate(other, r.width, r.excess, r.op, r.a.bits, r.b.bits, false);
    extended.push_back(" En " + SystemPhrase(other, r.excess) + " sería " + o.a.value +
                       (r.op == ArithmeticOperator::kAdd ? " + " : " - ") +
                       (o.b.value[0] == '-' ? "(" + o.b.value + ")" : o.b.value) + ": " +
                       o.result_bits + " (" + o.result_value + ")" +
                       (o.overflow ? ", desborda" : ", correcto"));
  }
  return extended;
}

}  // namespace repbin::ops
