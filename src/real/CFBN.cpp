#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "codec/codec.h"
#include "output/output.h"
#include "real/exact.h"
#include "real/real.h"

namespace repbin {
namespace {

constexpr std::int64_t kMaxMagnitude = 2147483647;

struct IntegerPart {
  std::int64_t magnitude;  // saturates just past kMaxMagnitude
  bool minus;
};

// The integer part, the `length` characters at `text`, by the atol rule: white space, an
// optional sign, then digits up to the first other character; no digits read as 0. Read exactly
// (the 32-bit wrap-around of atol would convert a different number than the one typed).
IntegerPart ReadIntegerPart(const char* text, std::size_t length) {
  std::size_t i = 0;
  while (i < length && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  IntegerPart part{0, false};
  if (i < length && (text[i] == '+' || text[i] == '-')) part.minus = text[i++] == '-';
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
    part.magnitude = part.magnitude * 10 + (text[i] - '0');
    if (part.magnitude > kMaxMagnitude) part.magnitude = kMaxMagnitude + 1;
  }
  return part;
}

// The separator: the first '.', or the end of the text.
std::size_t SeparatorIndex(const char* decimal) {
  return std::strcspn(decimal, ".");
}

// The digits after the '.' of `fraction` (which starts at the '.'), up to the first other
// character.
std::string_view FractionDigits(const char* fraction) {
  const std::string_view text(fraction + 1);
  return text.substr(0, std::min(text.find_first_not_of("0123456789"), text.size()));
}

// Whether `text` is a decimal number in fixed point: an optional sign, then digits with an
// optional point and optional digits after it, or a point followed by digits.
bool IsFixedPointNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const auto digits = [&] {
    const std::size_t first = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - first;
  };
  std::size_t count = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    count += digits();
  }
  return count > 0 && i == text.size();
}

}  // namespace

FixedTextFault CheckFixedText(const char* decimal) {
  const std::string_view text(decimal);
  if (!IsFixedPointNumber(text)) {
    // The Spanish decimal comma: a number once ',' reads as the point.
    std::string pointed(text);
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    const bool comma = pointed != text && IsFixedPointNumber(pointed);
    return comma ? FixedTextFault::kDecimalComma : FixedTextFault::kNotANumber;
  }
  const std::size_t i = SeparatorIndex(decimal);
  const IntegerPart part = ReadIntegerPart(decimal, i);
  if (part.magnitude > kMaxMagnitude) return FixedTextFault::kIntegerTooLarge;
  // Below one, the exact doubling of the fraction finds its first '1' at fraction digit d when
  // the fraction is at least 2^-d; the text "+0." leaves room for 61 digits.
  if (part.magnitude == 0 && decimal[i] == '.') {
    const DecimalFraction fraction(FractionDigits(decimal + i));
    if (!fraction.IsZero() && fraction.IsBelowPowerOfTwo(61)) return FixedTextFault::kTooSmall;
  }
  return FixedTextFault::kNone;
}

std::string FixedTextMessage(FixedTextFault fault, const char* decimal,
                             const char* floating_entry) {
  switch (fault) {
    case FixedTextFault::kNone: return "";
    case FixedTextFault::kNotANumber:
      return "escriba un número en coma fija: un signo si hace falta, cifras y como mucho un "
             "punto decimal (por ejemplo 5.375, -0.1 o .5), sin letras, comas ni exponente";
    case FixedTextFault::kDecimalComma: {
      std::string pointed(decimal);
      std::replace(pointed.begin(), pointed.end(), ',', '.');
      return "use el punto decimal: " + pointed;
    }
    case FixedTextFault::kIntegerTooLarge:
      return "la parte entera debe estar entre -2147483647 y 2147483647";
    case FixedTextFault::kTooSmall:
      return std::string(
                 "el valor es tan pequeño que su primer 1 en binario queda más allá de los 64 "
                 "caracteres de la coma fija; escríbalo como valor en coma flotante (") +
             floating_entry + ")";
  }
  return "";
}

int CFBN(const char* decimal, char* bitmap, int* coma, Trace& trace) {
  trace.Print("\n=== Conversión a binario del número en coma flotante %s ====\n", decimal);
  // The integer part runs up to the first '.'; without one there is no fraction.
  const std::size_t i = SeparatorIndex(decimal);
  const bool sin = decimal[i] != '.';
  const IntegerPart part = ReadIntegerPart(decimal, i);
  // The sign is the integer part's; "-0.5" and "-.5" are negative too.
  bitmap[0] = part.minus ? '-' : '+';
  // A magnitude beyond 31 bits is refused by CheckFixedText; if one comes anyway, it is limited
  // so that the text stays inside its 65 characters.
  const auto entero =
      static_cast<std::int32_t>(part.magnitude > kMaxMagnitude ? kMaxMagnitude : part.magnitude);
  // L, the number of binary digits of the magnitude (1 for 0).
  const int L =
      entero == 0 ? 1 : static_cast<int>(std::bit_width(static_cast<std::uint32_t>(entero)));
  // The integer digits at 1 to L, with the halving trace.
  DecBN(entero, bitmap + 1, L, trace);
  // The binary point follows them; the form 0.1... x 2^L holds for a non-zero integer part.
  *coma = L;
  bitmap[L + 1] = '.';
  int w = L + 2;  // where the next fraction digit goes
  int primer1 = 0;
  if (sin) {
    // No fraction at all: "+101.0".
    bitmap[w++] = '0';
    bitmap[w] = '\0';
  } else {
    // The fraction by repeated doubling of its exact decimal value, until nothing is left or
    // the text is full; a fraction of 0 leaves the text ending right after the '.'. Each line
    // shows the remainders before and after as the doubles nearest them.
    const char* fraction = decimal + i;
    DecimalFraction decimales(FractionDigits(fraction));
    trace.Print("\n =Parte fraccionaria 0%s=\n", fraction);
    bitmap[w] = '\0';
    while (!decimales.IsZero() && w < 64) {
      const double tmpr = decimales.Nearest();
      if (decimales.DoubleAndTakeDigit() == 1) {
        if (primer1 == 0) primer1 = w;
        bitmap[w] = '1';
      } else {
        bitmap[w] = '0';
      }
      bitmap[++w] = '\0';
      trace.Print("\t %fx2=%f \t \t 0%s...\n", tmpr, decimales.Nearest(), bitmap + L + 1);
    }
    trace.Print("La parte fracionaria 0%s es igual 0%s \n ", fraction, bitmap + L + 1);
  }
  trace.Print("El valor en coma fija es %s\n", bitmap);
  // Below one, the exponent comes from the first '1' (3 when there is none).
  if (entero == 0) *coma = 3 - primer1;
  return w;
}

}  // namespace repbin
