// `repbin ejercicios`: reads the options, draws and solves the exercises, writes the sheet.

#include "exercises/exercises.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "exercises/exercise_sheet.h"
#include "operations/layout.h"
#include "operations/layout_options.h"
#include "output/input.h"
#include "output/output.h"
#include "output/platform.h"

namespace repbin {
namespace {

using exercises::Kind;
using exercises::Operation;

constexpr int kMaxCount = 100000;
constexpr std::size_t kWriteChunk = 1 << 16;  // bytes of sheet gathered before each write

void PrintHelp() {
  out::Print(
      "Uso: repbin ejercicios [-n N] [--semilla S] [--tipos LISTA] [-b N] [-z Z]\n"
      "                       [-f FORMATO] [opciones de formato] [--variantes N]\n"
      "                       [--dificultad 1|2|3] [--inexactos] [--titulo TEXTO]\n"
      "                       [--puntos[=PUNTOS]] [--salida SALIDA] [--soluciones]\n"
      "                       [--ampliado]\n"
      "\n"
      "Crea una hoja de ejercicios de representación e interpretación, con sus soluciones\n"
      "(cada respuesta con la traza que imprime la orden de una sola conversión), una página\n"
      "para imprimir (HTML), o un banco de preguntas para Moodle (GIFT) o en JSON Lines.\n"
      "\n"
      "Opciones:\n"
      "  -n N               cuántos ejercicios (de 1 a 100000; 10 si no se indica)\n"
      "  --semilla S        la semilla (de 0 a 18446744073709551615): la misma semilla con\n"
      "                     las mismas opciones da la misma hoja en cualquier sistema; sin\n"
      "                     ella se elige una, que la hoja indica para poder repetirla\n"
      "  --tipos LISTA      qué ejercicios, separados por comas: natural, c1, c2, exceso, sm,\n"
      "                     flotante (o sus nombres largos: binario-natural,\n"
      "                     complemento-a-uno, complemento-a-dos, exceso-z, signo-magnitud,\n"
      "                     coma-flotante), y representar o interpretar para quedarse con\n"
      "                     una de las dos operaciones; sin ella, todos mezclados\n"
      "  -b N, --bits N     el ancho de los enteros (de 2 a 64); sin ella, anchos de 4 a 16\n"
      "  -z Z, --exceso Z   el exceso de los ejercicios en exceso (y del exponente, si se\n"
      "                     fija el formato de coma flotante); sin ella, 2^(n-1) o 2^(n-1)-1\n"
      "  -f FORMATO, --formato FORMATO\n"
      "                     el formato de coma flotante: ieee32, ieee16, ieee64 o bfloat16;\n"
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
      "  --variantes N      de 1 a 26 versiones (A, B, C...) con la misma estructura: el\n"
      "                     ejercicio i de cada una es del mismo tipo, sistema, ancho y\n"
      "                     formato, con otro valor; las soluciones van tras todas ellas\n"
      "  --dificultad D     1: anchos pequeños, formatos IEEE y fracciones cortas; 2 (lo\n"
      "                     normal): la mezcla de siempre; 3: enteros anchos, formatos\n"
      "                     propios con la mantisa en complemento y fracciones largas\n"
      "  --inexactos        admite valores de coma flotante que el formato no representa\n"
      "                     exactamente (el enunciado pide truncar la mantisa); sin ella,\n"
      "                     todos son exactos: truncar y redondear dan la misma cadena\n"
      "  --titulo TEXTO     el título de la hoja (hasta 80 caracteres)\n"
      "  --puntos[=PUNTOS]  escribe los puntos de cada ejercicio: partes iguales de 10, de\n"
      "                     un total (--puntos=20) o una lista con los de cada ejercicio\n"
      "                     (--puntos=2,2,3,3; hasta dos decimales con '.')\n"
      "  --salida SALIDA    texto (lo normal), markdown, html (una página para imprimir),\n"
      "                     gift (Moodle) o json (JSON Lines); todas en UTF-8\n"
      "  --soluciones       añade las soluciones con su traza (texto, markdown y html; gift\n"
      "                     y json llevan siempre las respuestas)\n"
      "  --ampliado         añade a la traza de cada solución el informe ampliado, como\n"
      "                     la orden con --ampliado (en los enteros: rango, hexadecimal,\n"
      "                     método a mano y lecturas; en coma flotante: valor exacto,\n"
      "                     error y redondeo)\n"
      "  --cp850, --utf8    codificación de los mensajes; --cp850 escribe también la hoja de\n"
      "                     texto en la página de códigos 850 (como en una consola de Windows\n"
      "                     con esa página)\n"
      "  -h, --help         muestra esta ayuda y termina\n"
      "\n"
      "Ejemplos:\n"
      "  repbin ejercicios -n 5 --semilla 7 --tipos c2,exceso -b 8 --soluciones\n"
      "  repbin ejercicios --variantes 3 --puntos --soluciones --salida html > examen.html\n"
      "  repbin ejercicios -n 40 --tipos flotante -f ieee16 --salida gift > banco.gift\n"
      "  repbin ejercicios -n 100 --salida json > ejercicios.jsonl\n");
}

int UsageError(const std::string& message) {
  out::PrintErr("repbin ejercicios: ");
  out::PrintErrText(message.c_str());  // its words may carry accents
  out::PrintErr("\n");
  out::PrintErr("Pruebe «repbin ejercicios --help» para ver las opciones.\n");
  return 2;
}

// The kinds a --tipos list names: the systems it names (all when none) in the operations it
// names (both when none).
std::optional<std::vector<Kind>> ParseKinds(std::string_view list) {
  std::vector<ops::System> systems;
  bool represent = false, interpret = false;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    if (item == "representar") {
      represent = true;
    } else if (item == "interpretar") {
      interpret = true;
    } else if (const std::optional<ops::System> system = ops::FindSystem(item)) {
      systems.push_back(*system);
    } else {
      return std::nullopt;
    }
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  if (!represent && !interpret) represent = interpret = true;
  std::vector<Kind> kinds;
  for (const Kind& kind : exercises::AllKinds()) {
    const bool op = kind.operation == Operation::kRepresent ? represent : interpret;
    bool named = systems.empty();
    for (ops::System s : systems) named = named || s == kind.system;
    if (op && named) kinds.push_back(kind);
  }
  return kinds;
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

std::uint64_t ChooseSeed() {
  std::random_device device;
  const std::uint64_t high = device();
  const std::uint64_t low = device();
  const auto now =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return ((high << 32) | low) ^ now;
}

// Points in hundredths: "2", "2.5", "0.25", from 0 to 1000.
std::optional<int> ParseHundredths(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view cents = point == std::string_view::npos ? "" : text.substr(point + 1);
  if (whole.empty() || whole.size() > 4 || cents.size() > 2 ||
      (point != std::string_view::npos && cents.empty())) {
    return std::nullopt;
  }
  int value = 0;
  for (char c : whole) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  for (std::size_t i = 0; i < 2; ++i) {
    const char c = i < cents.size() ? cents[i] : '0';
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > 100000) return std::nullopt;
  return value;
}

// What --puntos asks for: a total to share (10 when alone) or each exercise's points.
struct PointsRequest {
  int total = 1000;
  std::vector<int> each;
};

std::optional<PointsRequest> ParsePoints(std::string_view text) {
  PointsRequest request;
  std::vector<int> items;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::optional<int> v = ParseHundredths(text.substr(0, comma));
    if (!v) return std::nullopt;
    items.push_back(*v);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (items.size() == 1) {
    request.total = items[0];
  } else {
    request.each = std::move(items);
  }
  return request;
}

// `total` hundredths shared among `count` exercises, the odd hundredths to the first ones.
std::vector<int> Shares(int total, int count) {
  std::vector<int> shares(static_cast<std::size_t>(count), total / count);
  for (int i = 0; i < total % count; ++i) ++shares[static_cast<std::size_t>(i)];
  return shares;
}

// A title fit for one line of every form: 1 to 80 characters, no control character.
bool TitleAccepted(const std::string& title) {
  std::size_t characters = 0;
  for (char c : title) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }
  return characters >= 1 && characters <= 80;
}

}  // namespace

int RunExercises(const std::vector<std::string>& args) {
  exercises::SheetOptions options;
  ops::LayoutOptions layout;
  std::optional<int> float_bits;  // --bits-flotante
  std::optional<std::uint64_t> seed;
  exercises::Form form = exercises::Form::kText;
  bool soluciones = false;
  std::optional<PointsRequest> points;
  std::string titulo;
  std::optional<out::Encoding> encoding;

  // The encoding options first, so that the help and every message honour them wherever they
  // stand on the line.
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
      PrintHelp();
      return 0;
    }
    if (name == "--puntos") {
      points = PointsRequest{};
      if (attached) {
        points = ParsePoints(*attached);
        if (!points) {
          return UsageError(
              "--puntos espera un total o una lista de puntos separados por comas (números de 0 "
              "a 1000 con hasta dos decimales), no «" +
              *attached + "»");
        }
      }
      continue;
    }
    if (name == "--soluciones" || name == "--ampliado" || name == "--cp850" || name == "--utf8" ||
        name == "--inexactos") {
      if (attached) return UsageError("la opción " + name + " no lleva valor");
      if (name == "--soluciones") soluciones = true;
      if (name == "--ampliado") options.report.ampliado = true;
      if (name == "--inexactos") options.inexactos = true;
      if (name == "--cp850") encoding = out::Encoding::kCp850;
      if (name == "--utf8") encoding = out::Encoding::kUtf8;
      continue;
    }
    const bool known = name == "-n" || name == "--semilla" || name == "--tipos" || name == "-b" ||
                       name == "--bits" || name == "-z" || name == "--exceso" || name == "-f" ||
                       name == "--formato" || name == "--bits-flotante" || name == "--exp" ||
                       name == "--pos-exp" || name == "--pos-man" || name == "--pos-signo" ||
                       name == "--sis-exp" || name == "--sis-man" || name == "--norma" ||
                       name == "--salida" || name == "--variantes" || name == "--dificultad" ||
                       name == "--titulo";
    if (!known) return UsageError("opción desconocida: " + name);
    if (!attached && i + 1 == args.size()) return UsageError("falta el valor de " + name);
    const std::string value = attached ? *attached : args[++i];

    // Each option with what it accepts, said when the value is refused.
    const auto number = [&](std::int64_t lo, std::int64_t hi) -> std::optional<int> {
      const std::optional<std::int64_t> v = in::ParseWhole<std::int64_t>(value);
      if (!v || *v < lo || *v > hi) return std::nullopt;
      return static_cast<int>(*v);
    };
    const auto refused = [&](const std::string& accepted) {
      return UsageError(name + " espera " + accepted + ", no «" + value + "»");
    };
    if (name == "-n") {
      const std::optional<int> n = number(1, kMaxCount);
      if (!n) return refused("un número de ejercicios entre 1 y 100000");
      options.count = *n;
    } else if (name == "--semilla") {
      seed = in::ParseWhole<std::uint64_t>(value);
      if (!seed) return refused("un número entero entre 0 y 18446744073709551615");
    } else if (name == "--tipos") {
      std::optional<std::vector<Kind>> kinds = ParseKinds(value);
      if (!kinds) {
        return refused(
            "una lista separada por comas de natural, c1, c2, exceso, sm, flotante, representar e "
            "interpretar");
      }
      options.kinds = std::move(*kinds);
    } else if (name == "-b" || name == "--bits") {
      options.bits = number(2, 64);
      if (!options.bits) return refused("un número de bits entre 2 y 64");
    } else if (name == "-z" || name == "--exceso") {
      options.exceso = number(-2147483647, 2147483647);
      if (!options.exceso) return refused("un número entero entre -2147483647 y 2147483647");
    } else if (name == "--variantes") {
      const std::optional<int> n = number(1, 26);
      if (!n) return refused("un número de variantes entre 1 y 26");
      options.variantes = *n;
    } else if (name == "--dificultad") {
      const std::optional<int> n = number(1, 3);
      if (!n) return refused("1, 2 o 3");
      options.dificultad = *n;
    } else if (name == "--titulo") {
      if (!TitleAccepted(value)) return refused("un texto de una línea de 1 a 80 caracteres");
      titulo = value;
    } else if (name == "--bits-flotante") {
      float_bits = number(3, 64);
      if (!float_bits) return refused("un número de bits entre 3 y 64");
    } else if (ops::IsLayoutOption(name)) {
      if (const std::optional<std::string> accepted = ops::ApplyLayoutOption(layout, name, value)) {
        return refused(*accepted);
      }
      // The generator's excess exponents are drawn in 32-bit arithmetic.
      if (name == "--exp" && *layout.exp > 30) return refused("un número de bits entre 1 y 30");
    } else if (name == "--salida") {
      if (value == "texto") {
        form = exercises::Form::kText;
      } else if (value == "markdown") {
        form = exercises::Form::kMarkdown;
      } else if (value == "html") {
        form = exercises::Form::kHtml;
      } else if (value == "gift") {
        form = exercises::Form::kGift;
      } else if (value == "json") {
        form = exercises::Form::kJson;
      } else {
        return refused("texto, markdown, html, gift o json");
      }
    }
  }
  if (points && !points->each.empty() && static_cast<int>(points->each.size()) != options.count) {
    return UsageError("--puntos lleva " + std::to_string(points->each.size()) + " puntos para " +
                      std::to_string(options.count) +
                      " ejercicios; dé uno por ejercicio, o un total");
  }

  // The width and the excess apply wherever they stand; -f replaces the layout options before it.
  layout.bits = float_bits;
  layout.exceso = options.exceso;
  if (layout.AnyLayout() || layout.bits) {
    // The layout given (ieee32 when only widths are), the IEEE shape for what is not given.
    const std::string preset_name = layout.preset.value_or("ieee32");
    const FloatFormat f = ops::BuildLayout(layout);
    if (f.exp > f.bits - 2) {
      return UsageError("con " + std::to_string(f.bits) +
                        " bits, el exponente debe tener entre 1 y " + std::to_string(f.bits - 2) +
                        " bits");
    }
    // The layout passes the layout rules, which say on standard error what is possible.
    if (!ops::CheckFloatFormat(f)) {
      out::PrintErr("\n");
      return UsageError("el formato de coma flotante no es válido");
    }
    options.formato = f;
    if (f == *FindPreset(preset_name)) options.preset = preset_name;  // named as the preset
  }

  exercises::SheetHeader header;
  header.command = "repbin ejercicios";
  for (const std::string& a : args) header.command += " " + ShellWord(a);
  if (!seed) {
    seed = ChooseSeed();
    header.command += " --semilla " + std::to_string(*seed);
  }
  header.seed = options.seed = *seed;
  header.titulo = titulo;
  header.variantes = options.variantes;
  if (points) {
    if (!points->each.empty()) {
      header.puntos = points->each;
    } else {
      // Shared among the exercises the options allow, which a quick draw without traces counts.
      exercises::SheetOptions counting = options;
      counting.trazas = false;
      counting.variantes = 1;
      const int count = exercises::GenerateEach(counting, [](const exercises::Exercise&) {});
      header.puntos = Shares(points->total, count);
    }
  }

  // The text sheet is UTF-8, unless asked for in code page 850 or going to a Windows console
  // that shows that page; the files for other programs are always UTF-8.
  const bool cp850 = form == exercises::Form::kText &&
                     encoding.value_or(out::IsCp850Console(out::BoundOut().file)
                                           ? out::Encoding::kCp850
                                           : out::Encoding::kUtf8) == out::Encoding::kCp850;
  // The sheet goes out in pieces as it is drawn, so a long one needs little memory.
  std::string pending;
  std::string converted;
  const auto write = [&](bool all) {
    if (!all && pending.size() < kWriteChunk) return;
    if (cp850) {
      converted.assign(pending.size() + 1, '\0');
      out::Encode(pending.c_str(), out::Encoding::kCp850, converted.data(), converted.size());
      out::Write(converted.c_str(), std::char_traits<char>::length(converted.c_str()));
    } else {
      out::Write(pending.data(), pending.size());
    }
    pending.clear();
  };
  exercises::SheetWriter writer(form, header, soluciones, pending);
  // Statements first (the traces only where the form carries them), then, for the answer key,
  // the same exercises drawn again from the same seed.
  options.trazas = writer.TracesFirst();
  const int drawn = exercises::GenerateEach(options, [&](const exercises::Exercise& e) {
    writer.Add(e);
    write(false);
  });
  if (drawn < options.count) {
    out::PrintErr(
        "repbin ejercicios: con estas opciones solo hay %i ejercicios distintos; la hoja lleva "
        "esos.\n",
        drawn);
  }
  if (writer.WantsKeys()) {
    options.trazas = true;
    exercises::GenerateEach(options, [&](const exercises::Exercise& e) {
      writer.AddKey(e);
      write(false);
    });
  }
  writer.Finish();
  write(true);
  out::Flush();
  return 0;
}

}  // namespace repbin
