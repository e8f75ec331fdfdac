// The floating-point hand method: the steps a student writes to put a value into a layout, or to
// read a pattern back, worked out exactly and in the order a course teaches them. Each step
// follows what the encoders (CFCFL, CFLBN) and the reading (ReadFloat) really do, so the last
// line is the program's own pattern or value.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "real/exact_input.h"
#include "real/fields.h"

namespace repbin::exact_input {
namespace {

namespace mp = boost::multiprecision;
using Lines = std::vector<std::string>;

// The binary fixed-point text of CFBN holds 64 characters: the sign, the integer digits, the
// point and the fraction digits.
constexpr Wide kFixedTextLength = 64;

// The longest value the reading's last line also writes out in binary fixed point.
constexpr std::size_t kMaxWrittenOut = 80;

std::string Text(Wide v) {
  return std::to_string(v);
}

// A value in a sum or difference: negative ones in parentheses.
std::string Term(Wide v) {
  return v < 0 ? "(" + Text(v) + ")" : Text(v);
}

Big Natural(const std::string& bits) {
  Big v = 0;
  for (const char c : bits) v = v * 2 + (c == '1' ? 1 : 0);
  return v;
}

std::string Invert(std::string bits) {
  for (char& c : bits) c = c == '1' ? '0' : '1';
  return bits;
}

// `bits` plus 1 in as many bits, and whether a carry leaves them.
std::pair<std::string, bool> PlusOne(std::string bits) {
  for (std::size_t i = bits.size(); i-- > 0;) {
    if (bits[i] == '0') {
      bits[i] = '1';
      return {bits, false};
    }
    bits[i] = '0';
  }
  return {bits, true};
}

// "posición 5", "posiciones 1 a 8".
std::string Positions(int first, int width) {
  if (width == 1) return "posición " + Text(first);
  return "posiciones " + Text(first) + " a " + Text(first + width - 1);
}

// "5", "1 a 8": the positions once the field is named.
std::string Span(int first, int width) {
  if (width == 1) return Text(first);
  return Text(first) + " a " + Text(first + width - 1);
}

// "23 bits", "1 bit".
std::string Count(int n) {
  return Text(n) + (n == 1 ? " bit" : " bits");
}

// v / 2^point in binary fixed point, without trailing zeros after the point: "101.011", and
// "1.0" for a significand (`point_kept`) but "100" for a value.
std::string FixedBinary(const Big& v, Wide point, bool point_kept = true) {
  const std::string whole = point <= 0 ? BinaryDigits(v << static_cast<unsigned>(-point))
                                       : BinaryDigits(v >> static_cast<unsigned>(point));
  std::string fraction = point <= 0 ? "" : BinaryDigits(v, static_cast<int>(point));
  fraction.erase(std::min(fraction.find_last_not_of('0') + 1, fraction.size()));
  if (fraction.empty()) return point_kept ? whole + ".0" : whole;
  return whole + "." + fraction;
}

// The exponent field's system as the statements name it ("exceso 127", "complemento a dos").
std::string ExponentSystem(const FloatFormat& f) {
  switch (f.TypeExp) {
    case 0: return "signo-magnitud";
    case 1: return "complemento a uno";
    case 2: return "complemento a dos";
    default: return "exceso " + Text(f.zEZ);
  }
}

// --- Writing ------------------------------------------------------------------------------

// The exponent `e` in its field, or nothing when it does not fit (with the line saying so).
std::optional<std::string> WriteExponentField(const FloatFormat& f, Wide e, Lines& lines) {
  Wide lowest = 0;
  Wide highest = 0;
  ExponentRange(f, &lowest, &highest);
  const int n = f.nbexp;
  if (e < lowest || e > highest) {
    lines.push_back("exponente " + Text(e) + ": no cabe en " + Count(n) + " en " +
                    ExponentSystem(f) + " (de " + Text(lowest) + " a " + Text(highest) +
                    "); la cadena no representa el valor");
    return std::nullopt;
  }
  const Big magnitude = e < 0 ? Big(-e) : Big(e);
  std::string field;
  switch (f.TypeExp) {
    case 0:
      field = (e < 0 ? "1" : "0") + BinaryDigits(magnitude, n - 1);
      lines.push_back(
          "exponente " + Text(e) + " en signo-magnitud: signo " + field.substr(0, 1) +
          (n > 1 ? " y magnitud " + Text(e < 0 ? -e : e) + " en " + Count(n - 1) + ": " + field
                 : ": " + field));
      break;
    case 1:
    case 2: {
      const std::string name = f.TypeExp == 1 ? "complemento a uno" : "complemento a dos";
      if (e >= 0) {
        field = BinaryDigits(magnitude, n);
        lines.push_back("exponente " + Text(e) + " en " + name + ": no es negativo, " + Text(e) +
                        " en binario: " + field);
        break;
      }
      const std::string plain = BinaryDigits(magnitude, n);
      field = Invert(plain);
      std::string line = "exponente " + Text(e) + " en " + name + ": " + Text(-e) + " = " + plain +
                         ", se invierten los bits";
      if (f.TypeExp == 2) {
        const std::string inverted = field;
        field = PlusOne(inverted).first;
        line += " y se suma 1: " + inverted + " + 1 = " + field;
      } else {
        line += ": " + field;
      }
      lines.push_back(line);
      break;
    }
    default: {
      const Wide stored = e + f.zEZ;
      field = BinaryDigits(Big(stored), n);
      lines.push_back("exponente: " + Text(e) + " + " + Term(f.zEZ) + " = " + Text(stored) + " = " +
                      field);
      break;
    }
  }
  return field;
}

// The stored mantissa digits of a negative value in the mantissa's system, with the line that
// complements them: the encoders complement only the field, the sign having its own bit.
std::string ComplementField(const FloatFormat& f, const std::string& digits, Lines& lines) {
  const std::string kept = f.bi() == 1 ? "los bits guardados (el bit implícito no)" : "sus bits";
  if (f.TypeMan == 1) {
    const std::string field = Invert(digits);
    lines.push_back("negativo, con la mantisa en complemento a uno: se invierten " + kept + ": " +
                    field);
    return field;
  }
  const std::string inverted = Invert(digits);
  const auto [field, carry] = PlusOne(inverted);
  lines.push_back("negativo, con la mantisa en complemento a dos: se invierten " + kept +
                  " y se suma 1: " + inverted + " + 1 = " + field +
                  (carry ? " (el acarreo sale del campo y se pierde)" : ""));
  return field;
}

// The last line: the fields in their places, and the pattern.
std::string PlaceFields(const FloatFormat& f, char sign, const std::string& exponent,
                        const std::string& mantissa) {
  std::string pattern(static_cast<std::size_t>(f.nb), '0');
  pattern[static_cast<std::size_t>(f.possigno)] = sign;
  pattern.replace(static_cast<std::size_t>(f.posexp), exponent.size(), exponent);
  pattern.replace(static_cast<std::size_t>(f.posmantisa), mantissa.size(), mantissa);
  // The fields named in the order they lie in the string.
  std::vector<std::pair<int, std::string>> fields = {
      {f.possigno, "signo " + Span(f.possigno, 1)},
      {f.posexp, "exponente " + Span(f.posexp, f.nbexp)},
      {f.posmantisa, "mantisa " + Span(f.posmantisa, f.NbMan())}};
  std::sort(fields.begin(), fields.end());
  return "cada campo en sus posiciones (" + fields[0].second + ", " + fields[1].second + ", " +
         fields[2].second + "): " + pattern;
}

// What an IEEE 754 reader makes of a pattern the program's reading takes as a value, or empty.
std::string IeeeNote(const FloatFormat& f, const std::string& exponent,
                     const std::string& mantissa) {
  if (!IsIeeeShaped(f)) return "";
  const bool ones = exponent.find('0') == std::string::npos;
  const bool zeros = exponent.find('1') == std::string::npos;
  const bool mantissa_ones = mantissa.find('0') == std::string::npos;
  const bool mantissa_zeros = mantissa.find('1') == std::string::npos;
  if (ones && f.specials == kOnlyNan && mantissa_ones) {
    return "en IEEE 754 (sin infinitos) esta cadena es NaN";
  }
  if (ones && f.specials != kOnlyNan) {
    return "en IEEE 754 el exponente " + exponent + " está reservado a infinitos y NaN";
  }
  if (zeros && !mantissa_zeros) {
    return "en IEEE 754 el exponente " + exponent + " es el de los subnormales";
  }
  return "";
}

}  // namespace

Lines WritingMethod(const FloatFormat& f, const Input& in, bool fixed_text,
                    const ExactDecimal& exact) {
  if (!in.finite || !in.exact || !exact) return {};
  Lines lines;
  const int nbman = f.NbMan();
  const int p = nbman + f.bi();  // the significand's bits, the implicit one counted
  const char sign = in.negative ? '1' : '0';
  if (!fixed_text) lines.push_back("el valor en simple precisión es exactamente " + *exact);

  std::string digits;  // the stored mantissa digits, before any complement
  Wide e = 0;
  const bool zero = in.magnitude == 0;
  if (zero) {
    Wide lowest = 0;
    Wide highest = 0;
    ExponentRange(f, &lowest, &highest);
    e = lowest;
    digits.assign(static_cast<std::size_t>(nbman), '0');
    lines.push_back("el 0 no tiene forma normalizada: se escriben el menor exponente, " + Text(e) +
                    ", y la mantisa a cero");
  } else {
    // The value in binary: the integer part, then the fraction's digits as far as the last
    // significant bit the mantissa keeps (and as far as the program's fixed-point text goes).
    Big whole;
    Big rest;
    mp::divide_qr(in.magnitude, in.denominator, whole, rest);
    const Wide lead = FloorLog2(in);  // the position of the first '1'
    const Wide unit = lead - p + 1;   // the position of the last bit kept
    const Wide whole_digits = whole == 0 ? 1 : static_cast<Wide>(mp::msb(whole)) + 1;
    const Wide text_limit = fixed_text ? kFixedTextLength - 2 - whole_digits : -unit;
    const Wide shown = std::max<Wide>(0, std::min(-unit, text_limit));
    const std::string& text = *exact;
    const std::size_t point = std::min(text.find('.'), text.size());
    const std::size_t begin = in.negative ? 1 : 0;
    lines.push_back("parte entera: " + text.substr(begin, point - begin) + " = " +
                    BinaryDigits(whole));
    Big remainder = rest;
    const std::string fraction = DivideDigits(remainder, in.denominator, shown);
    if (rest != 0) {
      const std::string decimals = "0" + text.substr(point);
      if (shown == 0) {
        lines.push_back("parte fraccionaria: " + decimals +
                        "; ninguna de sus cifras cabe en la mantisa");
      } else {
        // An expansion that ends before the mantissa is full ends there.
        std::string shown_digits = fraction;
        if (remainder == 0) {
          shown_digits.erase(std::max<std::size_t>(1, shown_digits.find_last_not_of('0') + 1));
        }
        lines.push_back("parte fraccionaria: " + decimals + " = 0." + shown_digits +
                        (remainder != 0 ? "..." : ""));
      }
    }
    // The significand kept: p bits from the first '1', truncated.
    Big significand;
    if (unit >= 0) {
      significand = whole >> static_cast<unsigned>(unit);
    } else {
      significand = ((whole << static_cast<unsigned>(shown)) + Natural(fraction))
                    << static_cast<unsigned>(-unit - shown);
    }
    const bool truncated =
        remainder != 0 ||
        (unit > 0 && (whole & ((Big(1) << static_cast<unsigned>(unit)) - 1)) != 0);
    if (truncated) {
      std::string line = "se trunca a " + Count(p) + " significativos";
      if (shown < -unit) {
        line += ": la coma fija del programa llega a " + Text(text_limit) + " cifras fraccionarias";
      }
      lines.push_back(line);
    }
    // The normalised form, its exponent and the digits the mantissa stores.
    const std::string all = BinaryDigits(significand, p);
    const char* sign_text = in.negative ? "-" : "";
    std::string normalised;
    switch (f.typenorma) {
      case 1:
        e = lead;
        normalised = FixedBinary(significand, p - 1);
        digits = all.substr(1);
        break;
      case 2:
        e = lead + 1;
        normalised = FixedBinary(significand, p);
        digits = all.substr(1);
        break;
      default:
        e = lead + 1;
        normalised = FixedBinary(significand, p);
        digits = all;
        break;
    }
    lines.push_back(std::string("normalizado en ") + NormPhrase(f.typenorma) + ": " + sign_text +
                    normalised + " × 2^" + Text(e));
  }

  const std::optional<std::string> exponent = WriteExponentField(f, e, lines);
  if (!exponent) return lines;
  if (zero) {
    lines.push_back("mantisa: " + Count(nbman) + " a 0: " + digits);
  } else if (f.typenorma == 0) {
    lines.push_back("mantisa: las cifras tras el 0., en " + Count(nbman) + ": " + digits);
  } else {
    lines.push_back(std::string("mantisa: sin el ") + (f.typenorma == 1 ? "1" : "0.1") +
                    " implícito, en " + Count(nbman) + ": " + digits);
  }
  // The smallest exponent with a mantissa of '0' digits is zero's pattern: no other value's.
  Wide lowest = 0;
  Wide highest = 0;
  ExponentRange(f, &lowest, &highest);
  if (!zero && f.bi() == 1 && e == lowest && digits.find('1') == std::string::npos) {
    lines.push_back(
        "el menor exponente con la mantisa a cero es la cadena del 0: la cadena no "
        "representa el valor");
    return lines;
  }
  std::string field = digits;
  if (in.negative && f.TypeMan != 0) field = ComplementField(f, digits, lines);
  lines.push_back(!in.negative ? "signo: positivo, 0"
                  : zero       ? "signo: el del -0, 1"
                               : "signo: negativo, 1");
  const std::string note = IeeeNote(f, *exponent, field);
  if (!note.empty()) lines.push_back(note);
  lines.push_back(PlaceFields(f, sign, *exponent, field));
  return lines;
}

// --- Reading ------------------------------------------------------------------------------

namespace {

// The exponent field read in its system, with its line.
Wide ReadExponentField(const FloatFormat& f, const std::string& field, Lines& lines) {
  const std::string head =
      "exponente (" + Positions(f.posexp, f.nbexp) + "): " + field + " en " + ExponentSystem(f);
  const Big u = Natural(field);
  switch (f.TypeExp) {
    case 0: {
      const Wide magnitude = Natural(field.substr(1)).convert_to<Wide>();
      const bool minus = field[0] == '1';
      const Wide e = minus ? -magnitude : magnitude;
      if (field.size() == 1) {
        lines.push_back(head + ": signo " + field + " sin magnitud: 0");
      } else {
        lines.push_back(head + ": signo " + field.substr(0, 1) + " y magnitud " + field.substr(1) +
                        " = " + Text(magnitude) + ": " + Text(e));
      }
      return e;
    }
    case 1:
    case 2: {
      if (field[0] == '0') {
        const Wide e = u.convert_to<Wide>();
        lines.push_back(head + ": empieza por 0, no es negativo: " + Text(e));
        return e;
      }
      const std::string inverted = Invert(field);
      std::string line = head + ": empieza por 1, es negativo; se invierten los bits";
      Big magnitude = Natural(inverted);
      if (f.TypeExp == 2) {
        magnitude += 1;
        line += " y se suma 1: " + inverted + " + 1 = " + BinaryDigits(magnitude, f.nbexp);
      } else {
        line += ": " + inverted;
      }
      const Wide e = -magnitude.convert_to<Wide>();
      lines.push_back(line + " = " + magnitude.str() + ": " + (e == 0 ? "-0 = 0" : Text(e)));
      return e;
    }
    default: {
      const Wide e = u.convert_to<Wide>() - f.zEZ;
      lines.push_back(head + ": " + u.str() + " - " + Term(f.zEZ) + " = " + Text(e));
      return e;
    }
  }
}

}  // namespace

Lines ReadingMethod(const FloatFormat& f, const char* bits, const ExactDecimal& value) {
  Lines lines;
  const int nbman = f.NbMan();
  const std::string pattern(bits, static_cast<std::size_t>(f.nb));
  const bool minus = pattern[static_cast<std::size_t>(f.possigno)] == '1';
  const std::string exponent =
      pattern.substr(static_cast<std::size_t>(f.posexp), static_cast<std::size_t>(f.nbexp));
  const std::string field =
      pattern.substr(static_cast<std::size_t>(f.posmantisa), static_cast<std::size_t>(nbman));
  const std::string written = value ? *value : "(demasiado largo para escribirlo en decimal)";
  lines.push_back("signo (" + Positions(f.possigno, 1) +
                  "): " + (minus ? "1, negativo" : "0, positivo"));
  const Wide e = ReadExponentField(f, exponent, lines);
  lines.push_back("mantisa (" + Positions(f.posmantisa, nbman) + "): " + field);
  if (IsZeroPattern(f, bits)) {
    lines.push_back("el menor exponente con la mantisa a cero es la cadena del 0: " + written);
    return lines;
  }
  // The mantissa's magnitude digits: the field, or its complement for a negative value.
  Big magnitude = Natural(field);
  if (minus && f.TypeMan == 1) {
    const std::string inverted = Invert(field);
    magnitude = Natural(inverted);
    lines.push_back("signo 1 y mantisa en complemento a uno: se invierten los bits guardados: " +
                    inverted);
  } else if (minus && f.TypeMan == 2) {
    const std::string inverted = Invert(field);
    const auto [sum, carry] = PlusOne(inverted);
    std::string line =
        "signo 1 y mantisa en complemento a dos: se invierten los bits guardados y "
        "se suma 1: " +
        inverted + " + 1 = ";
    magnitude = Natural(sum);
    if (!carry) {
      line += sum;
    } else if (f.bi() == 1) {
      line += sum + " (el acarreo sale del campo y se pierde)";
    } else {
      // Without an implicit bit the carry stays: the significand is 1.0...0.
      magnitude = Big(1) << static_cast<unsigned>(nbman);
      line += "1" + sum + " (el acarreo queda como parte entera)";
    }
    lines.push_back(line);
  }
  const Wide shift = nbman + (f.typenorma == 2 ? 1 : 0);
  if (f.bi() == 1) magnitude += Big(1) << static_cast<unsigned>(nbman);
  const std::string significand = FixedBinary(magnitude, shift);
  switch (f.typenorma) {
    case 1: lines.push_back("se restaura el 1 implícito: " + significand); break;
    case 2: lines.push_back("se restaura el 0.1 implícito: " + significand); break;
    default: lines.push_back("sin bit implícito: " + significand); break;
  }
  const std::string note = IeeeNote(f, exponent, field);
  if (!note.empty()) lines.push_back(note + "; aquí se lee como los demás");
  std::string line =
      "valor: " + std::string(minus && magnitude != 0 ? "-" : "") + significand + " × 2^" + Text(e);
  // Written out in binary fixed point when that stays short.
  if (magnitude != 0 && e < static_cast<Wide>(kMaxWrittenOut) &&
      e > -static_cast<Wide>(kMaxWrittenOut)) {
    const std::string out = FixedBinary(magnitude, shift - e, false);
    if (out.size() <= kMaxWrittenOut) line += " = " + std::string(minus ? "-" : "") + out;
  }
  lines.push_back(line + " = " + written);
  return lines;
}

}  // namespace repbin::exact_input
