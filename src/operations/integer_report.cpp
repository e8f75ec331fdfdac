// The extended integer report: each part computed from the pattern and the value, then written
// out in Spanish.

#include "operations/integer_report.h"

#include <algorithm>
#include <boost/multiprecision/cpp_int.hpp>
#include <cstdint>
#include <limits>

#include "output/output.h"

namespace repbin::ops {
namespace {

// Every value the report meets (a pattern of at most 64 bits, a 64-bit excess, their sums) lies
// within +-2^65: a fixed 128-bit integer holds them all without allocating.
using Big = boost::multiprecision::int128_t;
using Lines = std::vector<std::string>;

// Every text the printer writes. Values go in as "%s" arguments; the method's lines, built at
// run time, go out through Trace::Text so that their accents are converted too.
constexpr const char* kRangeLine = " Rango en %s con %s: de %s a %s";
constexpr const char* kZerosPart = ", con dos ceros: %s (+0) y %s (-0)";
constexpr const char* kAboveLine = " %s no cabe: queda %s por encima del máximo\n";
constexpr const char* kBelowLine = " %s no cabe: queda %s por debajo del mínimo\n";
constexpr const char* kHexLine = " Hexadecimal: %s = 0x%s\n";
constexpr const char* kOctalLine = " Octal: %s = %s (en base 8)\n";
constexpr const char* kMethodHeading = " Método a mano:\n";
constexpr const char* kMethodIndent = "   ";
constexpr const char* kReadingsLabel = " Lecturas de %s:";

// The longest sum of decimal weights the natural-binary lines show.
constexpr std::size_t kMaxValuesLength = 80;

Big Pow2(int n) {
  return Big(1) << n;
}

// The value of `bits` (at most 64) in natural binary.
Big Natural(std::string_view bits) {
  std::uint64_t v = 0;
  for (const char c : bits) v = v << 1 | (c == '1' ? 1U : 0U);
  return v;
}

// The lowest `width` bits of `v` (v >= 0), most significant first.
std::string Binary(const Big& v, int width) {
  const auto low = static_cast<std::uint64_t>(v);  // the values written are below 2^64
  std::string bits(static_cast<std::size_t>(width), '0');
  for (int i = 0; i < width; ++i) {
    if ((low >> (width - 1 - i)) & 1U) bits[static_cast<std::size_t>(i)] = '1';
  }
  return bits;
}

// A value in decimal; the machine's own conversion for the many that fit 64 bits.
std::string Text(const Big& v) {
  if (v >= std::numeric_limits<std::int64_t>::min() &&
      v <= std::numeric_limits<std::int64_t>::max()) {
    return std::to_string(static_cast<std::int64_t>(v));
  }
  return v.str();
}

std::string Invert(std::string bits) {
  for (char& c : bits) c = c == '1' ? '0' : '1';
  return bits;
}

// `bits` plus 1, and the carry row: '1' above every position a carry enters, ' ' elsewhere.
std::pair<std::string, std::string> AddOne(std::string bits) {
  std::string carries(bits.size(), ' ');
  for (std::size_t i = bits.size(); i-- > 0;) {
    if (bits[i] == '0') {
      bits[i] = '1';
      break;
    }
    bits[i] = '0';
    if (i > 0) carries[i - 1] = '1';
  }
  return {bits, carries};
}

// The digits of `bits` in base 2^k (k = 3 or 4), grouped from the right: "1101 1011" and "DB".
std::pair<std::string, std::string> InBase(std::string_view bits, std::size_t k) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string groups;
  std::string digits;
  // The first group takes what the others leave.
  const std::size_t first = bits.size() % k == 0 ? k : bits.size() % k;
  for (std::size_t begin = 0; begin < bits.size(); begin = begin == 0 ? first : begin + k) {
    const std::string_view group = bits.substr(begin, begin == 0 ? first : k);
    if (begin > 0) groups += ' ';
    groups += group;
    unsigned digit = 0;
    for (const char c : group) digit = digit * 2 + (c == '1' ? 1U : 0U);
    digits += kDigits[digit];
  }
  return {groups, digits};
}

// The powers of two of the '1' bits ("2^5 + 2^2 + 2^0"), their values ("32 + 4 + 1"), their
// positions ("5, 2 y 0") and how many there are. The values are left empty when they would make
// a line too long to read (many bits at wide widths): the powers say the same.
struct Weights {
  std::string powers;
  std::string values;
  std::string positions;
  int count = 0;
};

Weights WeightsOf(std::string_view bits) {
  Weights w;
  const auto n = static_cast<int>(bits.size());
  std::vector<int> ones;
  for (int i = 0; i < n; ++i) {
    if (bits[static_cast<std::size_t>(i)] == '1') ones.push_back(n - 1 - i);
  }
  w.count = static_cast<int>(ones.size());
  for (std::size_t i = 0; i < ones.size(); ++i) {
    const std::string p = std::to_string(ones[i]);
    const bool first = i == 0;
    w.powers += (first ? "2^" : " + 2^") + p;
    w.values += (first ? "" : " + ") + Text(Pow2(ones[i]));
    w.positions += (first ? "" : i + 1 == ones.size() ? " y " : ", ") + p;
  }
  if (w.values.size() > kMaxValuesLength) w.values.clear();
  return w;
}

// "1 bit", "8 bits".
std::string Bits(int n) {
  return std::to_string(n) + (n == 1 ? " bit" : " bits");
}

// A value in a sum or difference: negative ones in parentheses.
std::string Term(const Big& v) {
  return v < 0 ? "(" + Text(v) + ")" : Text(v);
}

// The characters of a UTF-8 text.
std::size_t Length(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// Lines whose bit strings share one column, as written by hand for an addition: each row is a
// label, a two-character mark ("+ " on the row that adds) and a field, with an optional tail.
struct Row {
  Row(std::string l, std::string f, std::string t = "", const char* m = "  ")
      : label(std::move(l)), field(std::move(f)), tail(std::move(t)), mark(m) {}
  std::string label;
  std::string field;
  std::string tail;
  const char* mark;
};

void AddColumn(Lines& lines, const std::vector<Row>& rows) {
  std::size_t width = 0;
  for (const Row& r : rows) width = std::max(width, Length(r.label));
  for (const Row& r : rows) {
    std::string line = r.label + std::string(width - Length(r.label), ' ') + r.mark + r.field;
    line += r.tail;
    line.erase(line.find_last_not_of(' ') + 1);
    lines.push_back(line);
  }
}

// The rows of "+ 1" under `bits`: the carries (when there are any), the added 1, the rule and
// the sum, labelled `sum_label`; returns the sum.
std::string AddOneRows(std::vector<Row>& rows, const std::string& bits, std::string sum_label) {
  const auto [sum, carries] = AddOne(bits);
  if (carries.find('1') != std::string::npos) rows.push_back({"acarreos:", carries});
  rows.push_back({"se suma 1:", std::string(bits.size() - 1, ' ') + "1", "", "+ "});
  rows.push_back({"", std::string(bits.size(), '-')});
  rows.push_back({std::move(sum_label), sum});
  return sum;
}

// --- Writing a value ----------------------------------------------------------------------

Lines WriteNatural(const Big& v, int width) {
  const std::string bits = Binary(v, width);
  const Weights w = WeightsOf(bits);
  if (w.count == 0) return {"0 no tiene ningún bit a 1: " + bits};
  if (w.count == 1) {
    return {Text(v) + " = " + w.powers, "bit a 1 en la posición " + w.positions + ": " + bits};
  }
  return {Text(v) + " = " + (w.values.empty() ? "" : w.values + " = ") + w.powers,
          "bits a 1 en las posiciones " + w.positions + ": " + bits};
}

// One's and two's complement: a value that is not negative is its natural binary.
Lines WriteComplement(bool twos, const Big& v, int width) {
  if (v >= 0) {
    return {Text(v) + " no es negativo: se escribe en binario natural, con el primer bit a 0",
            Text(v) + " en binario natural con " + Bits(width) + ": " + Binary(v, width)};
  }
  Lines lines = {Text(v) + " es negativo: se invierten los bits de su magnitud" +
                 (twos ? " y se suma 1" : "")};
  const Big magnitude = -v;
  const std::string bits = Binary(magnitude, width);
  std::vector<Row> rows = {
      {"|" + Text(v) + "| = " + Text(magnitude) + " en binario natural:", bits},
      {"se invierten los bits:", Invert(bits)}};
  if (twos) AddOneRows(rows, Invert(bits), "complemento a dos de " + Text(v) + ":");
  AddColumn(lines, rows);
  return lines;
}

Lines WriteSignMagnitude(const Big& v, int width) {
  const bool negative = v < 0;
  const Big magnitude = negative ? Big(-v) : v;
  const std::string field = Binary(magnitude, width - 1);
  const std::string sign = negative ? "1" : "0";
  Lines lines = {negative ? "signo: " + Text(v) + " es negativo, bit de signo 1"
                          : "signo: " + Text(v) + " no es negativo, bit de signo 0"};
  if (width == 1) {
    lines.push_back("magnitud: con 1 bit no queda ninguno para ella (solo cabe el 0)");
  } else {
    lines.push_back("magnitud: |" + Text(v) + "| = " + Text(magnitude) + " en " + Bits(width - 1) +
                    ": " + field);
  }
  lines.push_back("signo " + sign + " y magnitud " + (field.empty() ? "vacía" : field) + ": " +
                  sign + field);
  return lines;
}

Lines WriteExcess(const Big& v, int width, std::int64_t excess) {
  const Big stored = v + excess;
  return {"se suma el exceso: " + Text(v) + " + " + Term(Big(excess)) + " = " + Text(stored),
          Text(stored) + " en binario natural con " + Bits(width) + ": " + Binary(stored, width)};
}

// --- Reading a pattern --------------------------------------------------------------------

std::string ReadNaturalLine(std::string_view bits) {
  const Weights w = WeightsOf(bits);
  const std::string s(bits);
  if (w.count == 0) return s + " no tiene ningún bit a 1: 0";
  if (w.count == 1) return s + " = " + w.powers + " = " + w.values;
  return s + " = " + w.powers + " = " + (w.values.empty() ? "" : w.values + " = ") +
         Text(Natural(bits));
}

// The last line of a negative reading: the value, or the second zero.
std::string NegativeValueLine(const Big& magnitude) {
  if (magnitude == 0) return "valor: -0 (el cero negativo), es decir, 0";
  return "valor: -" + Text(magnitude);
}

Lines ReadComplement(bool twos, std::string_view bits) {
  if (bits[0] == '0') {
    return {"el primer bit es 0: no es negativo, se lee en binario natural", ReadNaturalLine(bits)};
  }
  Lines lines = {std::string("el primer bit es 1: es negativo; se invierten los bits") +
                 (twos ? " y se suma 1" : "") + " para hallar la magnitud"};
  const std::string inverted = Invert(std::string(bits));
  std::vector<Row> rows = {{"cadena:", std::string(bits)}};
  Big magnitude;
  if (twos) {
    rows.push_back({"se invierten los bits:", inverted});
    // The tail goes on once the sum is known.
    const std::string sum = AddOneRows(rows, inverted, "magnitud:");
    magnitude = Natural(sum);
    rows.back().tail = " = " + Text(magnitude);
  } else {
    magnitude = Natural(inverted);
    rows.push_back({"se invierten los bits:", inverted, " = " + Text(magnitude)});
  }
  AddColumn(lines, rows);
  lines.push_back(NegativeValueLine(magnitude));
  return lines;
}

Lines ReadSignMagnitude(std::string_view bits) {
  const bool negative = bits[0] == '1';
  const std::string_view field = bits.substr(1);
  const Big magnitude = Natural(field);
  Lines lines = {negative ? "el primer bit es el signo: 1, negativo"
                          : "el primer bit es el signo: 0, no negativo"};
  lines.push_back(field.empty() ? "magnitud: no queda ningún bit para ella, 0"
                                : "magnitud: " + std::string(field) + " = " + Text(magnitude));
  lines.push_back(negative ? NegativeValueLine(magnitude) : "valor: " + Text(magnitude));
  return lines;
}

Lines ReadExcess(std::string_view bits, std::int64_t excess) {
  const Big stored = Natural(bits);
  return {std::string(bits) + " en binario natural = " + Text(stored),
          "se resta el exceso: " + Text(stored) + " - " + Term(Big(excess)) + " = " +
              Text(stored - excess)};
}

// --- The parts every report shares ----------------------------------------------------------

// The range, the zeros, the bases and the readings of `bits`.
IntegerReport Common(System system, std::string_view bits, std::int64_t excess) {
  IntegerReport r;
  r.system = system;
  r.width = static_cast<int>(bits.size());
  // The other systems read the pattern in excess 2^(n-1) - 1, the usual one at each width (127
  // at 8 bits), whatever excess was used last: a pattern reads the same in every door.
  r.excess = system == System::kExcess
                 ? excess
                 : static_cast<std::int64_t>((std::uint64_t{1} << (bits.size() - 1)) - 1);
  r.bits = bits;
  const int n = r.width;
  Big min;
  Big max;
  switch (system) {
    case System::kSignMagnitude:
    case System::kOnes:
      max = Pow2(n - 1) - 1;
      min = -max;
      r.zeros = {std::string(bits.size(), '0'), system == System::kOnes
                                                    ? std::string(bits.size(), '1')
                                                    : "1" + std::string(bits.size() - 1, '0')};
      break;
    case System::kTwos:
      max = Pow2(n - 1) - 1;
      min = -Pow2(n - 1);
      break;
    case System::kExcess:
      min = -Big(excess);
      max = Pow2(n) - 1 - excess;
      break;
    default:
      min = 0;
      max = Pow2(n) - 1;
      break;
  }
  r.min = Text(min);
  r.max = Text(max);
  std::tie(r.hex_groups, r.hex) = InBase(bits, 4);
  std::tie(r.octal_groups, r.octal) = InBase(bits, 3);
  // The readings from the natural value u and the first bit, as a course defines them (the
  // decoders' own per-bit arithmetic, with its trace printed silently, made JSON batches several
  // times slower; the tests hold these against the decoders).
  const Big u = Natural(bits);
  const bool negative = bits[0] == '1';
  const Big half = Pow2(n - 1);
  const Big all = Pow2(n);
  r.readings = {{System::kNatural, Text(u)},
                {System::kSignMagnitude, Text(negative ? half - u : u)},
                {System::kOnes, Text(negative ? u - all + 1 : u)},
                {System::kTwos, Text(negative ? u - all : u)},
                {System::kExcess, Text(u - r.excess)}};
  return r;
}

}  // namespace

IntegerReport ReportIntegerRepresentation(System system, std::int64_t value, std::string_view bits,
                                          std::int64_t excess) {
  IntegerReport r = Common(system, bits, excess);
  const Big v = value;
  r.value = Text(v);
  if (v < Big(r.min)) {
    r.fit = Fit::kBelow;
    r.distance = Text(Big(r.min) - v);
    return r;
  }
  if (v > Big(r.max)) {
    r.fit = Fit::kAbove;
    r.distance = Text(v - Big(r.max));
    return r;
  }
  switch (system) {
    case System::kNatural: r.method = WriteNatural(v, r.width); break;
    case System::kSignMagnitude: r.method = WriteSignMagnitude(v, r.width); break;
    case System::kOnes: r.method = WriteComplement(false, v, r.width); break;
    case System::kTwos: r.method = WriteComplement(true, v, r.width); break;
    case System::kExcess: r.method = WriteExcess(v, r.width, excess); break;
    case System::kFloat: break;
  }
  return r;
}

IntegerReport ReportIntegerInterpretation(System system, std::string_view bits,
                                          std::int64_t excess) {
  IntegerReport r = Common(system, bits, excess);
  switch (system) {
    case System::kNatural: r.method = {ReadNaturalLine(bits)}; break;
    case System::kSignMagnitude: r.method = ReadSignMagnitude(bits); break;
    case System::kOnes: r.method = ReadComplement(false, bits); break;
    case System::kTwos: r.method = ReadComplement(true, bits); break;
    case System::kExcess: r.method = ReadExcess(bits, excess); break;
    case System::kFloat: break;
  }
  return r;
}

void PrintIntegerReport(const IntegerReport& r, Trace& trace) {
  trace.Print(kRangeLine, SystemPhrase(r.system, r.excess).c_str(), Bits(r.width).c_str(),
              r.min.c_str(), r.max.c_str());
  if (r.zeros.size() == 2) trace.Print(kZerosPart, r.zeros[0].c_str(), r.zeros[1].c_str());
  trace.Print("\n");
  if (r.fit == Fit::kAbove) trace.Print(kAboveLine, r.value.c_str(), r.distance.c_str());
  if (r.fit == Fit::kBelow) trace.Print(kBelowLine, r.value.c_str(), r.distance.c_str());
  trace.Print(kHexLine, r.hex_groups.c_str(), r.hex.c_str());
  trace.Print(kOctalLine, r.octal_groups.c_str(), r.octal.c_str());
  if (!r.method.empty()) {
    trace.Print(kMethodHeading);
    for (const std::string& line : r.method) {
      trace.Text((kMethodIndent + line + "\n").c_str());
    }
  }
  trace.Print(kReadingsLabel, r.bits.c_str());
  const char* separator = " ";
  for (const IntegerReading& reading : r.readings) {
    // "natural 219", "exceso 127: 92".
    const std::string name = reading.system == System::kNatural ? "natural"
                             : reading.system == System::kExcess
                                 ? SystemPhrase(reading.system, r.excess) + ":"
                                 : SystemPhrase(reading.system, r.excess);
    trace.Print("%s%s %s", separator, name.c_str(), reading.value.c_str());
    separator = ", ";
  }
  trace.Print("\n");
}

}  // namespace repbin::ops
