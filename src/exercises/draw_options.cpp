#include "exercises/draw_options.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <random>

#include "exercises/arithmetic_exercises.h"
#include "exercises/text_check.h"
#include "operations/layout.h"
#include "operations/layout_options.h"
#include "output/input.h"

namespace repbin::exercises {
namespace {

constexpr int kMaxCount = 100000;

// The kinds a --tipos list names: the systems it names (all when none) in the operations it
// names (representing and interpreting when none), and the kinds it names whole
// ("suma-flotante"); nothing when an item is unknown or the list names no kind. `fija` asks for
// fixed point, and then the systems and the representing or interpreting named beside it choose
// among the fixed-point kinds: "fija,c2" is fixed point in two's complement alone.
std::optional<std::vector<Kind>> ParseKinds(std::string_view list) {
  std::vector<ops::System> systems;
  bool represent = false, interpret = false;
  bool add = false, subtract = false, multiply = false, fixed = false;
  std::vector<Kind> whole;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    const std::vector<Kind> every = EveryKind();
    const auto named_whole = std::find_if(every.begin(), every.end(),
                                          [item](const Kind& k) { return KindName(k) == item; });
    if (item == "representar") {
      represent = true;
    } else if (item == "interpretar") {
      interpret = true;
    } else if (item == "suma") {
      add = true;
    } else if (item == "resta") {
      subtract = true;
    } else if (item == "producto") {
      multiply = true;
    } else if (item == "fija") {
      fixed = true;
    } else if (named_whole != every.end()) {
      whole.push_back(*named_whole);
    } else if (const std::optional<ops::System> system = ops::FindSystem(item)) {
      systems.push_back(*system);
    } else {
      return std::nullopt;
    }
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  const bool arithmetic = add || subtract || multiply;
  const bool both = !represent && !interpret;
  if (both && !arithmetic && !fixed && (!systems.empty() || whole.empty())) {
    represent = interpret = true;
  }
  std::vector<Kind> kinds;
  for (const Kind& kind : EveryKind()) {
    if (kind.fija) {
      bool named = systems.empty();
      for (ops::System s : systems) named = named || s == kind.system;
      const bool op = both || (kind.operation == Operation::kRepresent ? represent : interpret);
      const bool listed = std::find(whole.begin(), whole.end(), kind) != whole.end();
      if ((fixed && named && op) || listed) kinds.push_back(kind);
      continue;
    }
    if (fixed && !IsArithmetic(kind)) {
      // Beside fija, systems and operations choose fixed-point kinds: others only by name.
      if (std::find(whole.begin(), whole.end(), kind) != whole.end()) kinds.push_back(kind);
      continue;
    }
    bool op = false;
    switch (kind.operation) {
      case Operation::kRepresent: op = represent; break;
      case Operation::kInterpret: op = interpret; break;
      case Operation::kAdd: op = add; break;
      case Operation::kSubtract: op = subtract; break;
      case Operation::kMultiply: op = multiply; break;
    }
    bool named = systems.empty();
    for (ops::System s : systems) named = named || s == kind.system;
    const bool listed = std::find(whole.begin(), whole.end(), kind) != whole.end();
    if ((op && named) || listed) kinds.push_back(kind);
  }
  if (kinds.empty()) return std::nullopt;
  return kinds;
}

// The column where the sheets' help texts start, after "  --bits-flotante N  ".
constexpr std::size_t kHelpColumn = 21;

// The longest exponent a sheet draws: its excess exponents are drawn in 32-bit arithmetic.
constexpr int kMaxSheetExponent = 30;

// What the table reads besides `line`: the layout and its width, applied once the line is read.
struct DrawReading {
  ops::LayoutOptions layout;
  std::optional<int> float_bits;  // --bits-flotante
};

ops::OptionTable DrawTable(DrawCommandLine& line, DrawReading& reading, const AddOwnOptions& own) {
  SheetOptions& options = line.options;
  ops::OptionTable table(Visible);
  table
      .Flag(
          {"-h", "--help"}, [&line] { line.help = true; }, ops::OptionTable::After::kStop)
      .Flag({"--inexactos"}, [&options] { options.inexactos = true; })
      .Whole({"-n"}, "un número de ejercicios", {1, kMaxCount},
             [&options](std::int64_t n) { options.count = static_cast<int>(n); })
      .Valued({"--semilla"},
              [&line](std::string_view value) -> std::optional<std::string> {
                line.seed = in::ParseWhole<std::uint64_t>(value);
                if (!line.seed) return "un número entero entre 0 y 18446744073709551615";
                return std::nullopt;
              })
      .Valued({"--tipos"},
              [&options](std::string_view value) -> std::optional<std::string> {
                std::optional<std::vector<Kind>> kinds = ParseKinds(value);
                if (!kinds) {
                  return "una lista separada por comas de natural, c1, c2, exceso, sm, flotante, "
                         "representar e interpretar, y de suma y resta (enteros), suma y producto "
                         "(flotante) o fija (coma fija)";
                }
                options.kinds = std::move(*kinds);
                return std::nullopt;
              })
      .Whole({"-b", "--bits"}, "un número de bits", ops::kSheetIntegerWidth,
             [&options](std::int64_t n) { options.bits = static_cast<int>(n); })
      .Whole({"-z", "--exceso"}, "un exceso", ops::kExcess,
             [&options](std::int64_t z) { options.exceso = static_cast<int>(z); })
      .Valued({"--dificultad"},
              [&options](std::string_view value) -> std::optional<std::string> {
                const std::optional<int> n = in::ParseWhole<int>(value);
                if (!n || *n < 1 || *n > 3) return "1, 2 o 3";
                options.dificultad = *n;
                return std::nullopt;
              })
      .Whole({"--bits-flotante"}, "un número de bits", ops::kFloatWidth,
             [&reading](std::int64_t n) { reading.float_bits = static_cast<int>(n); })
      .Layout(reading.layout, [&reading](std::string_view name) -> std::optional<std::string> {
        if (name == "--exp" && *reading.layout.exp > kMaxSheetExponent) {
          return "un número de bits entre 1 y " + std::to_string(kMaxSheetExponent);
        }
        return std::nullopt;
      });
  table.Describe("-n", "N", "cuántos ejercicios ({rango}; 10 si no se indica)")
      .Describe("--semilla", "S",
                "la semilla (de 0 a 18446744073709551615): la misma semilla con\n"
                "las mismas opciones da la misma hoja en cualquier sistema; sin\n"
                "ella se elige una y se indica para repetirla (en una hoja,\n"
                "con las soluciones, en --clave o por la salida de error)")
      .Describe("--tipos", "LISTA",
                "qué ejercicios, separados por comas: natural, c1, c2, exceso, sm,\n"
                "flotante (o sus nombres largos: binario-natural,\n"
                "complemento-a-uno, complemento-a-dos, exceso-z, signo-magnitud,\n"
                "coma-flotante), y representar o interpretar para quedarse con\n"
                "una de las dos operaciones; sin ella, todos mezclados; suma y\n"
                "resta (enteros) o suma y producto (flotante) piden operaciones\n"
                "aritméticas, que solo salen si se nombran: c2,suma,\n"
                "resta, suma-flotante, producto-flotante; fija pide coma fija\n"
                "(natural, sm, c1 y c2 con bits fraccionarios), que solo sale\n"
                "si se nombra; los sistemas y representar o interpretar que la\n"
                "acompañan la restringen: fija,c2,representar")
      .DescribeAs("-b", "-b N, --bits N",
                  "el ancho de los enteros ({rango}); sin ella, anchos de 4 a 16")
      .DescribeAs("-z", "-z Z, --exceso Z",
                  "el exceso de los ejercicios en exceso (y del exponente, si se\n"
                  "fija el formato de coma flotante); sin ella, 2^(n-1) o 2^(n-1)-1")
      .DescribeAs("-f", "-f FORMATO, --formato FORMATO",
                  "el formato de coma flotante: ieee32, ieee16, ieee64, bfloat16,\n"
                  "fp8-e4m3, fp8-e5m2 o uno en una palabra (bits=16,exp=5,...);\n"
                  "sin ella ni opciones de formato, sobre todo ieee32, a veces\n"
                  "ieee16 y formatos propios")
      .Note("Opciones de formato (cambian el de -f, o ieee32):")
      .Describe("--bits-flotante", "N", "ancho del formato ({rango})")
      .Describe("--exp", "N",
                "bits del exponente (de 1 a " + std::to_string(kMaxSheetExponent) + ")")
      .DescribeAs("--pos-exp", "--pos-exp P, --pos-man P, --pos-signo P",
                  "posición del exponente, de la mantisa y del signo, desde la\n"
                  "izquierda empezando en 0 (los números S del resumen del formato\n"
                  "cuentan desde la derecha: en 32 bits S31 es la posición 0)")
      .Describe("--sis-exp", "SIS", "sistema del exponente: sm, c1, c2 o exceso")
      .Describe("--sis-man", "SIS", "sistema de la mantisa: sm, c1 o c2")
      .Describe("--norma", "N", "normalización: 0M, 1M o 01M")
      .Describe("--dificultad", "D",
                "1: anchos pequeños, formatos IEEE y fracciones cortas; 2 (lo\n"
                "normal): la mezcla de siempre; 3: enteros anchos, formatos\n"
                "propios con la mantisa en complemento y fracciones largas")
      .Describe("--inexactos", "",
                "admite valores de coma flotante que el formato no representa\n"
                "exactamente (el enunciado pide truncar la mantisa); sin ella,\n"
                "todos son exactos: truncar y redondear dan la misma cadena");
  AddEncodingFlags(table, line.encoding);
  if (own) own(table);
  return table;
}

}  // namespace

void AddEncodingFlags(ops::OptionTable& table, std::optional<out::Encoding>& encoding) {
  for (const out::Encoding e : {out::Encoding::kCp850, out::Encoding::kUtf8}) {
    table.Flag({e == out::Encoding::kUtf8 ? "--utf8" : "--cp850"}, [&encoding, e] {
      encoding = e;
      out::SetEncoding(e);
    });
  }
}

std::string DrawOptionsHelp(const AddOwnOptions& own) {
  DrawCommandLine line;
  DrawReading reading;
  return DrawTable(line, reading, own).Help(kHelpColumn);
}

std::optional<std::string> ReadDrawCommandLine(const std::vector<std::string>& args,
                                               const AddOwnOptions& own, DrawCommandLine& line) {
  SheetOptions& options = line.options;
  DrawReading reading;
  ops::LayoutOptions& layout = reading.layout;

  // The encoding first, so that every message follows it, whatever comes before it.
  for (const std::string& arg : args) {
    if (arg == "--cp850" || arg == "--utf8") {
      out::SetEncoding(arg == "--utf8" ? out::Encoding::kUtf8 : out::Encoding::kCp850);
    }
  }
  // A sheet takes no words but its options'.
  const auto word = [&](std::size_t i, bool&) -> std::optional<std::string> {
    return "opción desconocida: " + args[i];
  };
  ops::OptionTable table = DrawTable(line, reading, own);
  if (std::optional<std::string> refusal = table.WithoutEndOfOptions().Parse(args, 0, word)) {
    return refusal;
  }
  if (line.help) return std::nullopt;
  // A sheet's values are 32-bit integers, and an excess of INT32_MIN writes none of them.
  if (options.exceso == INT32_MIN) {
    return "con -z -2147483648 ningún entero de 32 bits se escribe en exceso; escriba un exceso "
           "entre -2147483647 y 2147483647";
  }

  // The width and the excess apply wherever they stand; -f replaces the layout options before it.
  if (reading.float_bits) layout.bits = reading.float_bits;
  if (options.exceso) layout.exceso = options.exceso;
  if (layout.AnyLayout() || layout.bits) {
    // The layout given (ieee32 when only widths are), the IEEE shape for what is not given.
    const std::string preset_name = layout.preset.value_or("ieee32");
    const FloatFormat f = ops::BuildLayout(layout);
    if (f.nbexp > f.nb - 2) {
      return "con " + std::to_string(f.nb) + " bits, el exponente debe tener entre 1 y " +
             std::to_string(f.nb - 2) + " bits";
    }
    // The layout passes the layout rules; what they refuse is said before the refusal.
    if (const std::optional<ops::LayoutFault> fault = ops::CheckFloatFormat(f)) {
      line.preface = "\n " + ops::LayoutFaultText(*fault) + "\n\n";
      return "el formato de coma flotante no es válido";
    }
    options.formato = f;
    if (f == *FindPreset(preset_name)) options.preset = preset_name;  // named as the preset
  }
  return std::nullopt;
}

std::uint64_t ChooseSeed() {
  std::random_device device;
  const std::uint64_t high = device();
  const std::uint64_t low = device();
  const auto now =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return ((high << 32) | low) ^ now;
}

int UsageError(const char* command, const std::string& message, const DrawCommandLine* line) {
  if (line != nullptr) out::PrintErrText(line->preface.c_str());
  out::PrintErr("repbin %s: ", command);
  out::PrintErrText(message.c_str());  // its words may carry accents
  out::PrintErr("\n");
  out::PrintErr("Pruebe «repbin %s --help» para ver las opciones.\n", command);
  return 2;
}

}  // namespace repbin::exercises
