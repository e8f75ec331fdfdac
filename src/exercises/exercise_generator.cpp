// Drawing the exercises of a sheet and solving them with the operation functions.
//
// Every random choice comes from one std::mt19937_64, whose output the C++ standard fixes, through
// this file's own mappings onto ranges (the standard distributions differ between libraries), so
// a seed gives the same sheet on every platform.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>

#include "exercises/arithmetic_exercises.h"
#include "exercises/exercise_sheet.h"
#include "operations/fixed_point.h"
#include "operations/integer_arithmetic.h"
#include "operations/layout.h"
#include "output/output.h"
#include "real/real.h"
#include "real/report.h"

namespace repbin::exercises {
namespace {

constexpr std::int64_t kMaxValue = 2147483647;  // values are written from 32-bit integers

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}

  // Uniform in 0..n-1 (n > 0), by rejection of the engine's few top values that would bias it.
  std::uint64_t Below(std::uint64_t n) {
    const std::uint64_t threshold = (0 - n) % n;  // 2^64 mod n
    for (;;) {
      const std::uint64_t r = engine_();
      if (r >= threshold) return r % n;
    }
  }
  // Uniform in lo..hi (lo <= hi).
  std::int64_t Between(std::int64_t lo, std::int64_t hi) {
    return lo + static_cast<std::int64_t>(Below(static_cast<std::uint64_t>(hi - lo) + 1));
  }
  // True `percent` times in a hundred.
  bool Chance(int percent) { return Below(100) < static_cast<std::uint64_t>(percent); }
  // One of `items`, by their weights.
  template <class T, std::size_t N>
  T Weighted(const std::pair<T, int> (&items)[N]) {
    int total = 0;
    for (const auto& item : items) total += item.second;
    auto pick = static_cast<int>(Below(static_cast<std::uint64_t>(total)));
    for (const auto& item : items) {
      if (pick < item.second) return item.first;
      pick -= item.second;
    }
    return items[0].first;
  }

 private:
  std::mt19937_64 engine_;
};

std::string Decimal(std::int64_t v) {
  return std::to_string(v);
}

// "complemento a dos", "exceso 127".
std::string IntegerSystemPhrase(ops::System system, int excess) {
  std::string phrase = SystemPhrase(system);
  if (system == ops::System::kExcess) phrase += " " + Decimal(excess);
  return phrase;
}

const char* FieldSystemPhrase(int code) {
  return SystemPhrase(FieldSystem(code));
}
// A statement says in full that a 0'M mantissa is a fraction.
std::string StatementNormPhrase(int norma) {
  if (norma != 0) return NormPhrase(norma);
  return std::string(NormForm(0)) + " (mantisa fraccionaria " + NormMeaning(0) + ")";
}
const char* PresetTitle(const std::string& preset) {
  if (preset == "ieee32") return "IEEE 754 de precisión simple";
  if (preset == "ieee16") return "IEEE 754 de precisión media";
  if (preset == "ieee64") return "IEEE 754 de precisión doble";
  if (preset == "fp8-e4m3") return "FP8 E4M3 (sin infinitos)";
  if (preset == "fp8-e5m2") return "FP8 E5M2";
  return "bfloat16";
}

// "[S30-S23]": the field of `width` bits from position `first` (counted from the left) of a
// `bits`-bit pattern, numbered from the right as the layout summary numbers it.
std::string SRange(int bits, int first, int width) {
  const int high = bits - 1 - first;
  const int low = bits - first - width;
  if (width == 1) return "[S" + Decimal(high) + "]";
  return "[S" + Decimal(high) + "-S" + Decimal(low) + "]";
}

// The format as the statement names it, after "en": by preset name with its fields, or field by
// field.
std::string FormatPhrase(const FloatFormat& f, const std::string& preset) {
  const int man = f.nb - f.nbexp - 1;
  std::string exp_system = FieldSystemPhrase(f.TypeExp);
  if (f.TypeExp == 3) exp_system += " " + Decimal(f.zEZ);
  if (!preset.empty()) {
    return "el formato " + preset + " (" + PresetTitle(preset) + ": 1 bit de signo, " +
           Decimal(f.nbexp) + " de exponente en " + exp_system + " y " + Decimal(man) +
           " de mantisa en signo-magnitud, normalización " + StatementNormPhrase(f.typenorma) + ")";
  }
  return "coma flotante de " + Decimal(f.nb) +
         " bits (posiciones contadas desde la izquierda a partir de 0; entre corchetes, los "
         "números S del resumen del formato, contados desde la derecha): signo en la posición " +
         Decimal(f.possigno) + " " + SRange(f.nb, f.possigno, 1) + "; exponente de " +
         Decimal(f.nbexp) + " bits desde la posición " + Decimal(f.posexp) + " " +
         SRange(f.nb, f.posexp, f.nbexp) + ", en " + exp_system + "; mantisa de " + Decimal(man) +
         " bits desde la posición " + Decimal(f.posmantisa) + " " +
         SRange(f.nb, f.posmantisa, man) + ", en " + FieldSystemPhrase(f.TypeMan) +
         "; normalización " + StatementNormPhrase(f.typenorma);
}

void AddFormatArguments(const FloatFormat& f, const std::string& preset,
                        std::vector<std::string>& orden) {
  if (!preset.empty()) {
    orden.insert(orden.end(), {"-f", preset});
    return;
  }
  orden.insert(orden.end(), {"--bits", Decimal(f.nb), "--exp", Decimal(f.nbexp), "--pos-exp",
                             Decimal(f.posexp), "--pos-man", Decimal(f.posmantisa), "--pos-signo",
                             Decimal(f.possigno), "--sis-exp", FieldSystemName(f.TypeExp)});
  if (f.TypeExp == 3) orden.insert(orden.end(), {"-z", Decimal(f.zEZ)});
  orden.insert(orden.end(),
               {"--sis-man", FieldSystemName(f.TypeMan), "--norma", NormName(f.typenorma)});
}

// The values an integer system writes with `width` bits, within 32-bit integers.
struct Range {
  std::int64_t lo, hi;
};
Range IntegerRange(ops::System system, int width, int excess) {
  const std::int64_t top = width >= 33 ? kMaxValue : (std::int64_t{1} << (width - 1)) - 1;
  const std::int64_t all = width >= 32 ? kMaxValue : (std::int64_t{1} << width) - 1;
  Range r{0, 0};
  switch (system) {
    case ops::System::kNatural: r = {0, all}; break;
    case ops::System::kTwos: r = {-top - 1, top}; break;
    case ops::System::kExcess: r = {-std::int64_t{excess}, all - excess}; break;
    default: r = {-top, top}; break;  // one's complement and sign-magnitude
  }
  if (r.lo < -kMaxValue) r.lo = -kMaxValue;
  if (r.hi > kMaxValue) r.hi = kMaxValue;
  return r;
}

// What exercise i shares in every variant: its kind, width, excess and format, and for an
// integer representation whether its value fits; and what makes its value as hard as another's,
// which the other variants match: the sign, the length of the magnitude in bits (an integer's
// bit length, a floating value's binary exponent plus one) and whether it is trivial.
struct Shape {
  Kind kind;
  int bits = 0;
  int exceso = 0;
  FloatFormat formato{};
  std::string preset;
  int fraccion = 0;
  bool beyond = false;
  int extra = 0;           // binary places of a fixed-point value beyond its fraction bits
  std::int64_t value = 0;  // an integer exercise's value (the one its string is worth, to read);
                           // in fixed point, the value times 2^F, truncated
  int sign = 0;            // -1, 0 or 1
  int length = 0;          // 0 for the value 0
  bool trivial = false;
};

// Variants are equally hard when, position by position, their values have the same sign, a
// magnitude of the same length give or take one bit, and a trivial value in one only when the
// other has one too (the fit of an integer representation is part of the shape already).
bool Alike(const Shape& drawn, const Shape& model) {
  return drawn.sign == model.sign && std::abs(drawn.length - model.length) <= 1 &&
         drawn.trivial == model.trivial;
}

// Whether a string's bits are all equal ("0000", "1111"): a pattern with nothing to work out.
bool EqualBits(const std::string& bits) {
  return !bits.empty() && bits.find_first_not_of(bits[0]) == std::string::npos;
}

// The bit length of |v|.
int BitLength(std::int64_t v) {
  std::uint64_t m = v < 0 ? static_cast<std::uint64_t>(-v) : static_cast<std::uint64_t>(v);
  int n = 0;
  for (; m != 0; m >>= 1) ++n;
  return n;
}

// The draw's bounds at a level of difficulty.
struct Level {
  std::int64_t scale;  // the integer part of a floating value is at most this
  int fraction_bits;   // binary places of its fraction, at most
};
Level LevelOf(int dificultad) {
  switch (dificultad) {
    case 1: return {64, 2};
    case 3: return {1000, 8};  // and no more than kHardSignificantBits in all
    default: return {300, 4};
  }
}

// What a statement says of a layout whose mantissa is in a complement, where courses differ.
constexpr const char* kComplementMantissa =
    " Convenio: el signo va en su propio bit y, si el valor es negativo, se complementan solo los "
    "bits de la mantisa que se guardan (el bit implícito, si lo hay, no).";

// The hardest level still asks what a person works by hand: floating-point values of at most
// this many significant bits, integers of at most 16 bits.
constexpr int kHardSignificantBits = 12;

// Fixed point worked by hand. The width is drawn as for the integer kinds (or given by -b); the
// fraction bits are at most 2, 4 or 8 by level and leave an integer bit besides the sign's (all
// bits may be fraction bits only at the hardest level, Q0.7), so a value has at most as many
// decimals as there are fraction bits: 0.25, 0.0625, 0.00390625. Above the easiest level some
// values to represent carry one or two binary places more than the format keeps (up to three at
// the hardest), so the student truncates; a value that does not fit never does.
struct FixedLevel {
  int fraction_bits;  // at most
  int whole_bits;     // bits left before the point, at least
  int extra_percent;  // values to represent that need truncating
  int extra_bits;     // places beyond the fraction bits, at most
};
FixedLevel FixedLevelOf(int dificultad) {
  switch (dificultad) {
    case 1: return {2, 2, 0, 0};
    case 3: return {8, 1, 40, 3};
    default: return {4, 2, 30, 2};
  }
}

// "coma fija con signo, complemento a dos, 8 bits de los que 3 son fraccionarios".
std::string FixedPhrase(ops::System system, int bits, int fraction) {
  return std::string("coma fija ") +
         (system == ops::System::kNatural ? "sin signo, " : "con signo, ") + SystemPhrase(system) +
         ", " + Decimal(bits) + " bits de los que " + Decimal(fraction) +
         (fraction == 1 ? " es fraccionario" : " son fraccionarios");
}

// An exact decimal short enough for a student to copy ("154.875").
bool ShortDecimal(const std::string& text) {
  return text.size() <= 16 && text != "0" && text != "-0";
}

class Generator {
 public:
  explicit Generator(const SheetOptions& options)
      : options_(options),
        kinds_(options.kinds.empty() ? AllKinds() : options.kinds),
        random_(options.seed),
        level_(LevelOf(options.dificultad)) {}

  // Variant A's next exercise, solved, with its shape in `shape` when given; nothing once the
  // sheet has its count or the options allow no other exercise.
  std::optional<Exercise> Next(Shape* shape_drawn = nullptr) {
    // Kinds come round in turns, each turn in its own order, so that every sheet mixes them.
    while (count_ < options_.count && failures_ < kMaxFailures) {
      if (turn_.empty()) {
        turn_ = kinds_;
        for (std::size_t i = turn_.size(); i > 1; --i)
          std::swap(turn_[i - 1], turn_[static_cast<std::size_t>(random_.Below(i))]);
      }
      const Kind kind = turn_.back();
      turn_.pop_back();
      Exercise e;
      e.kind = kind;
      Shape shape = Pose(e, nullptr);
      // With variants, variant A avoids trivial values, which the others could not match
      // fairly; a few draws, since a tiny range may hold nothing else.
      for (int again = 0; options_.variantes > 1 && shape.trivial && again < kTrivialRedraws;
           ++again) {
        shape = Pose(e, nullptr);
      }
      // A value posed before is drawn again from a wider choice, so that a long sheet does not
      // spend most of its draws on the few small values: first in the same shape, then in a
      // new one (only the other variants must keep variant A's shapes).
      for (int wider = 1; seen_.count(Key(e)) != 0 && wider <= kWiderDraws; ++wider) {
        shape = Pose(e, wider == 1 ? &shape : nullptr, wider);
      }
      if (!seen_.insert(Key(e)).second) {
        ++failures_;
        continue;
      }
      failures_ = 0;
      e.numero = ++count_;
      Solve(e);
      if (shape_drawn != nullptr) *shape_drawn = std::move(shape);
      return e;
    }
    return std::nullopt;
  }

  int Run(const std::function<void(const Exercise&)>& each) {
    std::vector<Shape> shapes;  // variant A's, for the other variants
    Shape shape;
    while (const std::optional<Exercise> e = Next(&shape)) {
      each(*e);
      if (options_.variantes > 1) shapes.push_back(std::move(shape));
    }
    // The other variants: the same shapes, values drawn afresh from a seed of their own.
    for (int v = 1; v < options_.variantes; ++v) {
      random_ = Random(options_.seed ^ (0x9E3779B97F4A7C15u * static_cast<std::uint64_t>(v)));
      seen_.clear();
      for (std::size_t i = 0; i < shapes.size(); ++i) {
        Exercise e;
        for (int tries = 0;; ++tries) {
          e.kind = shapes[i].kind;
          // First values like variant A's; when a small range has none left, any new value.
          const bool fair = tries < kFairDraws;
          const int wider =
              fair ? std::min(tries / 16, kWiderDraws) : std::min(tries - kFairDraws, kWiderDraws);
          const Shape drawn = Pose(e, &shapes[i], wider, fair ? &shapes[i] : nullptr);
          if (fair && !Alike(drawn, shapes[i])) continue;
          // Beyond many draws that only repeat earlier values (a range of a few values), the
          // value stays repeated: variant A proves the shapes hold different values, but a
          // random draw need not find them.
          if (seen_.insert(Key(e)).second || tries == kFairDraws + kMaxFailures) break;
        }
        e.numero = static_cast<int>(i) + 1;
        e.variante = v;
        Solve(e);
        each(e);
      }
    }
    return count_;
  }

  int Drawn() const { return count_; }

 private:
  static constexpr int kMaxFailures = 2000;  // draws in a row that only repeat earlier ones
  static constexpr int kWiderDraws = 3;      // draws of one shape from ever wider choices
  static constexpr int kFairDraws = 200;     // draws for a value like variant A's
  static constexpr int kTrivialRedraws = 8;  // draws of variant A's avoiding a trivial value

  // What an exercise poses: a value to represent or a string to read. No two in one variant
  // pose the same, whatever their systems.
  static std::string Key(const Exercise& e) {
    if (IsArithmetic(e.kind)) return "o " + e.dato;
    return (e.kind.operation == Operation::kRepresent ? "r " : "i ") + e.dato;
  }

  // Draws what `e` poses, `e.dato`, with its width, excess and format (`shape`'s when given),
  // and returns the shape it has. From `wider` 1 on, the value comes from a wider choice:
  // integers from their whole range, floating-point values from larger magnitudes and longer
  // fractions; from 2 on, a width drawn is the level's widest, and from 3 on wider still.
  // `like`, when given, is variant A's exercise, whose sign and magnitude the value is drawn
  // near (the caller checks how alike it came out).
  Shape Pose(Exercise& e, const Shape* shape, int wider = 0, const Shape* like = nullptr) {
    wider_ = wider;
    Shape drawn;
    if (IsArithmetic(e.kind)) {
      drawn.beyond = PoseArithmetic(e, shape);
    } else if (e.kind.fija) {
      PoseFixed(e, shape, like, drawn);
    } else if (e.kind.system == ops::System::kFloat) {
      PoseFloat(e, shape, like, drawn);
    } else {
      PoseInteger(e, shape, like, drawn);
    }
    drawn.kind = e.kind;
    drawn.bits = e.bits;
    drawn.exceso = e.exceso;
    drawn.fraccion = e.fraccion;
    drawn.formato = e.formato;
    drawn.preset = e.preset;
    return drawn;
  }

  // Runs `fn` on a trace sink, keeping what it reports on standard output as the exercise's
  // trace when traces are wanted.
  template <class Fn>
  std::string Traced(Fn&& fn) {
    if (!options_.trazas) {
      fn(NoTrace());
      return {};
    }
    RecordedTrace trace;
    fn(trace);
    return trace.out();
  }

  // Writes the statement, the command, the answer and the trace of a posed exercise.
  void Solve(Exercise& e) {
    if (IsArithmetic(e.kind) && e.kind.system == ops::System::kFloat) {
      std::vector<std::string> layout;
      AddFormatArguments(e.formato, e.preset, layout);
      SolveFloatArithmetic(e, FormatPhrase(e.formato, e.preset), layout, options_.trazas,
                           options_.report.ampliado);
    } else if (IsArithmetic(e.kind)) {
      SolveIntegerArithmetic(e, options_.trazas, options_.report.ampliado);
    } else if (e.kind.fija) {
      SolveFixed(e);
    } else if (e.kind.system == ops::System::kFloat) {
      SolveFloat(e);
    } else {
      SolveInteger(e);
    }
  }

  // --- Integers -----------------------------------------------------------------------------

  int DrawWidth() {
    if (options_.bits) return *options_.bits;
    // The wider draws of a long sheet, whose small widths have no value left: the level's
    // widest, then wider still.
    if (wider_ >= 2) {
      static constexpr int kWidest[3][2] = {{8, 12}, {16, 32}, {32, 32}};
      return kWidest[std::clamp(options_.dificultad, 1, 3) - 1][wider_ >= 3 ? 1 : 0];
    }
    if (options_.dificultad == 1) {
      static constexpr std::pair<int, int> kSmall[] = {{4, 2}, {5, 1}, {6, 2}, {8, 4}};
      return random_.Weighted(kSmall);
    }
    if (options_.dificultad == 3) {
      static constexpr std::pair<int, int> kWide[] = {{8, 2}, {10, 1}, {12, 3}, {16, 4}};
      return random_.Weighted(kWide);
    }
    static constexpr std::pair<int, int> kWidths[] = {{4, 2},  {5, 1},  {6, 2}, {8, 5},
                                                      {10, 1}, {12, 2}, {16, 2}};
    return random_.Weighted(kWidths);
  }

  int DrawExcess(int width) {
    if (options_.exceso) return *options_.exceso;
    const int half = 1 << ((width > 31 ? 31 : width) - 1);
    return random_.Chance(50) ? half : half - 1;
  }

  // A value that fits `r`: now and then an end of the range or a small value, often small
  // magnitudes on wide formats (they are worked by hand), else anything in the range.
  std::int64_t DrawFitting(const Range& r) {
    if (wider_ > 0) return random_.Between(r.lo, r.hi);
    if (random_.Chance(10)) return random_.Chance(50) ? r.lo : r.hi;
    if (r.hi - r.lo > 511 && random_.Chance(50)) {
      return random_.Between(r.lo < -255 ? -255 : r.lo, r.hi > 255 ? 255 : r.hi);
    }
    return random_.Between(r.lo, r.hi);
  }

  // A value just beyond `r`, when 32-bit integers have one.
  std::optional<std::int64_t> DrawBeyond(const Range& r) {
    const std::int64_t reach = (r.hi - r.lo) / 4 + 1;
    const bool above_possible = r.hi < kMaxValue;
    const bool below_possible = r.lo > -kMaxValue;
    if (!above_possible && !below_possible) return std::nullopt;
    const bool above = above_possible && (!below_possible || random_.Chance(50));
    if (above) return r.hi + 1 + random_.Between(0, std::min(reach, kMaxValue - r.hi - 1));
    return r.lo - 1 - random_.Between(0, std::min(reach, r.lo + kMaxValue - 1));
  }

  // A value like variant A's `a` for the range `r`: the same sign, a magnitude whose bit length
  // is within one of A's, and in the range or beyond it on the same side as A's.
  std::int64_t DrawAlike(const Range& r, const Shape& a) {
    if (a.sign == 0) return 0;
    const std::int64_t low = a.length <= 2 ? 1 : std::int64_t{1} << (a.length - 2);
    const std::int64_t high = std::min(kMaxValue, (std::int64_t{1} << (a.length + 1)) - 1);
    std::int64_t lo = a.sign > 0 ? low : -high;
    std::int64_t hi = a.sign > 0 ? high : -low;
    if (!a.beyond) {
      lo = std::max(lo, r.lo);
      hi = std::min(hi, r.hi);
    } else if (a.value > r.hi) {
      lo = std::max(lo, r.hi + 1);
    } else {
      hi = std::min(hi, r.lo - 1);
    }
    return lo <= hi ? random_.Between(lo, hi) : a.value;  // A's own value is always in there
  }

  // Draws an integer exercise's value, and fills in `drawn`'s fit and what its value is like.
  void PoseInteger(Exercise& e, const Shape* shape, const Shape* like, Shape& drawn) {
    const ops::System system = e.kind.system;
    if (shape != nullptr) {
      e.bits = shape->bits;
      e.exceso = shape->exceso;
    } else {
      e.bits = DrawWidth();
      e.exceso = system == ops::System::kExcess ? DrawExcess(e.bits) : 0;
    }
    const std::string bits = DrawIntegerValue(e, shape, like, drawn);
    e.dato = e.kind.operation == Operation::kRepresent ? Decimal(drawn.value) : bits;
  }

  // Draws the integer value of an exercise whose kind, width and excess `e` holds: to represent,
  // fitting or now and then beyond the range (`shape`'s fit when given); to read, one that
  // fits, so that its string reads as a sensible value. Fills in `drawn`'s value, fit and what
  // the value is like, and returns its string (empty when it does not fit).
  std::string DrawIntegerValue(const Exercise& e, const Shape* shape, const Shape* like,
                               Shape& drawn) {
    const Range range = IntegerRange(e.kind.system, e.bits, e.exceso);
    if (e.kind.operation == Operation::kRepresent) {
      std::optional<std::int64_t> beyond;
      if (like != nullptr) {
        drawn.value = DrawAlike(range, *like);
        if (like->beyond) beyond = drawn.value;
      } else {
        if (shape != nullptr ? shape->beyond : random_.Chance(12)) beyond = DrawBeyond(range);
        drawn.value = beyond ? *beyond : DrawFitting(range);
      }
      drawn.beyond = beyond.has_value();
    } else {
      drawn.value = like != nullptr ? DrawAlike(range, *like) : DrawFitting(range);
    }
    std::string bits;
    if (!drawn.beyond) {
      bits = ops::RepresentInteger({e.kind.system, e.bits, e.exceso},
                                   static_cast<std::int32_t>(drawn.value), {}, NoTrace())
                 .cadena;
    }
    drawn.sign = drawn.value < 0 ? -1 : drawn.value > 0 ? 1 : 0;
    drawn.length = BitLength(drawn.value);
    drawn.trivial = drawn.length <= 1 || EqualBits(bits);
    return bits;
  }

  void SolveInteger(Exercise& e) {
    const ops::System system = e.kind.system;
    const std::string sys = ops::SystemName(system);
    const std::string phrase = IntegerSystemPhrase(system, e.exceso);
    if (e.kind.operation == Operation::kRepresent) {
      e.enunciado = "Represente " + e.dato + " en " + phrase + " con " + Decimal(e.bits) +
                    " bits; si no cabe, responda Fuera de Rango.";
      e.orden = {"representar", sys, e.dato, "-b", Decimal(e.bits)};
      const auto value = static_cast<std::int32_t>(std::stoll(e.dato));
      ops::IntegerRepresentation result{};
      const ops::IntegerFormat format{system, e.bits, e.exceso};
      e.traza = Traced([&](Trace& trace) {
        ops::PrintIntegerHeading(format, trace);
        result = ops::RepresentInteger(format, value, options_.report, trace);
      });
      e.en_rango = result.en_rango;
      e.respuesta = result.en_rango ? result.cadena : "Fuera de Rango";
    } else {
      e.enunciado =
          "Interprete la cadena " + e.dato + " (" + Decimal(e.bits) + " bits) en " + phrase + ".";
      e.orden = {"interpretar", sys, e.dato};
      ops::IntegerInterpretation result{};
      e.traza = Traced([&](Trace& trace) {
        result = ops::InterpretInteger({system, e.bits, e.exceso}, e.dato, options_.report, trace);
      });
      e.respuesta = result.valor;
    }
    if (system == ops::System::kExcess) e.orden.insert(e.orden.end(), {"-z", Decimal(e.exceso)});
    if (options_.report.ampliado) e.orden.push_back("--ampliado");
  }

  // --- Fixed point --------------------------------------------------------------------------

  int DrawFraction(int width) {
    const FixedLevel level = FixedLevelOf(options_.dificultad);
    const int most = std::max(1, std::min(level.fraction_bits, width - level.whole_bits));
    return static_cast<int>(random_.Between(1, most));
  }

  // Draws a fixed-point exercise's value as an integer exercise's, in units of 2^-F: the value
  // times 2^F is what is drawn, fits or not, and is like variant A's; a value to represent may
  // then get a few binary places more, which the format drops.
  void PoseFixed(Exercise& e, const Shape* shape, const Shape* like, Shape& drawn) {
    const ops::System system = e.kind.system;
    if (shape != nullptr) {
      e.bits = shape->bits;
      e.fraccion = shape->fraccion;
    } else {
      e.bits = std::max(DrawWidth(), ops::MinimumWidth(system));
      e.fraccion = DrawFraction(e.bits);
    }
    e.exceso = 0;
    const std::string bits = DrawIntegerValue(e, shape, like, drawn);
    if (e.kind.operation == Operation::kRepresent) {
      const FixedLevel level = FixedLevelOf(options_.dificultad);
      if (shape != nullptr) {
        drawn.extra = shape->extra;
      } else if (!drawn.beyond && random_.Chance(level.extra_percent)) {
        drawn.extra = static_cast<int>(random_.Between(1, level.extra_bits));
      }
      // The places beyond the fraction bits, away from zero so that truncating drops them.
      std::int64_t m = drawn.value;
      if (drawn.extra > 0) {
        const std::int64_t tail = random_.Between(1, (std::int64_t{1} << drawn.extra) - 1);
        m = m * (std::int64_t{1} << drawn.extra) + (drawn.value < 0 ? -tail : tail);
      }
      e.dato = *ops::DyadicDecimal(Decimal(m), -(e.fraccion + drawn.extra));
    } else {
      e.dato = bits;
    }
  }

  // Fixed point is solved by the functions `representar` and `interpretar` call for --fraccion.
  void SolveFixed(Exercise& e) {
    const ops::System system = e.kind.system;
    const std::string sys = ops::SystemName(system);
    const std::string phrase = FixedPhrase(system, e.bits, e.fraccion);
    const ops::IntegerFormat format{system, e.bits, 0};
    if (e.kind.operation == Operation::kRepresent) {
      e.orden = {"representar",      sys, e.dato, "-b", Decimal(e.bits), "--fraccion",
                 Decimal(e.fraccion)};
      const std::optional<ops::ExactValue> x = ops::ParseExactValue(e.dato);
      ops::FixedRepresentation result{};
      e.traza = Traced([&](Trace& trace) {
        ops::PrintIntegerHeading(format, trace);
        result = ops::RepresentFixed(format, e.fraccion, *x, e.dato, options_.report, trace);
      });
      e.en_rango = result.en_rango;
      e.respuesta = result.en_rango ? result.cadena : "Fuera de Rango";
      e.enunciado =
          "Represente " + e.dato + " en " + phrase +
          (result.truncated && result.en_rango ? "; trunque las cifras que no caben" : "") +
          "; si no cabe, responda Fuera de Rango.";
    } else {
      e.enunciado =
          "Interprete la cadena " + e.dato + " en " + phrase + "; dé su valor exacto en decimal.";
      e.orden = {"interpretar", sys, e.dato, "--fraccion", Decimal(e.fraccion)};
      e.traza = Traced([&](Trace& trace) {
        e.respuesta = ops::InterpretFixed(format, e.fraccion, e.dato, options_.report, trace);
      });
    }
    if (options_.report.ampliado) e.orden.push_back("--ampliado");
  }

  // --- Arithmetic ---------------------------------------------------------------------------

  // Draws the operands of an arithmetic exercise in its width and excess, or its format (`shape`'s
  // when given: then with the overflow verdict of the shape); returns whether it overflows.
  bool PoseArithmetic(Exercise& e, const Shape* shape) {
    const Below below = [this](std::uint64_t n) { return random_.Below(n); };
    if (e.kind.system == ops::System::kFloat) {
      if (shape != nullptr) {
        e.formato = shape->formato;
        e.preset = shape->preset;
      } else {
        DrawArithmeticFormat(e);
      }
      e.bits = e.formato.nb;
      PoseFloatArithmetic(e, options_.dificultad, wider_, "", below);
      return false;
    }
    if (shape != nullptr) {
      e.bits = shape->bits;
      e.exceso = shape->exceso;
    } else {
      e.bits = std::max(DrawWidth(), ops::MinimumWidth(e.kind.system));
      e.exceso = e.kind.system == ops::System::kExcess ? DrawExcess(e.bits) : 0;
    }
    const bool overflow = shape != nullptr ? shape->beyond : random_.Chance(30);
    return PoseIntegerArithmetic(e, overflow, wider_, below);
  }

  // The named formats at the easiest level, layouts of their own above it.
  void DrawArithmeticFormat(Exercise& e) {
    if (options_.formato || options_.dificultad == 1) {
      DrawFormat(e);
      return;
    }
    e.preset.clear();
    e.formato = DrawLayout();
    if (ops::CheckFloatFormat(e.formato)) {  // never expected: every drawn layout passes
      e.preset = "ieee16";
      e.formato = *FindPreset(e.preset);
    }
  }

  // --- Floating point -----------------------------------------------------------------------

  // A layout of its own: the three fields side by side in any order, any systems (complement
  // mantissas only at the hardest level) and normalisation; 8 to 16 bits, 12 to 24 at the
  // hardest level, for longer fractions.
  FloatFormat DrawLayout() {
    const bool hard = options_.dificultad == 3;
    static constexpr std::pair<int, int> kWidths[] = {{8, 2}, {10, 1}, {12, 2}, {16, 1}};
    static constexpr std::pair<int, int> kHardWidths[] = {{12, 2}, {16, 2}, {20, 1}, {24, 1}};
    FloatFormat f{};
    f.nb = hard ? random_.Weighted(kHardWidths) : random_.Weighted(kWidths);
    f.nbexp = static_cast<int>(random_.Between(3, f.nb <= 8 ? 4 : (hard ? 6 : 5)));
    const int man = f.nb - f.nbexp - 1;
    // The three fields side by side, in one of the six orders.
    static constexpr char kOrders[6][4] = {"SEM", "SME", "ESM", "EMS", "MSE", "MES"};
    const char* order = kOrders[random_.Below(6)];
    int at = 0;
    for (const char* c = order; *c != '\0'; ++c) {
      switch (*c) {
        case 'S':
          f.possigno = at;
          at += 1;
          break;
        case 'E':
          f.posexp = at;
          at += f.nbexp;
          break;
        default:
          f.posmantisa = at;
          at += man;
          break;
      }
    }
    static constexpr std::pair<int, int> kExpSystems[] = {{3, 4}, {0, 2}, {1, 1}, {2, 2}};
    f.TypeExp = random_.Weighted(kExpSystems);
    f.zEZ = (1 << (f.nbexp - 1)) - static_cast<int>(random_.Below(2));
    static constexpr std::pair<int, int> kManSystems[] = {{0, 4}, {1, 1}, {2, 2}};
    static constexpr std::pair<int, int> kComplements[] = {{1, 1}, {2, 2}};
    f.TypeMan = hard ? random_.Weighted(kComplements) : random_.Weighted(kManSystems);
    static constexpr std::pair<int, int> kNorms[] = {{1, 4}, {0, 2}, {2, 2}};
    f.typenorma = random_.Weighted(kNorms);
    return f;
  }

  void DrawFormat(Exercise& e) {
    if (options_.formato) {
      e.formato = *options_.formato;
      e.preset = options_.preset;
      return;
    }
    const int pick = static_cast<int>(random_.Below(10));
    if (options_.dificultad == 1) {
      e.preset = pick < 6 ? "ieee32" : "ieee16";
    } else if (pick < 6 && options_.dificultad == 2) {
      e.preset = "ieee32";
    } else if (pick < 8 && options_.dificultad == 2) {
      e.preset = "ieee16";
    } else {
      e.formato = DrawLayout();
      if (!ops::CheckFloatFormat(e.formato)) return;
      e.preset = "ieee16";  // never expected: every drawn layout passes
    }
    e.formato = *FindPreset(e.preset);
  }

  // Fixed-point text: mostly a short binary fraction (k/2^m, m up to the level's places, written
  // exactly), now and then an integer, and, when inexact values are allowed, a few tenths whose
  // binary expansion does not end. `scale` bounds the integer part.
  std::string DrawFixedText(std::int64_t scale) {
    bool minus = random_.Chance(40);
    if (sign_ != 0) minus = sign_ < 0;  // a variant's value takes variant A's sign
    std::int64_t whole = random_.Between(0, scale);
    std::string fraction;
    int shape = static_cast<int>(random_.Below(100));
    if (shape >= 87 && !options_.inexactos) shape = 0;  // a binary fraction instead of tenths
    if (shape < 75) {
      const int m = static_cast<int>(random_.Between(1, level_.fraction_bits + 2 * wider_));
      const std::int64_t k = 2 * random_.Between(0, (std::int64_t{1} << (m - 1)) - 1) + 1;
      std::int64_t digits = k;  // k/2^m = k*5^m/10^m
      for (int i = 0; i < m; ++i) digits *= 5;
      fraction = Decimal(digits);
      fraction.insert(0, static_cast<std::size_t>(m) - fraction.size(), '0');
    } else if (shape < 87) {
      if (whole == 0) whole = 1 + random_.Between(0, scale);
    } else {
      static constexpr int kTenths[] = {1, 2, 3, 4, 6, 7, 8, 9};
      fraction = Decimal(kTenths[random_.Below(8)]);
    }
    // At the hardest level the integer part gives up its low bits to keep the value's
    // significant bits within what is worked by hand (k is odd: the fraction's m bits all count).
    if (options_.dificultad == 3) {
      const int places = static_cast<int>(fraction.size());
      const int fraction_bits = shape < 75 ? places : 0;
      const int excess = BitLength(whole) + fraction_bits - kHardSignificantBits;
      if (whole > 0 && excess > 0) whole >>= std::min(excess, BitLength(whole));
    }
    std::string text = minus ? "-" : "";
    text += Decimal(whole);
    if (!fraction.empty()) text += "." + fraction;
    return text;
  }

  // A sheet's values, as the commands write them: a named format keeps its reserved fields.
  static constexpr ops::Options kSheetWriting{false, true};

  // Fixed-point text whose exponent fits the format `f`, with its writing: the integer part
  // shrinks until it does.
  std::pair<std::string, ops::FloatRepresentation> DrawFittingFloat(const FloatFormat& f) {
    std::int64_t scale = std::min(level_.scale << (4 * wider_), scale_cap_);
    for (;;) {
      std::string text = DrawFixedText(scale);
      const ops::FloatRepresentation written =
          ops::RepresentFixedText(f, text, kSheetWriting, NoTrace());
      if (written.exponent_fits || scale == 0) return {text, written};
      scale /= 4;
    }
  }

  // Whether the format `f` holds `text` exactly (its truncated pattern `bits` is worth it).
  static bool Exact(const FloatFormat& f, const std::string& bits, const std::string& text,
                    std::string* stored) {
    const RepresentationReport report = ReportRepresentation(f, bits.c_str(), {text, true, 0});
    if (stored != nullptr) *stored = report.stored.value_or("");
    return report.error && *report.error == "0";
  }

  // A value to convert, with its writing: exactly representable unless inexact values are
  // allowed. A drawn value the format does not hold becomes the value of its truncated pattern
  // when that is short to write, so the draw keeps its spread of magnitudes.
  std::pair<std::string, ops::FloatRepresentation> DrawFloatValue(const FloatFormat& f) {
    auto drawn = DrawFittingFloat(f);
    if (options_.inexactos) return drawn;
    for (int tries = 0; tries < 100; ++tries) {
      std::string stored;
      if (drawn.second.exponent_fits && Exact(f, drawn.second.cadena, drawn.first, &stored)) {
        return drawn;
      }
      if (drawn.second.exponent_fits && ShortDecimal(stored)) {
        const ops::FloatRepresentation written =
            ops::RepresentFixedText(f, stored, kSheetWriting, NoTrace());
        if (written.exponent_fits && Exact(f, written.cadena, stored, nullptr)) {
          return {stored, written};
        }
      }
      drawn = DrawFittingFloat(f);
    }
    return drawn;  // never expected: its statement then says to truncate
  }

  // Draws a floating-point exercise's value, and fills in what it is like in `drawn`.
  void PoseFloat(Exercise& e, const Shape* shape, const Shape* like, Shape& drawn) {
    if (shape != nullptr) {
      e.formato = shape->formato;
      e.preset = shape->preset;
    } else {
      DrawFormat(e);
    }
    e.bits = e.formato.nb;
    // Like variant A's value: its sign, and an integer part short enough for its magnitude
    // (the caller checks the magnitude's lower end).
    sign_ = like != nullptr ? like->sign : 0;
    scale_cap_ = like == nullptr     ? kMaxValue
                 : like->length <= 0 ? 0
                                     : (std::int64_t{1} << std::min(like->length + 1, 40)) - 1;
    auto [text, written] = DrawFloatValue(e.formato);
    sign_ = 0;
    scale_cap_ = kMaxValue;
    e.dato = e.kind.operation == Operation::kRepresent ? text : written.cadena;
    // The magnitude's length: the binary exponent of the value plus one, read from the text
    // (a short binary fraction, or a few tenths, which a double holds well enough for that).
    const double value = std::strtod(text.c_str(), nullptr);
    drawn.sign = value < 0 ? -1 : value > 0 ? 1 : 0;
    drawn.length = value == 0 ? 0 : std::ilogb(value) + 1;
    drawn.trivial = value == 0 || value == 1 || value == -1 || EqualBits(written.cadena);
  }

  void SolveFloat(Exercise& e) {
    const std::string in_format = FormatPhrase(e.formato, e.preset);
    if (e.kind.operation == Operation::kRepresent) {
      e.orden = {"representar", "flotante", e.dato};
      ops::FloatRepresentation result{};
      e.traza = Traced([&](Trace& trace) {
        ops::PrintLayoutSummary(e.formato, trace);
        ops::Options writing = options_.report;
        writing.reserved_fields = true;
        result = ops::RepresentFixedText(e.formato, e.dato, writing, trace);
      });
      e.en_rango = result.exponent_fits;
      e.respuesta = result.cadena;
      // The program's rule, said where it matters: the value needs rounding.
      const bool exact = Exact(e.formato, result.cadena, e.dato, nullptr);
      e.enunciado =
          "Represente " + e.dato + " en " + in_format +
          (exact ? "." : "; el formato no lo representa exactamente: trunque la mantisa.");
      if (e.formato.TypeMan != 0) e.enunciado += kComplementMantissa;
    } else {
      e.enunciado =
          "Interprete la cadena " + e.dato + " en " + in_format + "; redondee a seis decimales.";
      if (e.formato.TypeMan != 0) e.enunciado += kComplementMantissa;
      e.orden = {"interpretar", "flotante", e.dato};
      ops::FloatInterpretation result{};
      e.traza = Traced([&](Trace& trace) {
        result = ops::InterpretFloat(e.formato, e.dato, options_.report, trace);
        // The result line stays open unless the extended report closed it.
        if (!options_.report.ampliado) trace.Print("\n");
      });
      char value[64];
      std::snprintf(value, sizeof value, "%f", static_cast<double>(result.valor));
      e.respuesta = value;
    }
    AddFormatArguments(e.formato, e.preset, e.orden);
    if (options_.report.ampliado) e.orden.push_back("--ampliado");
  }

  const SheetOptions options_;
  const std::vector<Kind> kinds_;
  Random random_;
  Level level_;
  int wider_ = 0;                       // how much wider than usual the value being drawn is chosen
  int sign_ = 0;                        // the sign a floating value must have, when not 0
  std::int64_t scale_cap_ = kMaxValue;  // the most a floating value's integer part may be
  std::unordered_set<std::string> seen_;
  std::vector<Kind> turn_;  // the kinds of the turn under way, drawn from the back
  int failures_ = 0;        // draws in a row that only repeated earlier ones
  int count_ = 0;           // variant A's exercises drawn
};

}  // namespace

std::vector<Kind> AllKinds() {
  std::vector<Kind> kinds;
  for (Operation op : {Operation::kRepresent, Operation::kInterpret}) {
    for (ops::System s : {ops::System::kNatural, ops::System::kOnes, ops::System::kTwos,
                          ops::System::kExcess, ops::System::kSignMagnitude, ops::System::kFloat}) {
      kinds.push_back({op, s});
    }
  }
  return kinds;
}

std::vector<Kind> FixedKinds() {
  std::vector<Kind> kinds;
  for (Operation op : {Operation::kRepresent, Operation::kInterpret}) {
    for (ops::System s : {ops::System::kNatural, ops::System::kOnes, ops::System::kTwos,
                          ops::System::kSignMagnitude}) {
      kinds.push_back({op, s, true});
    }
  }
  return kinds;
}

std::string KindName(const Kind& kind) {
  if (kind.fija) {
    return std::string(kind.operation == Operation::kRepresent ? "representar" : "interpretar") +
           "-fija-" + ops::SystemName(kind.system);
  }
  if (IsArithmetic(kind)) {
    return std::string(OperationName(kind.operation)) + "-" + ops::SystemName(kind.system);
  }
  return std::string(kind.operation == Operation::kRepresent ? "representar-" : "interpretar-") +
         ops::SystemName(kind.system);
}

int GenerateEach(const SheetOptions& options, const std::function<void(const Exercise&)>& each) {
  return Generator(options).Run(each);
}

class ExerciseStream::Draw : public Generator {
 public:
  using Generator::Generator;
};

ExerciseStream::ExerciseStream(const SheetOptions& options)
    : generator_(std::make_unique<Draw>(options)) {}
ExerciseStream::~ExerciseStream() = default;
ExerciseStream::ExerciseStream(ExerciseStream&&) noexcept = default;
ExerciseStream& ExerciseStream::operator=(ExerciseStream&&) noexcept = default;

std::optional<Exercise> ExerciseStream::Next() {
  return generator_->Next();
}

int ExerciseStream::Drawn() const {
  return generator_->Drawn();
}

std::vector<Exercise> Generate(const SheetOptions& options) {
  std::vector<Exercise> sheet;
  sheet.reserve(static_cast<std::size_t>(options.count) *
                static_cast<std::size_t>(options.variantes < 1 ? 1 : options.variantes));
  GenerateEach(options, [&](const Exercise& e) { sheet.push_back(e); });
  return sheet;
}

}  // namespace repbin::exercises
