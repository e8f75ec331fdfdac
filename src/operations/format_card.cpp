#include "operations/format_card.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <boost/multiprecision/cpp_int.hpp>

#include "codec/codec.h"
#include "real/fields.h"
#include "real/real.h"
#include "real/report.h"

namespace repbin::ops {
namespace {

namespace mp = boost::multiprecision;
using Big = mp::cpp_int;
using Wide = std::int64_t;

// Beyond this many binary places a value is never compared exactly: no decimal the user types
// (exponent up to 100000) comes near it.
constexpr Wide kFar = Wide{1} << 21;

Big Pow2(Wide n) {
  return Big(1) << static_cast<unsigned>(n);
}

Big Pow10(Wide n) {
  return mp::pow(Big(10), static_cast<unsigned>(n));
}

// The positive values of the format: S x 2^q, Slo <= S <= Shi (Slo = 2^(p-1), Shi = 2^p - 1) and
// qlo <= q <= qhi, but for S = Shi at qhi when `top_cut`; with `sub`, also 1 <= S < Slo at qlo.
struct Model {
  int p = 1;
  Wide qlo = 0, qhi = 0;
  bool sub = false;
  bool has_zero = false;
  bool top_cut = false;
  bool ieee = false;
  // The program's reading of an implicit-bit layout: the pattern of 1.0 x 2^lowest is the one
  // written for zero, and reads as zero, so that point is no value of the format.
  bool zero_at_lowest = false;
  Wide shift = 0;  // the program's reading: the exponent field holds q + shift
  Big Slo() const { return Pow2(p - 1); }
  Big Shi() const { return Pow2(p) - 1; }
  Big Smax() const { return top_cut ? Shi() - 1 : Shi(); }
};

// A point of the value set: sign x S x 2^q; S = 0 is zero.
struct Point {
  bool negative = false;
  Big S;
  Wide q = 0;
};

std::string FieldDigits(const Big& v, int width) {
  std::string digits(static_cast<std::size_t>(width), '0');
  for (int i = 0; i < width; ++i) {
    if (mp::bit_test(v, static_cast<unsigned>(width - 1 - i))) {
      digits[static_cast<std::size_t>(i)] = '1';
    }
  }
  return digits;
}

// The exponents the program's exponent field holds.
void ExponentRange(const FloatFormat& f, Wide& lowest, Wide& highest) {
  lowest = SmallestExponent(f);
  const Wide half = Wide{1} << (f.nbexp - 1);
  highest = f.TypeExp == 3 ? 2 * half - 1 - f.zEZ : half - 1;
}

// The pattern the encoders write for sign, exponent field value `exp` and mantissa digits.
std::string ProgramPattern(const FloatFormat& f, bool negative, Wide exp, const Big& field) {
  char pattern[kMaxWidth + 2];
  ClearString(f, pattern);
  WriteExponent(f, exp, pattern, NoTrace());
  pattern[f.possigno] = negative ? '1' : '0';
  const std::string digits = FieldDigits(field, f.NbMan());
  WriteMantissa(f, digits.c_str(), negative, pattern);
  pattern[f.nb] = '\0';
  return pattern;
}

std::string IeeePattern(const FloatFormat& f, bool negative, std::uint64_t e, const Big& field) {
  std::string bits(static_cast<std::size_t>(f.nb), '0');
  bits[0] = negative ? '1' : '0';
  const std::string exp = FieldDigits(Big(e), f.nbexp);
  bits.replace(1, exp.size(), exp);
  const std::string man = FieldDigits(field, f.NbMan());
  bits.replace(static_cast<std::size_t>(f.posmantisa), man.size(), man);
  return bits;
}

Model BuildModel(const FloatFormat& f) {
  Model m;
  const int nbman = f.NbMan();
  if (IsNamedIeee(f)) {
    m.ieee = true;
    m.p = nbman + 1;
    const Wide bias = (Wide{1} << (f.nbexp - 1)) - 1;
    const Wide top_e = (Wide{1} << f.nbexp) - (f.specials == kOnlyNan ? 1 : 2);
    m.qlo = 1 - bias - nbman;
    m.qhi = top_e - bias - nbman;
    m.sub = true;
    m.has_zero = true;
    m.top_cut = f.specials == kOnlyNan;
    return m;
  }
  Wide lowest = 0;
  Wide highest = 0;
  ExponentRange(f, lowest, highest);
  m.shift = nbman + (f.typenorma == 2 ? 1 : 0);
  m.p = f.typenorma == 0 ? nbman : nbman + 1;
  m.qlo = lowest - m.shift;
  m.qhi = highest - m.shift;
  m.sub = f.typenorma == 0 && m.p >= 2;
  const std::string zero = ProgramPattern(f, false, lowest, Big(0));
  m.has_zero = ReadFloat(f, zero.c_str()).man == 0;
  m.zero_at_lowest = f.bi() == 1 && IsZeroPattern(f, zero.c_str());
  return m;
}

std::string Pattern(const FloatFormat& f, const Model& m, const Point& pt) {
  const int nbman = f.NbMan();
  const Big field = pt.S & (Pow2(nbman) - 1);
  if (m.ieee) {
    const std::uint64_t e = pt.S < m.Slo() ? 0 : static_cast<std::uint64_t>(pt.q - m.qlo + 1);
    return IeeePattern(f, pt.negative, e, field);
  }
  if (pt.S == 0) return ProgramPattern(f, pt.negative, m.qlo + m.shift, Big(0));
  return ProgramPattern(f, pt.negative, pt.q + m.shift, field);
}

std::string Grouped(const FloatFormat& f, const std::string& bits) {
  const auto field = [&](int i) {
    if (i == f.possigno) return 0;
    return i >= f.posexp && i < f.posexp + f.nbexp ? 1 : 2;
  };
  std::string grouped;
  for (int i = 0; i < f.nb; ++i) {
    if (i > 0 && field(i) != field(i - 1)) grouped += ' ';
    grouped += bits[static_cast<std::size_t>(i)];
  }
  return grouped;
}

CardValue Make(const FloatFormat& f, const Model& m, const Point& pt, std::string how = "") {
  CardValue v;
  v.bits = Pattern(f, m, pt);
  v.grouped = Grouped(f, v.bits);
  const Big s = pt.negative ? Big(-pt.S) : pt.S;
  v.significand = s.str();
  v.exponent = pt.q;
  v.exact = DyadicDecimal(v.significand, pt.q);
  if (pt.negative && pt.S == 0 && v.exact) *v.exact = "-0";
  v.scientific = DyadicScientific(v.significand, pt.q, ScientificDigits(m.p));
  v.how = std::move(how);
  return v;
}

// A value without a pattern (a gap): 2^k.
CardValue PowerOfTwo(const Model& m, Wide k) {
  CardValue v;
  v.significand = "1";
  v.exponent = k;
  v.exact = DyadicDecimal("1", k);
  v.scientific = DyadicScientific("1", k, ScientificDigits(m.p));
  v.how = "2^" + std::to_string(k);
  return v;
}

std::string Power(Wide k) {
  return "2^" + std::to_string(k);
}

// Compares the positive rational a = num/den with S x 2^q (S >= 0).
int Compare(const Big& num, const Big& den, const Big& S, Wide q) {
  if (S == 0) return num > 0 ? 1 : (num == 0 ? 0 : -1);
  if (q > kFar) return -1;
  if (q < -kFar) return 1;
  const Big left = q < 0 ? Big(num << static_cast<unsigned>(-q)) : num;
  const Big right = q < 0 ? Big(S * den) : Big((S * den) << static_cast<unsigned>(q));
  return left < right ? -1 : (left > right ? 1 : 0);
}

// floor(log2(num/den)), num, den > 0.
Wide FloorLog2(const Big& num, const Big& den) {
  Wide b = static_cast<Wide>(mp::msb(num)) - static_cast<Wide>(mp::msb(den));
  const bool below =
      b >= 0 ? num < (den << static_cast<unsigned>(b)) : (num << static_cast<unsigned>(-b)) < den;
  return below ? b - 1 : b;
}

// floor and ceiling of (num/den) / 2^q.
void Units(const Big& num, const Big& den, Wide q, Big& lo, Big& hi) {
  Big n = num;
  Big d = den;
  if (q < 0) {
    n <<= static_cast<unsigned>(-q);
  } else {
    d <<= static_cast<unsigned>(q);
  }
  Big r;
  mp::divide_qr(n, d, lo, r);
  hi = r == 0 ? lo : Big(lo + 1);
}

Point Normalised(const Model& m, Big S, Wide q) {
  if (S == Pow2(m.p)) return {false, m.Slo(), q + 1};
  return {false, std::move(S), q};
}

Point Largest(const Model& m) {
  return {false, m.Smax(), m.qhi};
}
Point SmallestPositive(const Model& m) {
  if (m.zero_at_lowest) return {false, m.Slo() + 1, m.qlo};
  return {false, m.sub ? Big(1) : m.Slo(), m.qlo};
}

// Whether a point of the tiling is a value of the format (the lowest one may be zero's pattern).
bool IsZeroSlot(const Model& m, const Point& pt) {
  return m.zero_at_lowest && pt.q == m.qlo && pt.S == m.Slo();
}

// The next positive point above `pt` (pt >= 0), if any.
std::optional<Point> Succ(const Model& m, const Point& pt) {
  if (pt.S == 0) return SmallestPositive(m);
  const Point largest = Largest(m);
  if (pt.S == largest.S && pt.q == largest.q) return std::nullopt;
  return Normalised(m, pt.S + 1, pt.q);
}

// The point below the positive point `pt`: zero, or the negative smallest when there is no zero.
Point Pred(const Model& m, const Point& pt) {
  if (m.zero_at_lowest && pt.q == m.qlo && pt.S == m.Slo() + 1) return {false, Big(0), m.qlo};
  if (pt.S > m.Slo() || (pt.S > 1 && pt.q == m.qlo && m.sub)) return {false, pt.S - 1, pt.q};
  if (pt.q > m.qlo) return {false, m.Shi(), pt.q - 1};
  if (m.has_zero) return {false, Big(0), m.qlo};
  Point p = SmallestPositive(m);
  p.negative = true;
  return p;
}

// Signed value comparisons and differences of points, as dyadic numbers.
struct Dyadic {
  Big m;
  Wide k;
};
Dyadic Signed(const Point& p) {
  return {p.negative ? Big(-p.S) : p.S, p.q};
}
Dyadic Minus(const Dyadic& a, const Dyadic& b) {
  const Wide k = std::min(a.k, b.k);
  return {(a.m << static_cast<unsigned>(a.k - k)) - (b.m << static_cast<unsigned>(b.k - k)), k};
}

std::string DyadicText(const Dyadic& d) {
  return DyadicDecimal(d.m.str(), d.k).value_or("");
}

}  // namespace

std::optional<std::string> DyadicDecimal(std::string_view m_text, std::int64_t k) {
  if (k > kMaxExactDigits || k < -kMaxExactDigits) return std::nullopt;
  const Big m{std::string(m_text)};
  Big num = mp::abs(m);
  std::size_t scale = 0;
  if (k >= 0) {
    num <<= static_cast<unsigned>(k);
  } else {
    num *= mp::pow(Big(5), static_cast<unsigned>(-k));
    scale = static_cast<std::size_t>(-k);
  }
  std::string digits = num.str();
  if (scale > 0) {
    if (digits.size() <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
    digits.insert(digits.size() - scale, 1, '.');
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  if (m < 0) digits.insert(0, 1, '-');
  return digits;
}

std::string DyadicScientific(std::string_view m_text, std::int64_t k, int digits) {
  const Big m{std::string(m_text)};
  if (m == 0) return "0";
  if (k > 100000 || k < -100000) return std::string(m_text) + " x 2^" + std::to_string(k);
  Big num = mp::abs(m);
  Big den = 1;
  if (k >= 0) {
    num <<= static_cast<unsigned>(k);
  } else {
    den <<= static_cast<unsigned>(-k);
  }
  auto e10 = static_cast<Wide>(std::floor(
      (static_cast<double>(mp::msb(num)) - static_cast<double>(mp::msb(den))) * std::log10(2.0)));
  Big n;
  for (int attempt = 0; attempt < 4; ++attempt) {
    const Wide scale = digits - 1 - e10;
    Big a = num;
    Big b = den;
    if (scale >= 0) {
      a *= Pow10(scale);
    } else {
      b *= Pow10(-scale);
    }
    Big r;
    mp::divide_qr(a, b, n, r);
    r <<= 1;
    if (r > b || (r == b && mp::bit_test(n, 0))) ++n;
    if (n >= Pow10(digits)) {
      ++e10;
    } else if (n < Pow10(digits - 1)) {
      --e10;
    } else {
      break;
    }
  }
  std::string text = n.str();
  if (text.size() > 1) text.insert(1, 1, '.');
  char exponent[32];
  std::snprintf(exponent, sizeof exponent, "e%c%02lld", e10 < 0 ? '-' : '+',
                static_cast<long long>(std::llabs(e10)));
  return (m < 0 ? "-" : "") + text + exponent;
}

bool IsNamedIeee(const FloatFormat& f) {
  for (const char* name : kPresetNames) {
    if (f == *FindPreset(name)) return true;
  }
  return false;
}

FloatCard BuildFloatCard(const FloatFormat& f) {
  const Model m = BuildModel(f);
  FloatCard c;
  c.ieee = m.ieee;
  c.precision = m.p;
  c.decimal_digits = SignificantDigits(m.p);
  const std::string p1 = std::to_string(m.p - 1);
  const Wide top = m.qhi + m.p - 1;  // the largest exponent of 1.M
  const Wide bottom = m.qlo + m.p - 1;
  const bool integer_bit = m.ieee || f.typenorma == 1;
  std::string how;
  if (m.top_cut) {
    how = "mantisa toda a 1 salvo el último bit (toda a 1 es NaN) con el mayor exponente: (2 - " +
          Power(-(m.p - 2)) + ") × " + Power(top);
  } else if (integer_bit) {
    how =
        "mantisa toda a 1 con el mayor exponente: (2 - " + Power(-(m.p - 1)) + ") × " + Power(top);
  } else {
    how = "mantisa toda a 1 con el mayor exponente: (1 - " + Power(-m.p) + ") × " + Power(top + 1);
  }
  c.largest = Make(f, m, Largest(m), how);
  if (integer_bit) {
    how = "mantisa a 0 con el menor exponente" + std::string(m.ieee ? " normalizado" : "") +
          ": 1 × " + Power(bottom);
  } else if (f.typenorma == 2) {
    how = "mantisa a 0 con el menor exponente: 0.1 × " + Power(bottom + 1);
  } else {
    how = "mantisa 10...0 con el menor exponente: 0.1 × " + Power(bottom + 1);
  }
  if (m.zero_at_lowest) {
    how = "mantisa 0...01 con el menor exponente (con la mantisa a 0 es el cero): (1 + " +
          Power(-(m.p - 1)) + ") × " + Power(bottom);
  }
  c.smallest_normal =
      Make(f, m, m.zero_at_lowest ? SmallestPositive(m) : Point{false, m.Slo(), m.qlo}, how);
  if (m.sub) {
    how = m.ieee
              ? "la menor mantisa subnormal, 0.0...01, con el exponente de los subnormales: " +
                    Power(-(m.p - 1)) + " × " + Power(bottom)
              : "mantisa 0...01 con el menor exponente: " + Power(-m.p) + " × " + Power(bottom + 1);
  } else {
    how = "el menor normalizado: con bit implícito no hay valores menores";
  }
  c.smallest_positive = Make(f, m, SmallestPositive(m), how);
  c.zero = Make(f, m, {false, Big(0), m.qlo});
  if (!m.has_zero) {
    // The pattern written for zero, as the program reads it.
    const std::string bits = c.zero.bits;
    const FloatReading r = ReadFloat(f, bits.c_str());
    c.zero.significand = std::to_string(r.man);
    c.zero.exponent = r.exp - r.shift;
    c.zero.exact = DyadicDecimal(c.zero.significand, c.zero.exponent);
    c.zero.scientific =
        DyadicScientific(c.zero.significand, c.zero.exponent, ScientificDigits(m.p));
  }
  c.has_zero = m.has_zero;
  if (m.has_zero) {
    c.zeros.push_back(c.zero.bits);
    const std::string negative = Make(f, m, {true, Big(0), m.qlo}).bits;
    const FloatReading r = ReadFloat(f, negative.c_str());
    if (negative != c.zero.bits && (m.ieee || r.man == 0)) c.zeros.push_back(negative);
  }
  c.epsilon = PowerOfTwo(m, -(m.p - 1));
  c.gap_at_largest = PowerOfTwo(m, m.qhi);
  Big positives =
      Big(m.qhi - m.qlo + 1) * m.Slo() - (m.top_cut ? 1 : 0) - (m.zero_at_lowest ? 1 : 0);
  if (m.sub) positives += m.Slo() - 1;
  c.count = Big(2 * positives + (m.has_zero ? 1 : 0)).str();
  if (m.ieee) {
    const Big all_ones = Pow2(f.nbexp) - 1;
    const Big field_ones = Pow2(f.NbMan()) - 1;
    if (f.specials == kOnlyNan) {
      c.nan = IeeePattern(f, false, static_cast<std::uint64_t>(all_ones), field_ones);
    } else {
      c.infinity = IeeePattern(f, false, static_cast<std::uint64_t>(all_ones), Big(0));
      c.minus_infinity = IeeePattern(f, true, static_cast<std::uint64_t>(all_ones), Big(0));
      c.nan = IeeePattern(f, false, static_cast<std::uint64_t>(all_ones), Pow2(f.NbMan() - 1));
    }
    c.smallest_subnormal = Make(f, m, {false, Big(1), m.qlo});
    c.largest_subnormal = Make(f, m, {false, m.Slo() - 1, m.qlo});
  }
  return c;
}

std::optional<ExactValue> ParseExactValue(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  Big num = 0;
  Wide scale = 0;
  bool digits = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      num = num * 10 + (c - '0');
      digits = true;
      if (point) ++scale;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool minus = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) minus = text[i++] == '-';
    Wide exponent = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      exponent = exponent * 10 + (text[i] - '0');
      any = true;
      if (exponent > 100000) return std::nullopt;
    }
    if (!any) return std::nullopt;
    scale += minus ? exponent : -exponent;
  }
  if (i != text.size()) return std::nullopt;
  Big den = 1;
  if (scale >= 0) {
    den = Pow10(scale);
  } else {
    num *= Pow10(-scale);
  }
  const Big g = mp::gcd(num, den);
  if (g > 1) {
    num /= g;
    den /= g;
  }
  if (negative) num = -num;
  return ExactValue{num.str(), den.str()};
}

Neighbours FindNeighbours(const FloatFormat& f, const ExactValue& x) {
  const Model m = BuildModel(f);
  Neighbours n;
  Big num{x.num};
  const Big den{x.den};
  const bool negative = num < 0;
  num = mp::abs(num);
  // The bracket of |X| among the positive points: lo <= |X| <= hi.
  std::optional<Point> lo;
  std::optional<Point> hi;
  const Point largest = Largest(m);
  if (num == 0) {
    lo = hi = Point{false, Big(0), m.qlo};
    if (!m.has_zero) {
      lo = SmallestPositive(m);
      lo->negative = true;
      hi = SmallestPositive(m);
    }
  } else if (Compare(num, den, largest.S, largest.q) > 0) {
    n.beyond = true;
    lo = largest;
  } else if (Compare(num, den, m.Slo(), m.qlo) >= 0) {
    const Wide q0 = FloorLog2(num, den) - (m.p - 1);
    Big a;
    Big b;
    Units(num, den, q0, a, b);
    lo = Point{false, a, q0};
    hi = Normalised(m, b, q0);
    if (IsZeroSlot(m, *lo)) lo = Point{false, Big(0), m.qlo};
    if (IsZeroSlot(m, *hi)) hi = SmallestPositive(m);
  } else if (m.sub) {
    Big a;
    Big b;
    Units(num, den, m.qlo, a, b);
    lo = Point{false, a, m.qlo};
    hi = Point{false, b, m.qlo};
  } else {
    lo = Point{false, Big(0), m.qlo};
    hi = SmallestPositive(m);
  }
  if (lo && lo->S == 0 && num != 0 && !m.has_zero) {
    lo = SmallestPositive(m);
    lo->negative = true;
  }
  n.exact = num == 0 ? m.has_zero : (lo && hi && lo->S == hi->S && lo->q == hi->q && !lo->negative);
  std::optional<Point> at;
  if (n.exact) {
    at = Point{negative && lo->S != 0, lo->S, lo->q};
    n.at = Make(f, m, *at);
    // The strict neighbours.
    hi = Succ(m, *lo);
    lo = lo->S == 0 ? Point{true, SmallestPositive(m).S, m.qlo} : Pred(m, *lo);
  }
  // Mirrored for a negative X: previous = -hi, next = -lo. Only IEEE formats have a signed zero.
  const auto flip = [&m](Point p) {
    p.negative = !p.negative && (p.S != 0 || m.ieee);
    return p;
  };
  std::optional<Point> previous = lo;
  std::optional<Point> next = hi;
  if (negative) {
    previous = hi ? std::optional<Point>(flip(*hi)) : std::nullopt;
    next = lo ? std::optional<Point>(flip(*lo)) : std::nullopt;
  }
  if (previous) n.previous = Make(f, m, *previous);
  if (next) n.next = Make(f, m, *next);
  // The gap: between the neighbours, or from X to the next one away from zero.
  if (n.exact && num != 0) {
    if (const std::optional<Point>& away = negative ? previous : next) {
      Dyadic d = Minus(Signed(*away), Signed(*at));
      d.m = mp::abs(d.m);
      n.gap = DyadicText(d);
    }
  } else if (previous && next) {
    n.gap = DyadicText(Minus(Signed(*next), Signed(*previous)));
  } else if (n.beyond) {
    n.gap = DyadicText({Big(1), m.qhi});
  }
  // The choices of truncation and rounding.
  if (n.exact) {
    n.truncated = n.nearest = n.at;
  } else if (n.beyond) {
    n.truncated = Make(f, m, {negative, largest.S, largest.q});
    // Within half a gap of the largest, rounding stays there.
    const Big twice_max_plus = (largest.S << 1) + 1;  // (largest + gap/2) in units of 2^(qhi-1)
    if (Compare(num, den, twice_max_plus, m.qhi - 1) < 0) n.nearest = n.truncated;
  } else {
    // lo and hi bracket |X| on the positive side (lo may be the negative smallest).
    const Point toward = lo->negative ? *hi : *lo;
    n.truncated = Make(f, m, negative ? flip(toward) : toward);
    Point chosen = *hi;
    if (!lo->negative) {
      // |X| against (lo + hi) / 2.
      const Wide k = std::min(lo->q, hi->q);
      const Big total =
          (lo->S << static_cast<unsigned>(lo->q - k)) + (hi->S << static_cast<unsigned>(hi->q - k));
      const int c = Compare(num, den, total, k - 1);
      if (c < 0 || (c == 0 && !mp::bit_test(lo->S, 0))) chosen = *lo;
    }
    n.nearest = Make(f, m, negative ? flip(chosen) : chosen);
  }
  return n;
}

IntegerCard BuildIntegerCard(const IntegerFormat& format, int fraction) {
  IntegerCard c;
  const int n = format.nb;
  const Big all = Pow2(n);
  const Big half = Pow2(n - 1);
  Big lo;
  Big hi;
  std::string ones(static_cast<std::size_t>(n), '1');
  std::string zeros(static_cast<std::size_t>(n), '0');
  const auto with_first = [&](char first, char rest) {
    std::string s(static_cast<std::size_t>(n), rest);
    s[0] = first;
    return s;
  };
  switch (format.system) {
    case System::kNatural:
      lo = 0, hi = all - 1;
      c.min_bits = zeros, c.max_bits = ones;
      c.count = all.str();
      c.zeros = {zeros};
      break;
    case System::kSignMagnitude:
    case System::kOnes: {
      lo = -(half - 1), hi = half - 1;
      const bool sm = format.system == System::kSignMagnitude;
      c.min_bits = sm ? ones : with_first('1', '0');
      c.max_bits = with_first('0', '1');
      c.count = Big(all - 1).str();
      c.zeros = {zeros, sm ? with_first('1', '0') : ones};
      break;
    }
    case System::kTwos:
      lo = -half, hi = half - 1;
      c.min_bits = with_first('1', '0'), c.max_bits = with_first('0', '1');
      c.count = all.str();
      c.zeros = {zeros};
      break;
    case System::kExcess: {
      lo = -Big(format.zEZ), hi = all - 1 - format.zEZ;
      c.min_bits = zeros, c.max_bits = ones;
      c.count = all.str();
      if (format.zEZ >= 0 && Big(format.zEZ) < all) {
        c.zeros = {FieldDigits(Big(format.zEZ), n)};
      }
      break;
    }
    case System::kFloat: break;
  }
  c.min_units = lo.str();
  c.max_units = hi.str();
  c.min = *DyadicDecimal(c.min_units, -fraction);
  c.max = *DyadicDecimal(c.max_units, -fraction);
  c.step = *DyadicDecimal("1", -fraction);
  return c;
}

// --- Printing ---------------------------------------------------------------------------------

namespace {

void PrintValue(Trace& trace, const char* label, const CardValue& v, bool with_how = true) {
  trace.Text(label);
  trace.Print(" %s\n   = ", v.grouped.c_str());
  trace.Print("%s", v.exact ? v.exact->c_str() : "(demasiado largo)");
  trace.Print(" (%s)\n", v.scientific.c_str());
  if (with_how && !v.how.empty()) {
    trace.Text(("   " + v.how + "\n").c_str());
  }
}

void PrintAmount(Trace& trace, const char* label, const CardValue& v) {
  trace.Text(label);
  trace.Text((v.how + " = " + v.exact.value_or("(demasiado largo)") + " (" + v.scientific + ")\n")
                 .c_str());
}

}  // namespace

void PrintFloatCard(const FloatFormat& f, const FloatCard& c, Trace& trace) {
  if (c.ieee) {
    trace.Print(" Lectura IEEE 754: el exponente todo a 0 guarda el cero y los subnormales; ");
    trace.Print(f.specials == kOnlyNan
                    ? "el exponente todo a 1 guarda valores, salvo la mantisa toda a 1, que es "
                      "NaN (no hay infinitos)\n"
                    : "el exponente todo a 1, los infinitos y NaN\n");
  } else {
    trace.Print(" Lectura del programa (la misma de interpretar)\n");
  }
  PrintValue(trace, " Mayor valor:", c.largest);
  PrintValue(trace, " Menor positivo normalizado:", c.smallest_normal);
  PrintValue(trace, " Menor positivo:", c.smallest_positive);
  if (c.has_zero) {
    trace.Print(" Cero:");
    for (std::size_t i = 0; i < c.zeros.size(); ++i) {
      trace.Print("%s %s", i == 0 ? "" : " y", Grouped(f, c.zeros[i]).c_str());
    }
    trace.Print("\n");
  } else {
    trace.Print(" Cero: no hay; lo que se escribe para el cero, %s, se lee como %s (%s)\n",
                c.zero.grouped.c_str(), c.zero.exact.value_or("?").c_str(),
                c.zero.scientific.c_str());
  }
  trace.Text(
      (" Precisión: " + std::to_string(c.precision) + " bits" +
       (c.ieee || f.typenorma != 0 ? " (con el bit implícito)" : "") + ", " +
       (c.decimal_digits == 1 ? "una cifra decimal"
                              : "unas " + std::to_string(c.decimal_digits) + " cifras decimales") +
       "\n")
          .c_str());
  PrintAmount(trace, " Distancia de 1 al siguiente (épsilon): ", c.epsilon);
  PrintAmount(trace, " Distancia entre los dos mayores: ", c.gap_at_largest);
  trace.Print(" Valores distintos: %s%s\n", c.count.c_str(),
              c.has_zero && c.zeros.size() > 1 ? " (+0 y -0 cuentan uno)" : "");
  if (c.ieee) {
    if (!c.infinity.empty()) {
      trace.Print(" +infinito: %s   -infinito: %s\n", Grouped(f, c.infinity).c_str(),
                  Grouped(f, c.minus_infinity).c_str());
    }
    trace.Print(" NaN: %s%s\n", Grouped(f, c.nan).c_str(),
                f.specials == kOnlyNan ? " (y con signo 1)" : " (y toda mantisa no nula)");
    trace.Print(
        " Subnormales: de %s (%s) a %s (%s)\n", c.smallest_subnormal->exact.value_or("?").c_str(),
        c.smallest_subnormal->scientific.c_str(), c.largest_subnormal->exact.value_or("?").c_str(),
        c.largest_subnormal->scientific.c_str());
  }
}

void PrintNeighbours(const Neighbours& n, std::string_view x, Trace& trace) {
  const std::string value(x);
  trace.Print("\n Valor %s: %s\n", value.c_str(),
              n.exact ? "exacto, se representa sin error" : "no exacto");
  if (n.exact) PrintValue(trace, " Patrón:", *n.at, false);
  if (n.previous) {
    PrintValue(trace, " Anterior:", *n.previous, false);
  } else {
    trace.Print(" Anterior: ninguno (fuera del rango)\n");
  }
  if (n.next) {
    PrintValue(trace, " Siguiente:", *n.next, false);
  } else {
    trace.Print(" Siguiente: ninguno (fuera del rango)\n");
  }
  if (n.gap) trace.Print(" Distancia (ulp): %s\n", n.gap->c_str());
  if (!n.exact) {
    trace.Print(" Truncamiento: %s\n", n.truncated ? n.truncated->grouped.c_str() : "-");
    trace.Print(" Redondeo al más próximo (empates al par): %s\n",
                n.nearest ? n.nearest->grouped.c_str() : "desborda (fuera del rango)");
  }
}

void PrintIntegerCard(const IntegerFormat& format, int fraction, const IntegerCard& c,
                      Trace& trace) {
  trace.Text((std::string(" ") + SystemPhrase(format.system)).c_str());
  trace.Print(" con %i bits", format.nb);
  if (format.system == System::kExcess) trace.Print(" (exceso %i)", format.zEZ);
  if (fraction > 0) trace.Print(", %i fraccionarios", fraction);
  trace.Print("\n Rango: de %s (%s) a %s (%s)\n", c.min.c_str(), c.min_bits.c_str(), c.max.c_str(),
              c.max_bits.c_str());
  trace.Print(" Valores distintos: %s\n", c.count.c_str());
  trace.Print(" Cero:");
  if (c.zeros.empty()) trace.Print(" no hay");
  for (std::size_t i = 0; i < c.zeros.size(); ++i) {
    trace.Print("%s %s", i == 0 ? "" : " y", c.zeros[i].c_str());
  }
  trace.Print("\n");
  if (fraction > 0) {
    trace.Print(" Paso: 2^-%i = %s; el rango en pasos, de %s a %s\n", fraction, c.step.c_str(),
                c.min_units.c_str(), c.max_units.c_str());
  }
}

}  // namespace repbin::ops
