#include "exercises/draw_options.h"

#include <algorithm>
#include <chrono>
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

bool IsDrawOption(std::string_view name) {
  return name == "-n" || name == "--semilla" || name == "--tipos" || name == "-b" ||
         name == "--bits" || name == "-z" || name == "--exceso" || name == "--bits-flotante" ||
         name == "--dificultad" || ops::IsLayoutOption(name);
}

bool Among(const std::vector<std::string_view>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// An argument as a shell reads it back.
std::string ShellWord(const std::string& arg) {
  bool plain = !arg.empty();
  for (char c : arg) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.' || c == ',' || c == '=' || c == '/' ||
                      c == '+';
    plain = plain && safe;
  }
  if (plain) return arg;
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

const char* const kDrawOptionsHelp =
    "  -n N               cuántos ejercicios (de 1 a 100000; 10 si no se indica)\n"
    "  --semilla S        la semilla (de 0 a 18446744073709551615): la misma semilla con\n"
    "                     las mismas opciones da la misma hoja en cualquier sistema; sin\n"
    "                     ella se elige una y se indica para repetirla (en una hoja,\n"
    "                     con las soluciones, en --clave o por la salida de error)\n"
    "  --tipos LISTA      qué ejercicios, separados por comas: natural, c1, c2, exceso, sm,\n"
    "                     flotante (o sus nombres largos: binario-natural,\n"
    "                     complemento-a-uno, complemento-a-dos, exceso-z, signo-magnitud,\n"
    "                     coma-flotante), y representar o interpretar para quedarse con\n"
    "                     una de las dos operaciones; sin ella, todos mezclados; suma y\n"
    "                     resta (enteros) o suma y producto (flotante) piden operaciones\n"
    "                     aritméticas, que solo salen si se nombran: c2,suma,\n"
    "                     resta, suma-flotante, producto-flotante; fija pide coma fija\n"
    "                     (natural, sm, c1 y c2 con bits fraccionarios), que solo sale\n"
    "                     si se nombra; los sistemas y representar o interpretar que la\n"
    "                     acompañan la restringen: fija,c2,representar\n"
    "  -b N, --bits N     el ancho de los enteros (de 2 a 64); sin ella, anchos de 4 a 16\n"
    "  -z Z, --exceso Z   el exceso de los ejercicios en exceso (y del exponente, si se\n"
    "                     fija el formato de coma flotante); sin ella, 2^(n-1) o 2^(n-1)-1\n"
    "  -f FORMATO, --formato FORMATO\n"
    "                     el formato de coma flotante: ieee32, ieee16, ieee64, bfloat16,\n"
    "                     fp8-e4m3, fp8-e5m2 o uno en una palabra (bits=16,exp=5,...);\n"
    "                     sin ella ni opciones de formato, sobre todo ieee32, a veces\n"
    "                     ieee16 y formatos propios\n"
    "  Opciones de formato (cambian el de -f, o ieee32):\n"
    "  --bits-flotante N  ancho del formato (de 3 a 64)\n"
    "  --exp N            bits del exponente (de 1 a 30)\n"
    "  --pos-exp P, --pos-man P, --pos-signo P\n"
    "                     posición del exponente, de la mantisa y del signo, desde la\n"
    "                     izquierda empezando en 0 (los números S del resumen del formato\n"
    "                     cuentan desde la derecha: en 32 bits S31 es la posición 0)\n"
    "  --sis-exp SIS      sistema del exponente: sm, c1, c2 o exceso\n"
    "  --sis-man SIS      sistema de la mantisa: sm, c1 o c2\n"
    "  --norma N          normalización: 0M, 1M o 01M\n"
    "  --dificultad D     1: anchos pequeños, formatos IEEE y fracciones cortas; 2 (lo\n"
    "                     normal): la mezcla de siempre; 3: enteros anchos, formatos\n"
    "                     propios con la mantisa en complemento y fracciones largas\n"
    "  --inexactos        admite valores de coma flotante que el formato no representa\n"
    "                     exactamente (el enunciado pide truncar la mantisa); sin ella,\n"
    "                     todos son exactos: truncar y redondear dan la misma cadena\n";

std::optional<std::string> ReadDrawCommandLine(const std::vector<std::string>& args,
                                               const OwnOptions& own, DrawCommandLine& line) {
  SheetOptions& options = line.options;
  ops::LayoutOptions layout;
  std::optional<int> float_bits;  // --bits-flotante

  for (const std::string& arg : args) {
    if (arg == "--cp850" || arg == "--utf8") {
      out::SetEncoding(arg == "--utf8" ? out::Encoding::kUtf8 : out::Encoding::kCp850);
    }
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> attached;  // --option=value
    if (name.rfind("--", 0) == 0 && name.find('=') != std::string::npos) {
      attached = name.substr(name.find('=') + 1);
      name = name.substr(0, name.find('='));
    }
    if (name == "-h" || name == "--help") {
      line.help = true;
      return std::nullopt;
    }
    if (Among(own.optionally_valued, name)) {
      if (const std::optional<std::string> accepted = own.apply(name, attached)) {
        return name + " espera " + *accepted + ", no «" + Visible(attached.value_or("")) + "»";
      }
      continue;
    }
    if (name == "--cp850" || name == "--utf8" || name == "--inexactos" || Among(own.flags, name)) {
      if (attached) return "la opción " + name + " no lleva valor";
      if (name == "--cp850") line.encoding = out::Encoding::kCp850;
      if (name == "--utf8") line.encoding = out::Encoding::kUtf8;
      if (name == "--inexactos") options.inexactos = true;
      if (Among(own.flags, name)) own.apply(name, std::nullopt);
      continue;
    }
    if (!IsDrawOption(name) && !Among(own.valued, name)) return "opción desconocida: " + name;
    if (!attached && i + 1 == args.size()) return "falta el valor de " + name;
    const std::string value = attached ? *attached : args[++i];

    // Each option with what it accepts, said when the value is refused.
    const auto number = [&](std::int64_t lo, std::int64_t hi) -> std::optional<int> {
      const std::optional<std::int64_t> v = in::ParseWhole<std::int64_t>(value);
      if (!v || *v < lo || *v > hi) return std::nullopt;
      return static_cast<int>(*v);
    };
    const auto refused = [&](const std::string& accepted) {
      return name + " espera " + accepted + ", no «" + Visible(value) + "»";
    };
    if (Among(own.valued, name)) {
      if (const std::optional<std::string> accepted = own.apply(name, value)) {
        return refused(*accepted);
      }
    } else if (name == "-n") {
      const std::optional<int> n = number(1, kMaxCount);
      if (!n) return refused("un número de ejercicios entre 1 y 100000");
      options.count = *n;
    } else if (name == "--semilla") {
      line.seed = in::ParseWhole<std::uint64_t>(value);
      if (!line.seed) return refused("un número entero entre 0 y 18446744073709551615");
    } else if (name == "--tipos") {
      std::optional<std::vector<Kind>> kinds = ParseKinds(value);
      if (!kinds) {
        return refused(
            "una lista separada por comas de natural, c1, c2, exceso, sm, flotante, representar e "
            "interpretar, y de suma y resta (enteros), suma y producto (flotante) o fija (coma "
            "fija)");
      }
      options.kinds = std::move(*kinds);
    } else if (name == "-b" || name == "--bits") {
      options.bits = number(2, 64);
      if (!options.bits) return refused("un número de bits entre 2 y 64");
    } else if (name == "-z" || name == "--exceso") {
      options.exceso = number(-2147483647, 2147483647);
      if (!options.exceso) return refused("un número entero entre -2147483647 y 2147483647");
    } else if (name == "--dificultad") {
      const std::optional<int> n = number(1, 3);
      if (!n) return refused("1, 2 o 3");
      options.dificultad = *n;
    } else if (name == "--bits-flotante") {
      float_bits = number(3, 64);
      if (!float_bits) return refused("un número de bits entre 3 y 64");
    } else if (const std::optional<std::string> accepted =
                   ops::ApplyLayoutOption(layout, name, value)) {
      return refused(*accepted);
    } else if (name == "--exp" && *layout.exp > 30) {
      // The generator's excess exponents are drawn in 32-bit arithmetic.
      return refused("un número de bits entre 1 y 30");
    }
  }

  // The width and the excess apply wherever they stand; -f replaces the layout options before it.
  if (float_bits) layout.bits = float_bits;
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

std::string CommandText(std::string_view command, const std::vector<std::string>& args) {
  std::string text = "repbin " + std::string(command);
  for (const std::string& a : args) text += " " + ShellWord(a);
  return text;
}

}  // namespace repbin::exercises
