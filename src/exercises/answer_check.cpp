#include "exercises/answer_check.h"

#include <algorithm>
#include <boost/multiprecision/cpp_int.hpp>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "exercises/arithmetic_exercises.h"
#include "operations/bit_input.h"
#include "operations/format_card.h"
#include "operations/operations.h"
#include "output/output.h"
#include "output/platform.h"
#include "real/exact.h"
#include "real/format.h"
#include "real/real.h"
#include "real/report.h"

namespace repbin::exercises {
namespace {

using ops::System;

// Half a unit of the sixth decimal: the tolerance a floating-point reading is given.
constexpr double kReadingTolerance = 0.0000005;
constexpr int kReadingPlaces = 6;  // the tolerance is half a unit of this decimal

// --- Words ----------------------------------------------------------------------------------

// "complemento a dos", "exceso 127".
std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Quoted(std::string_view answer) {
  return "«" + std::string(answer) + "»";
}

// The bit string a typed answer holds, grouped or in hexadecimal (which gives `width` bits), as
// the one-shot commands read it.
std::optional<std::string> TypedBits(std::string_view answer, int width) {
  ops::TypedBits typed = ops::ReadTypedBits(answer, width);
  if (!typed.fault.empty()) return std::nullopt;
  return std::move(typed.bits);
}

// Why a typed answer is no bit string, in the commands' words.
std::string NotBits(std::string_view answer, int width) {
  return "Cadena no válida: " + Quoted(answer) + "; " + ops::ReadTypedBits(answer, width).fault +
         ".";
}

// "Tiene 7 bits; se piden 8.", and what the missing or extra bits are when they are only zeros on
// the left.
std::string LengthText(const std::string& bits, const std::string& key, const char* whose) {
  std::string text = "Tiene " + std::to_string(bits.size()) + " bits; " + whose + " " +
                     std::to_string(key.size()) + ".";
  const auto zeros = [](std::string_view s) { return s.find('1') == std::string_view::npos; };
  if (bits.size() < key.size() && key.ends_with(bits) &&
      zeros(std::string_view(key).substr(0, key.size() - bits.size()))) {
    text += " Faltan los ceros de la izquierda: con " + std::to_string(key.size()) +
            " bits, la cadena es " + key + ".";
  } else if (bits.size() > key.size() && bits.ends_with(key) &&
             zeros(std::string_view(bits).substr(0, bits.size() - key.size()))) {
    text += " Sobran ceros a la izquierda.";
  }
  return text;
}

// --- Integers through the decoders and encoders ----------------------------------------------

// The exact value of `bits` in `system`.
std::string ReadInteger(System system, std::string_view bits, std::int64_t excess) {
  const std::string text(bits);
  return DecodeExact(system, text.c_str(), static_cast<int>(text.size()), excess, NoTrace());
}

// The writing of `value` in `system` with `width` bits, when it fits.
std::optional<std::string> WriteInteger(System system, std::int64_t value, int width, int excess) {
  if (value <= INT32_MIN || value > INT32_MAX) return std::nullopt;
  const ops::IntegerRepresentation written = ops::RepresentInteger(
      {system, width, excess}, static_cast<std::int32_t>(value), {}, NoTrace());
  if (!written.en_rango) return std::nullopt;
  return written.cadena;
}

// "de -128 a 127": the smallest and largest values of `system` with `width` bits, as the decoder
// reads its extreme strings; with `fraction` bits after the point, "de -16 a 15.875".
std::string RangeText(System system, int width, int excess, int fraction = 0) {
  const auto w = static_cast<std::size_t>(width);
  const std::string zeros(w, '0'), ones(w, '1');
  const std::string high = "0" + ones.substr(1), low = "1" + zeros.substr(1);
  std::string lo, hi;
  switch (system) {
    case System::kOnes:
    case System::kTwos: lo = low, hi = high; break;
    case System::kSignMagnitude: lo = ones, hi = high; break;
    default: lo = zeros, hi = ones; break;  // natural binary and excess
  }
  const auto read = [&](const std::string& bits) {
    return *ops::DyadicDecimal(ReadInteger(system, bits, excess), -fraction);
  };
  return "de " + read(lo) + " a " + read(hi);
}

// The common excesses of a width other than `excess`: 2^(n-1) and 2^(n-1) - 1.
std::vector<std::int64_t> OtherExcesses(int width, std::int64_t excess) {
  std::vector<std::int64_t> others;
  if (width < 2 || width > 63) return others;
  const std::int64_t half = std::int64_t{1} << (width - 1);
  for (std::int64_t z : {half, half - 1}) {
    if (z != excess) others.push_back(z);
  }
  return others;
}

// A whole number in its plain decimal form ("+007" is "7", "-0" is "0"), also when written with a
// decimal point or comma and only zeros after it ("-59.0", "59,00", "59.").
std::optional<std::string> WholeNumber(std::string_view text) {
  bool minus = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    minus = text[0] == '-';
    text.remove_prefix(1);
  }
  const std::size_t point = text.find_first_of(".,");
  if (point != std::string_view::npos) {
    if (text.find_first_not_of('0', point + 1) != std::string_view::npos) return std::nullopt;
    text = text.substr(0, point);
  }
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  while (text.size() > 1 && text[0] == '0') text.remove_prefix(1);
  if (text == "0") return "0";
  return (minus ? "-" : "") + std::string(text);
}

std::string Negated(const std::string& value) {
  if (value == "0") return value;
  return value[0] == '-' ? value.substr(1) : "-" + value;
}

// A real number as a student writes it: '.' or ',' before the decimals, an optional sign.
std::optional<double> RealNumber(std::string_view text) {
  std::string plain(text);
  for (char& c : plain) {
    if (c == ',') c = '.';
    const bool allowed =
        (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
    if (!allowed) return std::nullopt;
  }
  if (plain.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = out::StrToD(plain.c_str(), &end);
  if (end != plain.c_str() + plain.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// A mistake recognised: its stable code (error.h) and what it says.
struct Mistake {
  std::string code;
  std::string text;
};

// A number typed where a bit string of `width` bits is asked: the student answers again.
std::optional<Verdict> NumberForBits(std::string_view answer, int width) {
  if (ops::ReadTypedBits(answer, width).fault.empty()) return std::nullopt;
  if (!WholeNumber(answer) && !RealNumber(answer)) return std::nullopt;
  Verdict verdict;
  verdict.repetir = true;
  verdict.diagnostico = Quoted(answer) + " es un número; se pide la cadena de bits de " +
                        std::to_string(width) +
                        " bits (o Fuera de Rango, si el valor no cabe). Responda otra vez: "
                        "esta respuesta no cuenta.";
  return verdict;
}

// What a wrong integer writing most likely comes from, or nothing recognised.
Mistake IntegerWritingMistake(const Exercise& e, const std::string& bits,
                              const std::string& value) {
  const System s = e.kind.system;
  const std::int64_t v = std::stoll(e.dato);
  const std::int64_t magnitude = v < 0 ? -v : v;
  const auto natural = [&](std::int64_t x) { return WriteInteger(System::kNatural, x, e.bits, 0); };
  const std::string phrase = SystemPhrase(s, e.exceso);

  if (std::string(bits.rbegin(), bits.rend()) == e.respuesta) {
    return {"orden_inverso",
            "Los bits están en orden inverso: el primer resto de dividir entre 2 es el bit de "
            "menor peso, el de la derecha."};
  }
  if (s == System::kTwos && v < 0) {
    if (bits == WriteInteger(System::kOnes, v, e.bits, 0)) {
      return {"c2_falta_sumar_1", "Ha invertido los bits, pero falta sumar 1: esa cadena es " +
                                      e.dato + " en complemento a uno."};
    }
    if (bits == natural(magnitude + 1)) {
      return {"c2_sin_invertir",
              "Ha sumado 1 a la magnitud sin invertir sus bits: primero se invierten los bits de " +
                  std::to_string(magnitude) + " y después se suma 1."};
    }
    if (bits == natural(magnitude)) {
      return {"c2_sin_complementar",
              "Falta invertir los bits y sumar 1: esa cadena es la "
              "magnitud, " +
                  std::to_string(magnitude) + ", en binario natural."};
    }
  }
  if (s == System::kOnes && v < 0) {
    if (bits == WriteInteger(System::kTwos, v, e.bits, 0)) {
      return {"c1_sumado_1",
              "Ha sumado 1 después de invertir los bits: en complemento a uno solo se invierten "
              "(eso es complemento a dos)."};
    }
    if (bits == natural(magnitude)) {
      return {"c1_sin_invertir", "Falta invertir los bits: esa cadena es la magnitud, " +
                                     std::to_string(magnitude) + ", en binario natural."};
    }
  }
  if (s == System::kExcess) {
    const std::string read_natural = ReadInteger(System::kNatural, bits, 0);
    if (read_natural == e.dato) {
      return {"exceso_sin_sumar", "Falta sumar el exceso " + std::to_string(e.exceso) +
                                      ": esa cadena es " + e.dato + " en binario natural."};
    }
    if (read_natural == std::to_string(v - e.exceso)) {
      return {"exceso_restado", "Ha restado el exceso en vez de sumarlo: se escribe " + e.dato +
                                    " + " + std::to_string(e.exceso) + " en binario natural."};
    }
    for (std::int64_t z : OtherExcesses(e.bits, e.exceso)) {
      if (read_natural == std::to_string(v + z)) {
        return {"exceso_equivocado", "Ha sumado " + std::to_string(z) + " en vez del exceso, " +
                                         std::to_string(e.exceso) + "."};
      }
    }
  }
  if (value == Negated(e.dato) && v != 0) return {"signo_cambiado", "Tiene el signo cambiado."};
  for (System other : {System::kNatural, System::kSignMagnitude, System::kOnes, System::kTwos}) {
    if (other != s && ReadInteger(other, bits, 0) == e.dato) {
      return {"otro_sistema", "Esa cadena es " + e.dato + " en " + SystemPhrase(other, 0) +
                                  "; se pedía " + phrase + "."};
    }
  }
  return {"otro", ""};
}

// How a writing in an integer system, with or without fraction bits, is read and explained.
struct WritingRules {
  std::string phrase;  // "complemento a dos", "coma fija, complemento a dos"
  std::string range;   // "con 8 bits, complemento a dos va de -128 a 127"
  std::function<std::string(const std::string& bits)> read;  // a string's value
  std::string asked;  // the value the key holds, as a wrong answer's diagnosis names it
  std::function<Mistake(const std::string& bits, const std::string& value)> mistake;
};

// The checks every integer writing shares: Fuera de Rango, a number where bits are asked, the
// string's form and length, then what a wrong string most likely comes from.
Verdict CheckWriting(const Exercise& e, std::string_view answer, const WritingRules& rules) {
  const std::string& range = rules.range;
  const bool fits = e.en_rango.value_or(true);
  Verdict verdict;
  if (SaysOutOfRange(answer)) {
    verdict.correcta = !fits;
    if (fits) {
      verdict.diagnostico = e.dato + " sí cabe: " + range + ".";
      verdict.error = "cabe";
    }
    return verdict;
  }
  if (std::optional<Verdict> again = NumberForBits(answer, e.bits)) return *again;
  const std::optional<std::string> bits = TypedBits(answer, e.bits);
  if (!fits) {
    verdict.diagnostico = e.dato + " no cabe: " + range + "; la respuesta es Fuera de Rango.";
    verdict.error = "no_cabe";
    if (bits && static_cast<int>(bits->size()) == e.bits) {
      verdict.diagnostico += " Su cadena, " + *bits + ", vale " + rules.read(*bits) + ".";
    }
    return verdict;
  }
  if (!bits) {
    verdict.diagnostico = NotBits(answer, e.bits);
    verdict.error = "cadena_no_valida";
    return verdict;
  }
  if (bits->size() != e.respuesta.size()) {
    verdict.diagnostico = LengthText(*bits, e.respuesta, "se piden");
    verdict.error = "longitud";
    return verdict;
  }
  if (*bits == e.respuesta) {
    verdict.correcta = true;
    return verdict;
  }
  const std::string value = rules.read(*bits);
  verdict.diagnostico =
      *bits + " en " + rules.phrase + " vale " + value + ", no " + rules.asked + ".";
  const Mistake mistake = rules.mistake(*bits, value);
  if (!mistake.text.empty()) verdict.diagnostico += " " + mistake.text;
  verdict.error = mistake.code;
  return verdict;
}

Verdict CheckIntegerWriting(const Exercise& e, std::string_view answer) {
  const System s = e.kind.system;
  const std::string phrase = SystemPhrase(s, e.exceso);
  return CheckWriting(
      e, answer,
      {phrase,
       "con " + std::to_string(e.bits) + " bits, " + phrase + " va " +
           RangeText(s, e.bits, e.exceso),
       [&](const std::string& bits) { return ReadInteger(s, bits, e.exceso); }, e.dato,
       [&](const std::string& bits, const std::string& value) {
         return IntegerWritingMistake(e, bits, value);
       }});
}

// The diagnosis of a wrong reading: the first mistake recognised names it ("otro" if none is).
struct ReadingDiagnosis {
  std::string code = "otro";
  std::string why;

  void Because(const char* c, std::string text) {
    if (!why.empty()) return;
    code = c;
    why = std::move(text);
  }

  // The verdict: what the string is worth (`said`), then why the student's value is not it.
  Verdict Finish(std::string said) const {
    Verdict verdict;
    if (!why.empty()) said += " " + why;
    verdict.diagnostico = std::move(said);
    verdict.error = code;
    return verdict;
  }
};

// The mistakes any reading can show, after those of its own kind: the string read in another
// system, the value with its sign changed, the bits read from the wrong end, a bit string
// where a value was asked. `reads_as(system, bits)` says whether the student's value is what
// `bits` are worth in `system` (at the exercise's excess or scale), `is(value)` whether it is
// `value`; `typed` is the student's value as the diagnosis quotes it, `asked` the system asked.
template <typename ReadsAs, typename Is>
void CommonReadingMistakes(const Exercise& e, std::string_view answer, const std::string& typed,
                           const std::string& asked, const ReadsAs& reads_as, const Is& is,
                           ReadingDiagnosis& diagnosis) {
  const System s = e.kind.system;
  for (System other : {System::kNatural, System::kSignMagnitude, System::kOnes, System::kTwos}) {
    if (other != s && reads_as(other, e.dato)) {
      diagnosis.Because("otro_sistema", typed + " es la lectura en " + SystemPhrase(other) +
                                            "; se pedía " + asked + ".");
    }
  }
  if (is(Negated(e.respuesta))) diagnosis.Because("signo_cambiado", "Tiene el signo cambiado.");
  if (reads_as(s, std::string(e.dato.rbegin(), e.dato.rend()))) {
    diagnosis.Because(
        "orden_inverso",
        "Ha leído los bits en orden inverso: el de la izquierda es el de mayor peso.");
  }
  if (answer.size() == e.dato.size() && answer.find_first_not_of("01") == std::string_view::npos) {
    diagnosis.Because("cadena_por_valor", "Se pide el valor en decimal, no una cadena de bits.");
  }
}

// The verdict on a reading answered with no number: "fuera de rango", which no reading is (every
// string of the exercise's width has a value in `phrase`), or anything else, which is not `what`.
Verdict NotANumber(const Exercise& e, std::string_view answer, const std::string& phrase,
                   const char* what) {
  Verdict verdict;
  const bool out_of_range = SaysOutOfRange(answer);
  verdict.error = out_of_range ? "fuera_de_rango_al_leer" : "no_es_numero";
  verdict.diagnostico = out_of_range ? "Toda cadena de " + std::to_string(e.dato.size()) +
                                           " bits tiene un valor en " + phrase +
                                           ": al interpretar no hay «fuera de rango»."
                                     : Quoted(answer) + " no es " + what + ".";
  return verdict;
}

Verdict CheckIntegerReading(const Exercise& e, std::string_view answer) {
  const System s = e.kind.system;
  const std::string phrase = SystemPhrase(s, e.exceso);
  Verdict verdict;
  const std::optional<std::string> given = WholeNumber(answer);
  if (!given) return NotANumber(e, answer, phrase, "un número entero");
  if (*given == e.respuesta) {
    verdict.correcta = true;
    return verdict;
  }
  ReadingDiagnosis diagnosis;
  // The reading in another system, or with another excess, that gives the student's value.
  if (s == System::kExcess) {
    if (ReadInteger(System::kNatural, e.dato, 0) == *given) {
      diagnosis.Because("exceso_sin_restar",
                        *given + " es la lectura en binario natural: falta restar el exceso " +
                            std::to_string(e.exceso) + ".");
    }
    for (std::int64_t z : OtherExcesses(static_cast<int>(e.dato.size()), e.exceso)) {
      if (ReadInteger(s, e.dato, z) == *given) {
        diagnosis.Because("exceso_equivocado", *given + " es la lectura en exceso " +
                                                   std::to_string(z) + "; se pedía " + phrase +
                                                   ".");
      }
    }
  }
  CommonReadingMistakes(
      e, answer, *given, phrase,
      [&](System system, const std::string& bits) {
        return ReadInteger(system, bits, e.exceso) == *given;
      },
      [&](const std::string& value) { return value == *given; }, diagnosis);
  return diagnosis.Finish("La cadena " + e.dato + " en " + phrase + " vale " + e.respuesta +
                          ", no " + *given + ".");
}

// --- Fixed point ------------------------------------------------------------------------------

namespace mp = boost::multiprecision;
using Big = mp::cpp_int;

// The value of `bits` in `system` with `fraction` bits after the point, as an exact decimal.
std::string ReadFixed(System system, std::string_view bits, int fraction) {
  return *ops::DyadicDecimal(ReadInteger(system, bits, 0), -fraction);
}

// A decimal number as a student writes it ("-14.125", "-14,1250", "3"), exactly.
std::optional<ops::ExactValue> ExactNumber(std::string_view text) {
  std::string plain(text);
  std::replace(plain.begin(), plain.end(), ',', '.');
  if (plain.find_first_of("eE") != std::string::npos) return std::nullopt;
  return ops::ParseExactValue(plain);
}

bool SameValue(const ops::ExactValue& a, const std::string& decimal) {
  const std::optional<ops::ExactValue> b = ops::ParseExactValue(decimal);
  return b && a.num == b->num && a.den == b->den;
}

// The value an exercise asks to write, times 2^F, cut to an integer three ways: toward zero (the
// program's rule), to the nearest (halves away from zero) and down.
struct Scaled {
  Big truncated, nearest, floor;
  Big whole;  // the value's own integer part, unscaled
};
Scaled ScaledValue(const Exercise& e) {
  const ops::ExactValue x = *ops::ParseExactValue(e.dato);
  const Big num = Big(x.num) << static_cast<unsigned>(e.fraccion);
  const Big den(x.den);
  Scaled s;
  s.truncated = num / den;  // cpp_int divides toward zero
  const Big rest = num - s.truncated * den;
  s.floor = rest < 0 ? s.truncated - 1 : s.truncated;
  const Big twice = 2 * mp::abs(rest);
  s.nearest = twice >= den ? s.truncated + (num < 0 ? -1 : 1) : s.truncated;
  s.whole = Big(x.num) / den;
  return s;
}

std::optional<std::string> WriteBig(System system, const Big& value, int width) {
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return WriteInteger(system, value.convert_to<std::int64_t>(), width, 0);
}

// What a wrong fixed-point writing most likely comes from: the value not scaled, rounded where it
// is truncated, another system, or one of the integer writing's mistakes on the scaled value.
Mistake FixedWritingMistake(const Exercise& e, const std::string& bits) {
  const System s = e.kind.system;
  const Scaled v = ScaledValue(e);
  const std::string power = "2^" + std::to_string(e.fraccion);
  const std::string scaled = e.dato + " × " + power + " = " + v.truncated.str();
  if (v.whole != v.truncated && bits == WriteBig(s, v.whole, e.bits)) {
    return {"fija_sin_escalar", "Esa cadena es la parte entera, " + v.whole.str() +
                                    ", sin escalar: primero se multiplica por " + power + " (" +
                                    scaled + ") y se escribe ese entero."};
  }
  for (const Big& other : {v.nearest, v.floor}) {
    if (other != v.truncated && bits == WriteBig(s, other, e.bits)) {
      return {"fija_redondeo", "Ha redondeado a " + other.str() +
                                   ": las cifras más allá del último bit fraccionario se "
                                   "truncan, y " +
                                   e.dato + " × " + power + " da " + v.truncated.str() + "."};
    }
  }
  // The integer writing of the scaled value, with its own mistakes (another system among them).
  Exercise integer = e;
  integer.kind.fija = false;
  integer.dato = v.truncated.str();
  Mistake m = IntegerWritingMistake(integer, bits, ReadInteger(s, bits, 0));
  if (!m.text.empty()) m.text = "El entero escalado es " + scaled + ". " + m.text;
  return m;
}

Verdict CheckFixedWriting(const Exercise& e, std::string_view answer) {
  const System s = e.kind.system;
  const std::string phrase = "coma fija, " + std::string(SystemPhrase(s));
  const auto read = [&](const std::string& bits) { return ReadFixed(s, bits, e.fraccion); };
  // A value the format does not hold exactly is named with the value its key holds.
  std::string asked = e.dato;
  if (e.en_rango.value_or(true) && !SameValue(*ops::ParseExactValue(e.dato), read(e.respuesta))) {
    asked = read(e.respuesta) + " (" + e.dato + " truncado)";
  }
  return CheckWriting(
      e, answer,
      {phrase,
       "con " + std::to_string(e.bits) + " bits, " + std::to_string(e.fraccion) +
           " de ellos fraccionarios, " + phrase + " va " + RangeText(s, e.bits, 0, e.fraccion),
       read, asked,
       [&](const std::string& bits, const std::string&) { return FixedWritingMistake(e, bits); }});
}

Verdict CheckFixedReading(const Exercise& e, std::string_view answer) {
  const System s = e.kind.system;
  const std::string phrase = "coma fija, " + std::string(SystemPhrase(s));
  const std::string power = "2^" + std::to_string(e.fraccion);
  Verdict verdict;
  const std::optional<ops::ExactValue> given = ExactNumber(answer);
  if (!given) return NotANumber(e, answer, phrase, "un número decimal");
  if (SameValue(*given, e.respuesta)) {
    verdict.correcta = true;
    return verdict;
  }
  const std::string typed(Trim(answer));
  ReadingDiagnosis diagnosis;
  if (SameValue(*given, ReadInteger(s, e.dato, 0))) {
    const std::string why = " es la cadena leída como entero: falta dividir entre " + power + ".";
    diagnosis.Because("fija_sin_escalar", typed + why);
  }
  CommonReadingMistakes(
      e, answer, typed, SystemPhrase(s),
      [&](System system, const std::string& bits) {
        return SameValue(*given, ReadFixed(system, bits, e.fraccion));
      },
      [&](const std::string& value) { return SameValue(*given, value); }, diagnosis);
  return diagnosis.Finish("La cadena " + e.dato + " en " + phrase + " con " +
                          std::to_string(e.fraccion) + " bits fraccionarios vale " + e.respuesta +
                          ", no " + typed + ".");
}

// --- Floating point ---------------------------------------------------------------------------

std::string Field(const std::string& bits, int position, int width) {
  return bits.substr(static_cast<std::size_t>(position), static_cast<std::size_t>(width));
}

std::string Inverted(std::string bits) {
  for (char& c : bits) c = c == '1' ? '0' : '1';
  return bits;
}

// The two's complement of a field: copied up to its rightmost '1', inverted to the left of it.
std::string Complemented(std::string bits) {
  const std::size_t one = bits.rfind('1');
  if (one == std::string::npos) return bits;
  for (std::size_t i = 0; i < one; ++i) bits[i] = bits[i] == '1' ? '0' : '1';
  return bits;
}

// The field plus one unit of its last place (all ones give nothing).
std::optional<std::string> NextUp(std::string bits) {
  for (std::size_t i = bits.size(); i-- > 0;) {
    if (bits[i] == '0') {
      bits[i] = '1';
      return bits;
    }
    bits[i] = '0';
  }
  return std::nullopt;
}

// The exact value of a pattern of `format`, when it is short enough to show.
std::optional<std::string> PatternValue(const FloatFormat& format, const std::string& bits) {
  const ExactDecimal value = ReportInterpretation(format, bits.c_str()).value;
  if (!value || value->size() > 40) return std::nullopt;
  return value;
}

// What a wrong exponent field most likely comes from.
Mistake ExponentMistake(const FloatFormat& f, const std::string& given, std::int64_t given_value,
                        std::int64_t key_value) {
  if (f.TypeExp == 3 && ReadInteger(System::kNatural, given, 0) == std::to_string(key_value)) {
    return {"exceso_sin_sumar", " Falta sumarle el exceso " + std::to_string(f.zEZ) + "."};
  }
  if (given_value == key_value + 1 || given_value == key_value - 1) {
    return {"normalizacion",
            f.typenorma == 1
                ? " Difiere en uno: con 1'M el valor se escribe 1,... × 2^e, con la coma "
                  "tras el primer 1."
                : " Difiere en uno: con " + NormPhrase(f.typenorma) +
                      " el valor se escribe 0,1... × 2^e, con la coma delante del primer 1."};
  }
  for (int code = 0; code <= 3; ++code) {
    const std::int64_t z = code == 3 ? (std::int64_t{1} << (f.nbexp - 1)) - 1 : 0;
    if (code != f.TypeExp &&
        ReadInteger(FieldSystem(code), given, z) == std::to_string(key_value)) {
      return {"otro_sistema", " Ese campo es " + std::to_string(key_value) + " en " +
                                  SystemPhrase(FieldSystem(code), z) + "; el exponente va en " +
                                  SystemPhrase(FieldSystem(f.TypeExp), f.zEZ) + "."};
    }
  }
  return {};
}

// What a wrong mantissa field most likely comes from.
Mistake MantissaMistake(const FloatFormat& f, const std::string& given, const std::string& key,
                        bool negative) {
  const std::size_t m = key.size();
  const bool plain = f.TypeMan == 0 || !negative;  // the field holds the magnitude's digits
  if (plain && f.typenorma != 0 && given == "1" + key.substr(0, m - 1)) {
    return {"bit_implicito_guardado", " Ha guardado el bit implícito: con " +
                                          NormPhrase(f.typenorma) +
                                          " el primer 1 no se escribe en la mantisa."};
  }
  if (plain && f.typenorma == 0 && given == key.substr(1) + "0") {
    return {"bit_implicito_omitido",
            " Falta el primer 1: con 0'M no hay bit implícito y la mantisa lo guarda."};
  }
  if (NextUp(key) == given) {
    return {"redondeo",
            " Está redondeada hacia arriba: el programa trunca, es decir, corta los bits que no "
            "caben."};
  }
  if (negative && f.TypeMan == 1 && given == Inverted(key)) {
    return {"mantisa_sin_complementar",
            " Falta invertirla: en complemento a uno, la mantisa de un valor negativo se guarda "
            "con los bits invertidos."};
  }
  if (negative && f.TypeMan == 2 && given == Complemented(key)) {
    return {"mantisa_sin_complementar",
            " Falta complementarla: en complemento a dos, la mantisa de un valor negativo se "
            "guarda complementada."};
  }
  if (negative && f.TypeMan == 2 && given == Inverted(Complemented(key))) {
    return {"c2_falta_sumar_1",
            " Ha invertido los bits sin sumar 1: eso es complemento a uno, y la mantisa va en "
            "complemento a dos."};
  }
  return {};
}

// Whether `bits` is `key` with one more bit where the mantissa starts: the implicit bit, which the
// format does not keep, written out.
bool WroteImplicitBit(const FloatFormat& f, const std::string& bits, const std::string& key) {
  if (f.typenorma == 0 || bits.size() != key.size() + 1) return false;
  std::string without = bits;
  without.erase(static_cast<std::size_t>(f.posmantisa), 1);
  return without == key;
}

// "signo en la posición 0, exponente en la 1, mantisa en la 9", in the order of the positions.
std::string FieldOrder(const FloatFormat& f) {
  struct Placed {
    int at;
    std::string text;
  };
  std::vector<Placed> fields = {
      {f.possigno, "el signo"}, {f.posexp, "el exponente"}, {f.posmantisa, "la mantisa"}};
  std::sort(fields.begin(), fields.end(),
            [](const Placed& a, const Placed& b) { return a.at < b.at; });
  return fields[0].text + ", " + fields[1].text + " y " + fields[2].text;
}

Verdict CheckFloatWriting(const Exercise& e, std::string_view answer) {
  const FloatFormat& f = e.formato;
  Verdict verdict;
  const bool fits = e.en_rango.value_or(true);
  if (SaysOutOfRange(answer)) {
    verdict.correcta = !fits;
    if (fits) {
      verdict.diagnostico =
          "Sí cabe: su exponente cabe en el campo de " + std::to_string(f.nbexp) + " bits.";
      verdict.error = "cabe";
    }
    return verdict;
  }
  if (std::optional<Verdict> again = NumberForBits(answer, f.nb)) return *again;
  const std::optional<std::string> read = TypedBits(answer, f.nb);
  if (!read) {
    verdict.diagnostico = NotBits(answer, f.nb);
    verdict.error = "cadena_no_valida";
    return verdict;
  }
  const std::string& bits = *read;
  const std::string& key = e.respuesta;
  if (bits.size() != key.size()) {
    verdict.diagnostico = LengthText(bits, key, "el formato tiene");
    verdict.error = "longitud";
    if (WroteImplicitBit(f, bits, key)) {
      verdict.error = "bit_implicito_guardado";
      verdict.diagnostico += " Ha escrito el bit implícito: con " + NormPhrase(f.typenorma) +
                             " no se guarda en la mantisa; sin él, la cadena es la correcta.";
    }
    return verdict;
  }
  const int man = f.nb - f.nbexp - 1;
  const std::string key_exp = Field(key, f.posexp, f.nbexp),
                    key_man = Field(key, f.posmantisa, man);
  const std::string given_exp = Field(bits, f.posexp, f.nbexp);
  const std::string given_man = Field(bits, f.posmantisa, man);
  const auto pos_signo = static_cast<std::size_t>(f.possigno);
  verdict.campos =
      FieldMarks{bits[pos_signo] == key[pos_signo], given_exp == key_exp, given_man == key_man};
  if (bits == key) {
    verdict.correcta = true;
    return verdict;
  }
  // The fields written in the IEEE order in a layout of another order.
  const std::string ieee_order = key[pos_signo] + key_exp + key_man;
  if (ieee_order != key && bits == ieee_order) {
    verdict.diagnostico =
        "Los campos están en el orden signo, exponente, mantisa; en este formato van " +
        FieldOrder(f) + ", de izquierda a derecha.";
    verdict.error = "orden_campos";
    return verdict;
  }
  const bool negative = key[pos_signo] == '1';
  std::string d;
  std::string code;  // the first mistake recognised
  if (verdict.campos->sign) {
    d = "El signo está bien.";
  } else {
    d = negative ? "El signo está mal: el valor es negativo y su bit es 1."
                 : "El signo está mal: el valor es positivo y su bit es 0.";
  }
  if (verdict.campos->exponent) {
    d += " El exponente está bien.";
  } else {
    const System exp_system = FieldSystem(f.TypeExp);
    const std::int64_t z = f.TypeExp == 3 ? f.zEZ : 0;
    const std::string given_value = ReadInteger(exp_system, given_exp, z);
    const std::string key_value = ReadInteger(exp_system, key_exp, z);
    d += " El exponente " + given_exp + " codifica " + given_value + "; el correcto es " + key_exp +
         " (" + key_value + ").";
    const Mistake mistake =
        ExponentMistake(f, given_exp, std::stoll(given_value), std::stoll(key_value));
    d += mistake.text;
    code = mistake.code;
  }
  if (verdict.campos->mantissa) {
    d += " La mantisa está bien.";
  } else {
    d += " La mantisa " + given_man + " está mal; la correcta es " + key_man + ".";
    const Mistake mistake = MantissaMistake(f, given_man, key_man, negative);
    d += mistake.text;
    if (code.empty()) code = mistake.code;
  }
  if (const std::optional<std::string> value = PatternValue(f, bits)) {
    d += " Su cadena vale " + *value + ".";
  }
  verdict.diagnostico = d;
  if (code.empty()) {
    // No mistake recognised: the field that is wrong, when only one is.
    const FieldMarks& m = *verdict.campos;
    const int wrong = !m.sign + !m.exponent + !m.mantissa;
    code = wrong > 1 ? "otro" : !m.sign ? "signo" : !m.exponent ? "exponente" : "mantisa";
  }
  verdict.error = code;
  return verdict;
}

// Whether `given` stands for `value`: within the sheet's tolerance, or a millionth of it.
bool Near(double given, double value) {
  return std::fabs(given - value) <= std::max(kReadingTolerance, std::fabs(value) * 1e-6);
}

// Which misreading of the exercise's string gives the student's value.
Mistake ReadingMistake(const Exercise& e, const std::string& given_text, double given, double key) {
  const FloatFormat& f = e.formato;
  if (key != 0 && Near(given, -key)) return {"signo_cambiado", "Tiene el signo cambiado."};
  // The same string read in formats that differ in one thing.
  struct Misreading {
    FloatFormat format;
    const char* code;
    std::string text;
  };
  std::vector<Misreading> misreadings;
  if (f.TypeExp == 3) {
    FloatFormat g = f;
    g.zEZ = 0;
    misreadings.push_back(
        {g, "exceso_sin_restar",
         "Ese valor sale sin restar el exceso " + std::to_string(f.zEZ) + " al exponente."});
    for (std::int64_t z : OtherExcesses(f.nbexp, f.zEZ)) {
      g.zEZ = static_cast<int>(z);
      misreadings.push_back({g, "exceso_equivocado",
                             "Ese valor sale con exceso " + std::to_string(z) +
                                 "; el exponente está en exceso " + std::to_string(f.zEZ) + "."});
    }
  }
  for (int norma = 0; norma <= 2; ++norma) {
    FloatFormat g = f;
    g.typenorma = norma;
    if (norma != f.typenorma) {
      misreadings.push_back({g, "normalizacion",
                             "Ese valor sale con la normalización " + NormPhrase(norma) +
                                 "; el formato usa " + NormPhrase(f.typenorma) + "."});
    }
  }
  for (int code = 0; code <= 3; ++code) {
    FloatFormat g = f;
    g.TypeExp = code;
    if (code == 3) g.zEZ = (1 << (f.nbexp - 1)) - 1;
    if (code != f.TypeExp) {
      misreadings.push_back({g, "otro_sistema",
                             "Ese valor sale leyendo el exponente en " +
                                 SystemPhrase(FieldSystem(code), g.zEZ) + "; está en " +
                                 SystemPhrase(FieldSystem(f.TypeExp), f.zEZ) + "."});
    }
  }
  for (int code = 0; code <= 2; ++code) {
    FloatFormat g = f;
    g.TypeMan = code;
    if (code != f.TypeMan) {
      misreadings.push_back({g, "mantisa_otro_sistema",
                             "Ese valor sale leyendo la mantisa en " +
                                 SystemPhrase(FieldSystem(code), 0) + "; está en " +
                                 SystemPhrase(FieldSystem(f.TypeMan), 0) + "."});
    }
  }
  // A reading is named only when it gives the answer, at the key's tolerance, and not the key.
  const ExactDecimal exact = ReportInterpretation(f, e.dato.c_str()).value;
  for (const Misreading& m : misreadings) {
    const ExactDecimal value = ReportInterpretation(m.format, e.dato.c_str()).value;
    if (!value || (exact && WithinHalfUnit(*value, *exact, kReadingPlaces))) continue;
    if (WithinHalfUnit(given_text, *value, kReadingPlaces)) return {m.code, m.text};
  }
  // A power of two apart: the exponent is off.
  if (key != 0 && given != 0 && (given > 0) == (key > 0) && std::isnormal(given / key)) {
    const int k = static_cast<int>(std::lround(std::log2(given / key)));
    if (k != 0 && Near(given, std::ldexp(key, k))) {
      return {"exponente", "Su valor es el correcto multiplicado por 2^" + std::to_string(k) +
                               ": revise el exponente."};
    }
  }
  return {"otro", ""};
}

Verdict CheckFloatReading(const Exercise& e, std::string_view answer) {
  Verdict verdict;
  const std::optional<double> given = RealNumber(answer);
  if (!given) {
    verdict.error = SaysOutOfRange(answer) ? "fuera_de_rango_al_leer" : "no_es_numero";
    verdict.diagnostico =
        SaysOutOfRange(answer)
            ? std::string(
                  "Toda cadena del formato tiene un valor: al interpretar no hay «fuera "
                  "de rango».")
            : Quoted(answer) +
                  " no es un número: escriba el valor con punto o coma decimal, por ejemplo "
                  "-5.375.";
    return verdict;
  }
  const double key = out::StrToD(e.respuesta.c_str(), nullptr);
  // Right within half a unit of the sixth decimal of the exact value, bounds included: at a tie
  // both roundings are right.
  std::string given_text(answer);
  std::replace(given_text.begin(), given_text.end(), ',', '.');
  const ExactDecimal exact = ReportInterpretation(e.formato, e.dato.c_str()).value;
  if ((exact && WithinHalfUnit(given_text, *exact, kReadingPlaces)) ||
      std::fabs(*given - key) <= kReadingTolerance * (1 + 1e-9)) {
    verdict.correcta = true;
    return verdict;
  }
  verdict.diagnostico = "La cadena vale " + e.respuesta + ", no " + std::string(answer) + ".";
  const Mistake mistake = ReadingMistake(e, given_text, *given, key);
  if (!mistake.text.empty()) verdict.diagnostico += " " + mistake.text;
  verdict.error = mistake.code;
  return verdict;
}

}  // namespace

bool SaysOutOfRange(std::string_view answer) {
  std::string folded;
  bool gap = false;
  for (std::size_t i = 0; i < answer.size(); ++i) {
    const auto c = static_cast<unsigned char>(answer[i]);
    char plain = 0;
    if (c == 0xC3 && i + 1 < answer.size()) {
      // UTF-8 á é í ó ú and their capitals.
      switch (static_cast<unsigned char>(answer[i + 1])) {
        case 0xA1:
        case 0x81: plain = 'a'; break;
        case 0xA9:
        case 0x89: plain = 'e'; break;
        case 0xAD:
        case 0x8D: plain = 'i'; break;
        case 0xB3:
        case 0x93: plain = 'o'; break;
        case 0xBA:
        case 0x9A: plain = 'u'; break;
        default: return false;
      }
      ++i;
    } else if (c >= 0x80) {
      // Code page 850.
      switch (c) {
        case 0xA0:
        case 0xB5: plain = 'a'; break;
        case 0x82:
        case 0x90: plain = 'e'; break;
        case 0xA1:
        case 0xD6: plain = 'i'; break;
        case 0xA2:
        case 0xE0: plain = 'o'; break;
        case 0xA3:
        case 0xE9: plain = 'u'; break;
        default: return false;
      }
    } else if (c == ' ' || c == '\t' || c == '-' || c == '_') {
      gap = true;
      continue;
    } else {
      plain = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (gap && !folded.empty()) folded += ' ';
    gap = false;
    folded += plain;
  }
  if (!folded.empty() && folded.back() == '.') folded.pop_back();
  return folded == "fuera de rango";
}

Verdict CheckAnswer(const Exercise& e, std::string_view answer) {
  answer = Trim(answer);
  if (IsArithmetic(e.kind)) return CheckArithmeticAnswer(e, answer);
  const bool represent = e.kind.operation == Operation::kRepresent;
  if (e.kind.fija) return represent ? CheckFixedWriting(e, answer) : CheckFixedReading(e, answer);
  if (e.kind.system == System::kFloat) {
    return represent ? CheckFloatWriting(e, answer) : CheckFloatReading(e, answer);
  }
  return represent ? CheckIntegerWriting(e, answer) : CheckIntegerReading(e, answer);
}

}  // namespace repbin::exercises

namespace repbin::exercises {

const std::vector<ErrorCode>& ErrorCodes() {
  static const std::vector<ErrorCode> codes = {
      {"cabe", "respondió Fuera de Rango, pero el valor cabe"},
      {"no_cabe", "escribió una cadena para un valor que no cabe"},
      {"cadena_no_valida", "la respuesta no es una cadena de bits"},
      {"longitud", "la cadena no tiene los bits que se piden"},
      {"orden_inverso", "los bits están en orden inverso"},
      {"signo_cambiado", "el valor o la cadena tienen el signo cambiado"},
      {"otro_sistema", "la cadena o el valor corresponden a otro sistema de representación"},
      {"c2_falta_sumar_1", "complemento a dos: invirtió los bits pero no sumó 1"},
      {"c2_sin_invertir", "complemento a dos: sumó 1 a la magnitud sin invertir sus bits"},
      {"c2_sin_complementar", "complemento a dos: escribió la magnitud sin complementar"},
      {"c1_sumado_1", "complemento a uno: sumó 1 tras invertir (eso es complemento a dos)"},
      {"c1_sin_invertir", "complemento a uno: escribió la magnitud sin invertir"},
      {"exceso_sin_sumar", "exceso: no sumó el exceso"},
      {"exceso_restado", "exceso: restó el exceso en vez de sumarlo"},
      {"exceso_sin_restar", "exceso: al interpretar, no restó el exceso"},
      {"exceso_equivocado", "exceso: usó otro exceso"},
      {"fuera_de_rango_al_leer", "respondió Fuera de Rango al interpretar una cadena"},
      {"no_es_numero", "al interpretar, la respuesta no es un número"},
      {"cadena_por_valor", "al interpretar, respondió con una cadena de bits"},
      {"fija_sin_escalar", "coma fija: no multiplicó por 2^F al representar o no dividió al leer"},
      {"fija_redondeo", "coma fija: redondeó en vez de truncar las cifras que no caben"},
      {"normalizacion", "coma flotante: exponente o valor de otra normalización"},
      {"bit_implicito_guardado", "coma flotante: guardó el bit implícito en la mantisa"},
      {"bit_implicito_omitido", "coma flotante: sin bit implícito, faltó guardar el primer 1"},
      {"redondeo", "coma flotante: redondeó la mantisa en vez de truncarla"},
      {"mantisa_sin_complementar", "coma flotante: la mantisa de un negativo sin complementar"},
      {"mantisa_otro_sistema", "coma flotante: leyó la mantisa en otro sistema"},
      {"orden_campos", "coma flotante: campos en el orden de IEEE y no en el del formato"},
      {"signo", "coma flotante: solo el bit de signo está mal"},
      {"exponente", "coma flotante: el exponente está mal"},
      {"mantisa", "coma flotante: solo la mantisa está mal"},
      {"otro", "un error que el programa no reconoce"},
  };
  return codes;
}

}  // namespace repbin::exercises
