// Arithmetic exercises: operands drawn for work by hand, keys from the operation functions, and
// the usual mistaken methods computed exactly to say what went wrong.
//
// Every mistaken method runs through the same operation functions as the key, on what the student
// put in by mistake: the codes added as natural numbers when Z is forgotten, the stored operands
// scaled by powers of two when they were not aligned, the significands without their leading bit
// when the implicit bit is forgotten. Values that are not patterns are dyadic rationals, held
// exactly as an integer times a power of two.

#include "exercises/arithmetic_exercises.h"

#include <algorithm>
#include <boost/multiprecision/cpp_int.hpp>
#include <cstdlib>
#include <optional>
#include <tuple>
#include <utility>

#include "operations/bit_input.h"
#include "operations/float_arithmetic.h"
#include "operations/integer_arithmetic.h"
#include "operations/layout.h"
#include "output/trace.h"
#include "real/report.h"

namespace repbin::exercises {
namespace {

using Big = boost::multiprecision::cpp_int;
using ops::System;

// --- Kinds -----------------------------------------------------------------------------------

constexpr System kIntegerSystems[] = {System::kNatural, System::kOnes, System::kTwos,
                                      System::kExcess, System::kSignMagnitude};

ops::ArithmeticOperator IntegerOperator(Operation operation) {
  return operation == Operation::kSubtract ? ops::ArithmeticOperator::kSubtract
                                           : ops::ArithmeticOperator::kAdd;
}

std::string SystemWords(System system, std::int64_t excess) {
  std::string words = SystemPhrase(system);
  if (system == System::kExcess) words += " " + std::to_string(excess);
  return words;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                           text.back() == ',' || text.back() == ';')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Quoted(std::string_view text) {
  return "«" + std::string(text) + "»";
}

// The pattern grouped in fours from the right, as the GIFT keys and the messages write it.
std::string GroupedFours(const std::string& bits) {
  std::string grouped;
  for (std::size_t i = 0; i < bits.size(); ++i) {
    if (i > 0 && (bits.size() - i) % 4 == 0) grouped += ' ';
    grouped += bits[i];
  }
  return grouped;
}

// --- Integers --------------------------------------------------------------------------------

// The operand as the statement and the command give it: "0b0101" or a decimal value; its
// pattern at the exercise's width.
std::string OperandBits(const Exercise& e, const std::string& operand) {
  if (operand.rfind("0b", 0) == 0) return operand.substr(2);
  return ops::EncodeDecimal(e.kind.system, operand, e.bits, e.exceso).value_or("");
}

ops::IntegerArithmetic OperateExercise(const Exercise& e, bool trace) {
  return ops::OperateIntegers(e.kind.system, e.bits, e.exceso, IntegerOperator(e.kind.operation),
                              OperandBits(e, e.operandos[0]), OperandBits(e, e.operandos[1]),
                              trace);
}

// A pattern of `width` bits: usually any, on a wide pattern drawn for work by hand often the
// pattern of a small value.
std::string DrawPattern(System system, int width, std::int64_t excess, bool small,
                        const Below& below) {
  if (small && width > 8) {
    const auto magnitude = static_cast<std::int64_t>(below(100));
    const bool negative = system != System::kNatural && below(2) == 0;
    const std::optional<std::string> bits = ops::EncodeDecimal(
        system, std::to_string(negative ? -magnitude : magnitude), width, excess);
    if (bits) return *bits;
  }
  std::string bits(static_cast<std::size_t>(width), '0');
  for (char& c : bits) c = below(2) == 0 ? '0' : '1';
  return bits;
}

// What the usual mistaken methods leave in the result's place, each with what it says.
struct Mistake {
  std::string bits;
  std::string diagnosis;
};

std::vector<Mistake> IntegerMistakes(const Exercise& e, const ops::IntegerArithmetic& right) {
  const System s = e.kind.system;
  const int n = e.bits;
  const std::string& a = right.a.bits;
  const std::string& b = right.b.bits;
  const bool subtract = e.kind.operation == Operation::kSubtract;
  std::string inverted = b;
  for (char& c : inverted) c = c == '1' ? '0' : '1';
  const auto natural = [n](ops::ArithmeticOperator op, const std::string& x, const std::string& y) {
    return ops::OperateIntegers(System::kNatural, n, 0, op, x, y, false).result_bits;
  };
  const auto plus = ops::ArithmeticOperator::kAdd;
  const std::string one = std::string(static_cast<std::size_t>(n - 1), '0') + "1";
  std::vector<Mistake> mistakes;
  switch (s) {
    case System::kOnes:
      mistakes.push_back(
          {natural(plus, a, subtract ? inverted : b),
           "Ha olvidado el acarreo de fin de vuelta: en complemento a uno, el acarreo que sale del "
           "bit de la izquierda se suma de nuevo al resultado por la derecha."});
      if (subtract) {
        mistakes.push_back(
            {ops::OperateIntegers(s, n, 0, plus, a, b, false).result_bits,
             "Ha restado sin invertir el sustraendo: A - B se hace como A + (B con sus bits "
             "invertidos)."});
      }
      break;
    case System::kTwos:
      if (subtract) {
        const std::string sum = natural(plus, a, b);
        mistakes.push_back({natural(plus, sum, one),
                            "Ha restado sin invertir el sustraendo: A - B se hace como A + (B con "
                            "sus bits invertidos) + 1."});
        mistakes.push_back({sum,
                            "Ha sumado B en lugar de restarlo: A - B se hace como A + (B con sus "
                            "bits invertidos) + 1."});
        mistakes.push_back({natural(plus, a, inverted),
                            "Ha olvidado el +1: en complemento a dos, A - B es A + (B con sus bits "
                            "invertidos) + 1; invertir solo da el complemento a uno."});
      }
      break;
    case System::kSignMagnitude:
      // Different signs in effect: the magnitudes are subtracted, and the sign is the larger's.
      if (!right.result_bits.empty() && right.result_bits.find('1', 1) != std::string::npos) {
        std::string flipped = right.result_bits;
        flipped[0] = flipped[0] == '1' ? '0' : '1';
        mistakes.push_back({flipped,
                            "El signo no es el del resultado: cuando los signos (ya aplicada la "
                            "operación) difieren, se resta la magnitud menor de la mayor y el "
                            "resultado lleva el signo de la de mayor magnitud."});
      }
      break;
    case System::kExcess:
      mistakes.push_back(
          {natural(IntegerOperator(e.kind.operation), a, b),
           subtract ? "Ha olvidado sumar Z: al restar dos códigos en exceso Z, el exceso se va "
                      "con la resta y hay que sumarlo de nuevo (" +
                          std::to_string(e.exceso) + ")."
                    : "Ha olvidado restar Z: al sumar dos códigos en exceso Z, el exceso queda "
                      "contado dos veces y hay que restarlo una vez (" +
                          std::to_string(e.exceso) + ")."});
      break;
    default: break;
  }
  return mistakes;
}

// Why the overflow verdict is what it is, in a sentence.
std::string OverflowReason(const Exercise& e, const ops::IntegerArithmetic& right) {
  return "El resultado exacto es " + right.exact + " y con " + std::to_string(e.bits) +
         " bits en " + SystemWords(e.kind.system, e.exceso) + " el rango va de " + right.range.min +
         " a " + right.range.max + ", así que " + (right.overflow ? "desborda." : "no desborda.");
}

struct IntegerAnswer {
  std::string bits_text;
  std::optional<bool> overflows;
};

// "0110 0100, desborda": the pattern, then the verdict, after a comma or a space.
IntegerAnswer SplitAnswer(std::string_view answer) {
  IntegerAnswer split;
  std::string lower = Lower(answer);
  std::string_view rest = Trim(lower);
  const auto ends = [&rest](std::string_view word) {
    if (!rest.ends_with(word)) return false;
    rest.remove_suffix(word.size());
    rest = Trim(rest);
    return true;
  };
  if (ends("no desborda") || ends("no")) {
    split.overflows = false;
  } else if (ends("desborda")) {
    split.overflows = true;
    if (!ends("sí")) ends("si");
  } else if (rest.find_first_of(",;") != std::string_view::npos && (ends("sí") || ends("si"))) {
    split.overflows = true;
  }
  const auto start = static_cast<std::size_t>(rest.data() - lower.data());
  split.bits_text = std::string(answer.substr(start, rest.size()));
  return split;
}

Verdict CheckIntegerArithmetic(const Exercise& e, std::string_view answer) {
  Verdict verdict;
  const IntegerAnswer split = SplitAnswer(answer);
  const ops::TypedBits typed = ops::ReadTypedBits(split.bits_text, e.bits);
  const std::string_view number = Trim(split.bits_text);
  const bool decimal = !number.empty() &&
                       number.find_first_not_of("+-0123456789") == std::string_view::npos &&
                       number.find_first_of("23456789+-") != std::string_view::npos;
  if (decimal) {
    // A value where the pattern is asked: asked again, uncounted.
    verdict.repetir = true;
    verdict.diagnostico = "Se pide la cadena del resultado (" + std::to_string(e.bits) +
                          " bits), no su valor, y si desborda: «cadena, desborda» o «cadena, no "
                          "desborda».";
    return verdict;
  }
  if (!typed.fault.empty() || split.bits_text.empty()) {
    verdict.diagnostico = "Cadena no válida: " + Quoted(split.bits_text) + "; se pide la cadena " +
                          "del resultado y si desborda, por ejemplo «0110, no desborda».";
    return verdict;
  }
  if (!split.overflows) {
    verdict.repetir = true;
    verdict.diagnostico = "Diga también si desborda: «" + typed.bits + ", desborda» o «" +
                          typed.bits + ", no desborda».";
    return verdict;
  }
  const std::string& bits = typed.bits;
  if (static_cast<int>(bits.size()) != e.bits) {
    verdict.diagnostico = "Tiene " + std::to_string(bits.size()) + " bits; el resultado tiene " +
                          std::to_string(e.bits) + ".";
    return verdict;
  }
  const ops::IntegerArithmetic right = OperateExercise(e, false);
  const bool pattern_right = bits == right.result_bits;
  const bool verdict_right = *split.overflows == right.overflow;
  if (pattern_right && verdict_right) {
    verdict.correcta = true;
    return verdict;
  }
  std::string said;
  if (!pattern_right) {
    for (const Mistake& mistake : IntegerMistakes(e, right)) {
      if (mistake.bits == bits && mistake.bits != right.result_bits) {
        said = mistake.diagnosis;
        break;
      }
    }
    if (said.empty()) {
      said = "La cadena no es la del resultado: " + Quoted(bits) + " vale " +
             ops::ReadPattern(e.kind.system, bits, e.exceso) + " en " +
             SystemWords(e.kind.system, e.exceso) + ", y el circuito deja " + right.result_bits +
             ".";
    }
  }
  if (!verdict_right) {
    if (!said.empty()) said += " ";
    const bool signed_system =
        e.kind.system != System::kNatural && e.kind.system != System::kExcess;
    if (signed_system && *split.overflows == right.flags.c) {
      said += std::string("Ha tomado el acarreo final por desbordamiento: ") +
              (right.flags.c ? "sale un acarreo del bit de la izquierda" : "no sale acarreo") +
              ", pero con signo hay desbordamiento cuando dos sumandos del mismo signo dan un "
              "resultado de signo contrario. " +
              OverflowReason(e, right);
    } else {
      said += OverflowReason(e, right);
    }
  }
  verdict.diagnostico = said;
  return verdict;
}

// --- Floating point: exact dyadic values --------------------------------------------------

// num * 2^exp, exactly.
struct Dyadic {
  Big num = 0;
  int exp = 0;
};

// The decimal text `text` ("-2.375") as a dyadic value; nothing when it is none.
std::optional<Dyadic> FromDecimal(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::string_view digits = text;
  const bool negative = digits.front() == '-';
  if (negative) digits.remove_prefix(1);
  Big num = 0;
  int places = -1;
  for (char c : digits) {
    if (c == '.') {
      if (places >= 0) return std::nullopt;
      places = 0;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    num = num * 10 + (c - '0');
    if (places >= 0) ++places;
  }
  if (places < 0) places = 0;
  // num / 10^places = (num / 5^places) * 2^-places, and a stored value's 5^places divides num.
  Big five = boost::multiprecision::pow(Big(5), static_cast<unsigned>(places));
  if (num % five != 0) return std::nullopt;
  return Dyadic{negative ? Big(-(num / five)) : Big(num / five), -places};
}

std::string ToDecimal(const Dyadic& d) {
  const bool negative = d.num < 0;
  const Big magnitude = negative ? Big(-d.num) : d.num;
  std::string text;
  if (d.exp >= 0) {
    text = Big(magnitude << d.exp).str();
  } else {
    const auto places = static_cast<unsigned>(-d.exp);
    std::string digits = Big(magnitude * boost::multiprecision::pow(Big(5), places)).str();
    if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
    text = digits.substr(0, digits.size() - places) + "." + digits.substr(digits.size() - places);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return (negative && text != "0" ? "-" : "") + text;
}

Dyadic Scaled(Dyadic d, int k) {
  d.exp += k;
  return d;
}

// The weight of the leading one: floor(log2 |d|), for d != 0.
int Leading(const Dyadic& d) {
  const Big magnitude = d.num < 0 ? Big(-d.num) : d.num;
  return static_cast<int>(boost::multiprecision::msb(magnitude)) + d.exp;
}

Dyadic Add(Dyadic x, Dyadic y) {
  const int low = std::min(x.exp, y.exp);
  return {Big(x.num << (x.exp - low)) + Big(y.num << (y.exp - low)), low};
}

// --- Floating point: drawing and solving ------------------------------------------------------

std::optional<ops::FloatOperator> ExerciseOperator(const Exercise& e) {
  return ops::FindFloatOperator(e.operador);
}

ops::Rounding ExerciseRounding(const Exercise& e) {
  return ops::FindRounding(e.redondeo).value_or(ops::Rounding::kTruncate);
}

ops::FloatOperation OperateStated(const Exercise& e, ops::Rounding rounding) {
  return ops::OperateFloat(e.formato, e.operandos[0],
                           ExerciseOperator(e).value_or(ops::FloatOperator::kAdd), e.operandos[1],
                           rounding);
}

// The result's pattern of `a op b` in the exercise's format and rounding, when every operand is
// stored and the result fits.
std::optional<std::string> Outcome(const Exercise& e, const Dyadic& a, const Dyadic& b,
                                   ops::Rounding rounding) {
  const ops::FloatOperation op = ops::OperateFloat(
      e.formato, ToDecimal(a), ExerciseOperator(e).value_or(ops::FloatOperator::kAdd), ToDecimal(b),
      rounding);
  if (!op.fault.empty() || op.desbordamiento || op.cadena.empty()) return std::nullopt;
  return op.cadena;
}

std::string ShiftWords(int d) {
  return std::to_string(d) + (d == 1 ? " posición" : " posiciones");
}

std::vector<Mistake> FloatMistakes(const Exercise& e, const ops::FloatOperation& right) {
  std::vector<Mistake> mistakes;
  const ops::Rounding rounding = ExerciseRounding(e);
  const bool product = e.kind.operation == Operation::kMultiply;
  const auto push = [&mistakes](std::optional<std::string> bits, std::string diagnosis) {
    if (bits) mistakes.push_back({std::move(*bits), std::move(diagnosis)});
  };

  // The other rounding rule.
  const bool truncating = rounding == ops::Rounding::kTruncate;
  const ops::FloatOperation other =
      OperateStated(e, truncating ? ops::Rounding::kNearest : ops::Rounding::kTruncate);
  if (other.fault.empty() && !other.desbordamiento) {
    push(other.cadena,
         truncating ? "Ha redondeado, pero el enunciado pide truncar: los bits que no caben en la "
                      "mantisa se descartan, sin mirar los de guarda, redondeo y retenedor."
                    : "Ha truncado, pero el enunciado pide redondear al más cercano: con los bits "
                      "de guarda, redondeo y retenedor se decide si se suma 1 a la mantisa (en "
                      "un empate, hacia la mantisa par).");
  }

  const std::optional<Dyadic> a = FromDecimal(right.operands[0].valor_exacto);
  const std::optional<Dyadic> b = FromDecimal(right.operands[1].valor_exacto);
  if (!a || !b || a->num == 0 || b->num == 0) return mistakes;
  const int ea = Leading(*a), eb = Leading(*b);
  const bool implicit = e.formato.typenorma != 0;

  if (!product && ea != eb) {
    const int d = std::abs(ea - eb);
    const bool a_larger = ea > eb;
    const Dyadic& large = a_larger ? *a : *b;
    const Dyadic& small = a_larger ? *b : *a;
    const auto in_order = [a_larger](const Dyadic& of_large, const Dyadic& of_small) {
      return a_larger ? std::make_pair(of_large, of_small) : std::make_pair(of_small, of_large);
    };
    // The significands added as they stand, under the larger exponent.
    auto [x, y] = in_order(large, Scaled(small, d));
    push(Outcome(e, x, y, rounding),
         "No ha alineado las mantisas: antes de sumar, la del exponente menor se desplaza " +
             ShiftWords(d) + " a la derecha, hasta tener el exponente del otro operando.");
    const std::string wrong_operand =
        "Ha alineado el operando equivocado: se desplaza a la derecha la mantisa del de menor "
        "exponente (aquí " +
        ShiftWords(d) + "), no la del mayor.";
    // The larger one shifted right, under either exponent.
    std::tie(x, y) = in_order(Scaled(large, -2 * d), small);
    push(Outcome(e, x, y, rounding), wrong_operand);
    std::tie(x, y) = in_order(Scaled(large, -d), Scaled(small, d));
    push(Outcome(e, x, y, rounding), wrong_operand);
  }

  if (implicit) {
    // Each significand without its leading one.
    const auto without = [](const Dyadic& v) {
      return Add(v, Dyadic{v.num < 0 ? Big(1) : Big(-1), Leading(v)});
    };
    push(Outcome(e, without(*a), without(*b), rounding),
         "Ha olvidado el bit implícito: la mantisa de cada operando lleva delante el 1 que el "
         "formato no guarda, y se opera con él.");
  }

  if (product && e.formato.TypeExp == 3 && !right.cadena.empty()) {
    // The two exponent codes added with their excesses: the excess counted twice.
    const auto at = static_cast<std::size_t>(e.formato.posexp);
    const auto width = static_cast<std::size_t>(e.formato.nbexp);
    const std::optional<std::string> z =
        ops::EncodeDecimal(System::kNatural, std::to_string(e.formato.zEZ), e.formato.nbexp, 0);
    if (z) {
      std::string bits = right.cadena;
      bits.replace(
          at, width,
          ops::OperateIntegers(System::kNatural, e.formato.nbexp, 0, ops::ArithmeticOperator::kAdd,
                               bits.substr(at, width), *z, false)
              .result_bits);
      push(bits, "Ha sumado los dos exponentes con su exceso: así el exceso (" +
                     std::to_string(e.formato.zEZ) +
                     ") queda contado dos veces, y hay que restarlo una vez.");
    }
  }

  if (e.formato.typenorma == 1) {
    // The raw result kept under the exponent of the operation, its bits after the point taken
    // as the mantissa.
    Dyadic raw;
    int reference = 0;
    if (product) {
      raw = {a->num * b->num, a->exp + b->exp};
      reference = ea + eb;
    } else {
      const bool minus = ExerciseOperator(e) == ops::FloatOperator::kSubtract;
      raw = Add(*a, minus ? Dyadic{-b->num, b->exp} : *b);
      reference = std::max(ea, eb);
    }
    if (raw.num != 0 && Leading(raw) != reference) {
      // |raw| / 2^reference, its fraction, and the implicit one put back in front.
      const bool negative = raw.num < 0;
      Dyadic magnitude{negative ? Big(-raw.num) : raw.num, raw.exp - reference};
      if (magnitude.exp < 0) {
        magnitude.num &= (Big(1) << -magnitude.exp) - 1;
      } else {
        magnitude.num = 0;
      }
      Dyadic wrong = Scaled(Add(magnitude, Dyadic{1, 0}), reference);
      if (negative) wrong.num = -wrong.num;
      const bool carried = Leading(raw) > reference;
      const ops::FloatOperation packed =
          ops::OperateFloat(e.formato, ToDecimal(wrong), ops::FloatOperator::kAdd, "0", rounding);
      if (packed.fault.empty() && !packed.desbordamiento) {
        push(packed.cadena,
             std::string("No ha normalizado el resultado: ") +
                 (carried ? "tiene más de una cifra entera, así que la mantisa se desplaza a la "
                            "derecha y el exponente aumenta."
                          : "empieza por 0, así que la mantisa se desplaza a la izquierda hasta "
                            "el primer 1 y el exponente disminuye."));
      }
    }
  }
  return mistakes;
}

// Which fields of a pattern of the right length are right.
FieldMarks Marks(const FloatFormat& f, const std::string& bits, const std::string& key) {
  const auto same = [&](int at, int width) {
    return bits.compare(static_cast<std::size_t>(at), static_cast<std::size_t>(width), key,
                        static_cast<std::size_t>(at), static_cast<std::size_t>(width)) == 0;
  };
  return {same(f.possigno, 1), same(f.posexp, f.nbexp), same(f.posmantisa, f.nb - f.nbexp - 1)};
}

Verdict CheckFloatArithmetic(const Exercise& e, std::string_view answer) {
  Verdict verdict;
  const bool key_out = e.respuesta == "Fuera de Rango";
  if (SaysOutOfRange(answer)) {
    verdict.correcta = key_out;
    if (!key_out) {
      verdict.diagnostico = "El resultado cabe en el formato: su exponente está dentro del rango.";
    }
    return verdict;
  }
  const ops::TypedBits typed = ops::ReadTypedBits(answer, e.formato.nb);
  if (!typed.fault.empty()) {
    verdict.diagnostico = "Cadena no válida: " + Quoted(answer) + "; " + typed.fault + ".";
    return verdict;
  }
  const std::string& bits = typed.bits;
  if (key_out) {
    verdict.diagnostico =
        "El exponente del resultado no cabe en su campo: la respuesta es Fuera "
        "de Rango.";
    return verdict;
  }
  if (static_cast<int>(bits.size()) != e.formato.nb) {
    verdict.diagnostico = "Tiene " + std::to_string(bits.size()) + " bits; el formato tiene " +
                          std::to_string(e.formato.nb) + ".";
    return verdict;
  }
  if (bits == e.respuesta) {
    verdict.correcta = true;
    return verdict;
  }
  const FieldMarks marks = Marks(e.formato, bits, e.respuesta);
  verdict.campos = marks;
  const ops::FloatOperation right = OperateStated(e, ExerciseRounding(e));
  for (const Mistake& mistake : FloatMistakes(e, right)) {
    if (mistake.bits == bits && mistake.bits != e.respuesta) {
      verdict.diagnostico = mistake.diagnosis;
      return verdict;
    }
  }
  std::string wrong;
  const auto name = [&wrong](bool ok, const char* field) {
    if (ok) return;
    if (!wrong.empty()) wrong += ", ";
    wrong += field;
  };
  name(marks.sign, "el signo");
  name(marks.exponent, "el exponente");
  name(marks.mantissa, "la mantisa");
  verdict.diagnostico = "No es el resultado; no coinciden: " + wrong +
                        ". Repase los pasos: desempaquetar, alinear, operar, normalizar, "
                        "redondear y empaquetar.";
  return verdict;
}

// "(-0.375)" where a negative value would follow an operator.
std::string Parenthesised(const std::string& operand) {
  return operand.rfind('-', 0) == 0 ? "(" + operand + ")" : operand;
}

}  // namespace

bool IsArithmetic(const Kind& kind) {
  return kind.operation == Operation::kAdd || kind.operation == Operation::kSubtract ||
         kind.operation == Operation::kMultiply;
}

std::vector<Kind> ArithmeticKinds() {
  std::vector<Kind> kinds;
  for (Operation op : {Operation::kAdd, Operation::kSubtract}) {
    for (System s : kIntegerSystems) kinds.push_back({op, s});
  }
  kinds.push_back({Operation::kAdd, System::kFloat});
  kinds.push_back({Operation::kMultiply, System::kFloat});
  return kinds;
}

std::vector<Kind> EveryKind() {
  std::vector<Kind> kinds = AllKinds();
  for (const Kind& kind : ArithmeticKinds()) kinds.push_back(kind);
  for (const Kind& kind : FixedKinds()) kinds.push_back(kind);
  return kinds;
}

const char* OperationName(Operation operation) {
  switch (operation) {
    case Operation::kRepresent: return "representar";
    case Operation::kInterpret: return "interpretar";
    case Operation::kAdd: return "suma";
    case Operation::kSubtract: return "resta";
    case Operation::kMultiply: return "producto";
  }
  return "";
}

std::string ArithmeticKindTitle(const Kind& kind) {
  const char* what = kind.operation == Operation::kMultiply   ? "Producto en "
                     : kind.operation == Operation::kSubtract ? "Resta en "
                                                              : "Suma en ";
  if (kind.system == System::kFloat) return std::string(what) + "coma flotante";
  if (kind.system == System::kExcess) return std::string(what) + "exceso Z";
  return what + std::string(SystemPhrase(kind.system));
}

bool PoseIntegerArithmetic(Exercise& e, bool overflow, int wider, const Below& below) {
  const System s = e.kind.system;
  const ops::ArithmeticOperator op = IntegerOperator(e.kind.operation);
  // Operands drawn until the operation's verdict is the one asked for; the small values of wide
  // patterns seldom overflow, so a draw that must overflow takes any pattern.
  std::string a, b;
  bool overflows = false;
  for (int tries = 0; tries < 400; ++tries) {
    const bool small = wider == 0 && !overflow;
    a = DrawPattern(s, e.bits, e.exceso, small, below);
    b = DrawPattern(s, e.bits, e.exceso, small, below);
    overflows = ops::OperateIntegers(s, e.bits, e.exceso, op, a, b, false).overflow;
    if (overflows == overflow) break;
  }
  // Half the statements give the patterns, half the values.
  const bool as_patterns = below(2) == 0;
  const auto written = [&](const std::string& bits) {
    return as_patterns ? "0b" + bits : ops::ReadPattern(s, bits, e.exceso);
  };
  e.operandos = {written(a), written(b)};
  e.operador = op == ops::ArithmeticOperator::kAdd ? "+" : "-";
  const auto shown = [&](const std::string& operand) {
    return operand.rfind("0b", 0) == 0 ? operand.substr(2) : operand;
  };
  e.dato = shown(e.operandos[0]) + " " + e.operador + " " + shown(e.operandos[1]);
  return overflows;
}

void SolveIntegerArithmetic(Exercise& e, bool trace, bool ampliado) {
  const System s = e.kind.system;
  const bool as_patterns = e.operandos[0].rfind("0b", 0) == 0;
  const std::string width = std::to_string(e.bits);
  const std::string words = SystemWords(s, e.exceso);
  const bool add = e.kind.operation == Operation::kAdd;
  const auto shown = [](const std::string& operand) {
    return operand.rfind("0b", 0) == 0 ? operand.substr(2) : operand;
  };
  const std::string x = shown(e.operandos[0]), y = shown(e.operandos[1]);
  std::string what;
  if (as_patterns) {
    what = add ? "Sume las cadenas " + x + " y " + y : "Reste a la cadena " + x + " la cadena " + y;
    what += " (" + width + " bits en " + words + ")";
  } else {
    what = add ? "Sume " + x + " y " + y : "Calcule " + x + " - " + Parenthesised(y);
    what += " en " + words + " con " + width + " bits, operando con sus cadenas";
  }
  e.enunciado = what + "; responda la cadena del resultado (" + width +
                " bits) y si desborda: «desborda» o «no desborda».";
  e.orden = {"operar", ops::SystemName(s), e.operandos[0], e.operador, e.operandos[1], "-b", width};
  if (s == System::kExcess) e.orden.insert(e.orden.end(), {"-z", std::to_string(e.exceso)});
  if (ampliado) e.orden.push_back("--ampliado");
  const ops::IntegerArithmetic result = OperateExercise(e, trace);
  e.respuesta = result.result_bits + (result.overflow ? ", desborda" : ", no desborda");
  e.desborda = result.overflow;
  e.en_rango = !result.overflow;
  e.traza.clear();
  for (const std::string& line : result.steps) e.traza += line + "\n";
  if (trace && ampliado) {
    for (const std::string& line : ops::ExtendedArithmeticLines(result)) e.traza += line + "\n";
  }
}

void PoseFloatArithmetic(Exercise& e, int dificultad, int wider, const std::string& rounding,
                         const Below& below) {
  const bool product = e.kind.operation == Operation::kMultiply;
  const FloatFormat& f = e.formato;
  const int stored_bits = f.nb - f.nbexp - 1 + (f.typenorma == 0 ? 0 : 1);
  const int most_bits = std::clamp(dificultad + 2 + wider, 1, std::max(1, stored_bits));
  const int spread = dificultad == 1 ? 2 : 3;  // exponents this far apart at most
  const auto between = [&below](int lo, int hi) {
    return lo + static_cast<int>(below(static_cast<std::uint64_t>(hi - lo + 1)));
  };
  // A value of `bits` significant bits (its first and last are ones) whose leading one weighs
  // 2^exponent.
  const auto draw = [&](int exponent) {
    const int bits = between(1, most_bits);
    Big num = 1;
    for (int i = 2; i < bits; ++i) num = num * 2 + static_cast<int>(below(2));
    if (bits > 1) num = num * 2 + 1;
    return Dyadic{below(100) < 35 ? Big(-num) : num, exponent - (bits - 1)};
  };
  e.operador = product ? "x" : (below(4) == 0 ? "-" : "+");
  if (!rounding.empty()) {
    e.redondeo = rounding;
  } else {
    const bool named = !e.preset.empty();
    e.redondeo = below(100) < (named ? 50u : 25u) ? "cercano" : "truncar";
  }
  const ops::FloatOperator op = *ops::FindFloatOperator(e.operador);
  const ops::Rounding rule = *ops::FindRounding(e.redondeo);
  ops::FloatOperation done;
  for (int tries = 0; tries < 300; ++tries) {
    const int ea = between(-2, product ? 2 : 3);
    const int eb = product ? between(-2, 2) : ea - between(0, spread);
    Dyadic a = draw(ea), b = draw(eb);
    if (below(2) == 0) std::swap(a, b);
    e.operandos = {ToDecimal(a), ToDecimal(b)};
    done = ops::OperateFloat(f, e.operandos[0], op, e.operandos[1], rule);
    const bool stored =
        done.fault.empty() && !done.operands[0].inexacto && !done.operands[1].inexacto;
    // A sum that cancels to zero teaches little: drawn again.
    const bool zero = done.valor_exacto == "0" || done.valor_exacto == "-0";
    if (stored && !done.desbordamiento && !zero) break;
  }
  // Beyond the easiest level, now and then the operands are given as their patterns.
  if (dificultad > 1 && done.fault.empty() && below(10) < 3) {
    e.operandos = {"0b" + done.operands[0].cadena, "0b" + done.operands[1].cadena};
  }
  e.dato = e.operandos[0] + " " + e.operador + " " + e.operandos[1];
}

void SolveFloatArithmetic(Exercise& e, const std::string& in_format,
                          const std::vector<std::string>& format_args, bool trace, bool ampliado) {
  const auto shown = [](const std::string& operand) {
    return operand.rfind("0b", 0) == 0 ? "la cadena " + operand.substr(2) : operand;
  };
  const std::string x = shown(e.operandos[0]), y = shown(e.operandos[1]);
  std::string what;
  if (e.operador == "x") {
    what = "Multiplique " + x + " por " + Parenthesised(y);
  } else if (e.operador == "-") {
    what = "Calcule " + x + " - " + Parenthesised(y);
  } else {
    what = "Sume " + x + " y " + y;
  }
  const bool truncate = ExerciseRounding(e) == ops::Rounding::kTruncate;
  e.enunciado =
      what + " en " + in_format + "; " +
      (truncate ? "trunque la mantisa del resultado"
                : "redondee el resultado al más cercano (en un empate, a la mantisa par)") +
      ", y dé su cadena (Fuera de Rango si no cabe).";
  e.orden = {"operar", "flotante", e.operandos[0], e.operador, e.operandos[1]};
  e.orden.insert(e.orden.end(), format_args.begin(), format_args.end());
  e.orden.insert(e.orden.end(), {"--redondeo", e.redondeo});
  if (ampliado) e.orden.push_back("--ampliado");
  const ops::FloatOperation op = OperateStated(e, ExerciseRounding(e));
  e.respuesta = op.desbordamiento || op.cadena.empty() ? "Fuera de Rango" : op.cadena;
  e.desborda = op.desbordamiento;
  e.en_rango = !op.desbordamiento;
  e.traza.clear();
  if (!trace) return;
  // As `repbin operar flotante` prints it.
  RecordedTrace recorded;
  ops::PrintLayoutSummary(e.formato, recorded);
  recorded.Print(" %s %s %s (redondeo: %s)\n", e.operandos[0].c_str(), e.operador.c_str(),
                 e.operandos[1].c_str(), e.redondeo.c_str());
  for (const std::string& step : op.pasos) recorded.Text((" " + step + "\n").c_str());
  if (ampliado && !op.cadena.empty()) {
    PrintInterpretationReport(ReportInterpretation(e.formato, op.cadena.c_str()), recorded);
  }
  ops::PrintSeparator(recorded);
  e.traza = recorded.out();
}

Verdict CheckArithmeticAnswer(const Exercise& e, std::string_view answer) {
  if (e.kind.system == System::kFloat) return CheckFloatArithmetic(e, answer);
  return CheckIntegerArithmetic(e, answer);
}

std::vector<std::string> ArithmeticAcceptedAnswers(const Exercise& e) {
  std::vector<std::string> answers = {e.respuesta};
  const std::size_t comma = e.respuesta.find(',');
  if (comma == std::string::npos) return answers;
  // The pattern as written or grouped in fours, before the verdict with or without the comma.
  const std::string bits = e.respuesta.substr(0, comma);
  const std::string verdict = e.respuesta.substr(comma + 2);
  const std::string grouped = GroupedFours(bits);
  answers.push_back(bits + " " + verdict);
  if (grouped != bits) {
    answers.push_back(grouped + ", " + verdict);
    answers.push_back(grouped + " " + verdict);
  }
  return answers;
}

}  // namespace repbin::exercises
