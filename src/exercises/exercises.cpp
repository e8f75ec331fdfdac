// `repbin ejercicios`: reads the options, draws and solves the exercises, writes the sheet.

#include "exercises/exercises.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exercises/draw_options.h"
#include "exercises/exercise_sheet.h"
#include "exercises/text_check.h"
#include "operations/option_table.h"
#include "output/input.h"
#include "output/output.h"
#include "output/platform.h"

namespace repbin {
namespace {

constexpr std::size_t kWriteChunk = 1 << 16;  // bytes of sheet gathered before each write

void PrintHelp(const exercises::AddOwnOptions& own) {
  out::Print(
      "Uso: repbin ejercicios [-n N] [--semilla S] [--tipos LISTA] [-b N] [-z Z]\n"
      "                       [-f FORMATO] [opciones de formato] [--variantes N]\n"
      "                       [--dificultad 1|2|3] [--inexactos] [--titulo TEXTO]\n"
      "                       [--puntos[=PUNTOS]] [--salida SALIDA] [--soluciones]\n"
      "                       [--ampliado] [--clave FICHERO] [--espacio N]\n"
      "\n"
      "Crea una hoja de ejercicios de representación e interpretación, con sus soluciones\n"
      "(cada respuesta con la traza que imprime la orden de una sola conversión), una página\n"
      "para imprimir (HTML), o un banco de preguntas para Moodle (GIFT o XML de Moodle) o en\n"
      "JSON Lines.\n"
      "\n"
      "Opciones:\n");
  out::PrintText(exercises::DrawOptionsHelp(own).c_str());
  out::Print(
      "\n"
      "Ejemplos:\n"
      "  repbin ejercicios -n 5 --semilla 7 --tipos c2,exceso -b 8 --soluciones\n"
      "  repbin ejercicios --variantes 3 --puntos --soluciones --salida html > examen.html\n"
      "  repbin ejercicios -n 40 --tipos flotante -f ieee16 --salida gift > banco.gift\n"
      "  repbin ejercicios -n 40 --variantes 2 --salida moodle > banco.xml\n"
      "  repbin ejercicios -n 100 --salida json > ejercicios.jsonl\n");
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

// A title fit for one line of every form: 1 to 80 characters of UTF-8, none that breaks a line
// (a page declared UTF-8 and GIFT's comments would carry it as it is).
bool TitleAccepted(const std::string& title) {
  const std::optional<std::size_t> characters = exercises::PlainLineLength(title);
  return characters && *characters >= 1 && *characters <= 80;
}

// The arguments of the command that writes the sheet's key: `args` without --clave, with
// --soluciones, and with the seed.
std::vector<std::string> KeyArguments(const std::vector<std::string>& args, std::uint64_t seed) {
  std::vector<std::string> kept;
  bool soluciones = false;
  bool seeded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--clave") {
      ++i;
      continue;
    }
    if (args[i].rfind("--clave=", 0) == 0) continue;
    soluciones = soluciones || args[i] == "--soluciones";
    seeded = seeded || args[i] == "--semilla" || args[i].rfind("--semilla=", 0) == 0;
    kept.push_back(args[i]);
  }
  if (!soluciones) kept.push_back("--soluciones");
  if (!seeded) kept.insert(kept.end(), {"--semilla", std::to_string(seed)});
  return kept;
}

// "Semilla S; para crear de nuevo esta hoja: repbin ejercicios ... --soluciones": the line that
// makes the sheet of `args` again with its key.
std::string KeyLine(exercises::SheetHeader header, const std::vector<std::string>& args,
                    std::uint64_t seed) {
  header.command = ops::CommandText("ejercicios", KeyArguments(args, seed));
  return exercises::Recreate(header);
}

}  // namespace

int RunExercises(const std::vector<std::string>& given, bool leading_ampliado,
                 std::optional<out::Encoding> leading_encoding) {
  // The sheet's command line as it records it: the options given before the command first.
  std::vector<std::string> recorded;
  if (leading_ampliado) recorded.emplace_back("--ampliado");
  if (leading_encoding) {
    recorded.emplace_back(*leading_encoding == out::Encoding::kUtf8 ? "--utf8" : "--cp850");
  }
  recorded.insert(recorded.end(), given.begin(), given.end());
  exercises::Form form = exercises::Form::kText;
  bool soluciones = false;
  bool ampliado = leading_ampliado;
  int variantes = 1;
  std::optional<PointsRequest> points;
  std::string titulo;
  std::optional<std::string> clave;
  int espacio = 0;
  const exercises::AddOwnOptions own = [&](ops::OptionTable& table) {
    const auto text = [](std::string& dest, std::string what,
                         bool (*accepted)(const std::string&)) {
      return [&dest, what, accepted](std::string_view value) -> std::optional<std::string> {
        if (!accepted(std::string(value))) return what;
        dest = std::string(value);
        return std::nullopt;
      };
    };
    table.Flag({"--soluciones"}, [&] { soluciones = true; })
        .Flag({"--ampliado"}, [&] { ampliado = true; })
        .OptionallyValued(
            {"--puntos"},
            [&](const std::optional<std::string_view>& value) -> std::optional<std::string> {
              points = value ? ParsePoints(*value) : PointsRequest{};
              if (!points) {
                return "un total o una lista de puntos separados por comas "
                       "(números de 0 a 1000 con hasta dos decimales)";
              }
              return std::nullopt;
            })
        .Whole({"--variantes"}, "un número de variantes", {1, 26},
               [&](std::int64_t n) { variantes = static_cast<int>(n); })
        .Whole({"--espacio"}, "un número de líneas", {0, 40},
               [&](std::int64_t n) { espacio = static_cast<int>(n); })
        .Valued({"--clave"},
                [&](std::string_view value) -> std::optional<std::string> {
                  if (value.empty()) return "el nombre de un fichero";
                  clave = std::string(value);
                  return std::nullopt;
                })
        .Valued({"--titulo"}, text(titulo,
                                   "un texto de una línea de 1 a 80 caracteres en UTF-8, sin "
                                   "caracteres de control",
                                   TitleAccepted))
        .Valued({"--salida"}, [&](std::string_view value) -> std::optional<std::string> {
          if (value == "texto") {
            form = exercises::Form::kText;
          } else if (value == "markdown") {
            form = exercises::Form::kMarkdown;
          } else if (value == "html") {
            form = exercises::Form::kHtml;
          } else if (value == "gift") {
            form = exercises::Form::kGift;
          } else if (value == "moodle") {
            form = exercises::Form::kMoodle;
          } else if (value == "json") {
            form = exercises::Form::kJson;
          } else {
            return "texto, markdown, html, gift, moodle o json";
          }
          return std::nullopt;
        });
    table
        .Describe("--variantes", "N",
                  "{rango} versiones (A, B, C...) con la misma estructura: el\n"
                  "ejercicio i de cada una es del mismo tipo, sistema, ancho y\n"
                  "formato, con otro valor; las soluciones van tras todas ellas")
        .Describe("--titulo", "TEXTO", "el título de la hoja (hasta 80 caracteres)")
        .DescribeAs("--puntos", "--puntos[=PUNTOS]",
                    "escribe los puntos de cada ejercicio: partes iguales de 10, de\n"
                    "un total (--puntos=20) o una lista con los de cada ejercicio\n"
                    "(--puntos=2,2,3,3; hasta dos decimales con '.')")
        .Describe("--salida", "SALIDA",
                  "texto (lo normal), markdown, html (una página para imprimir),\n"
                  "gift (Moodle), moodle (XML de Moodle: la coma flotante con un\n"
                  "hueco por campo, cada uno puntuado aparte) o json (JSON\n"
                  "Lines); todas en UTF-8")
        .Describe("--soluciones", "",
                  "añade, tras las hojas del alumno, una tabla de respuestas por\n"
                  "variante (ejercicio, respuesta, puntos) y las soluciones con su\n"
                  "traza (texto, markdown y html; gift, moodle y json llevan\n"
                  "siempre las respuestas)")
        .Describe("--espacio", "N",
                  "N líneas en blanco para trabajar bajo cada ejercicio (de 0 a\n"
                  "40; 0 si no se indica)")
        .Describe("--clave", "FICHERO",
                  "añade a FICHERO una línea con la semilla y la orden que crea de\n"
                  "nuevo la hoja con sus soluciones; las hojas del alumno no dicen\n"
                  "la semilla (solo la dicen las soluciones)")
        .Describe("--ampliado", "",
                  "añade a la traza de cada solución el informe ampliado, como\n"
                  "la orden con --ampliado (en los enteros: rango, hexadecimal,\n"
                  "método a mano y lecturas; en coma flotante: valor exacto,\n"
                  "error, redondeo y método a mano)")
        .DescribeAs("--cp850", "--cp850, --utf8",
                    "codificación de los mensajes; --cp850 escribe también la hoja de\n"
                    "texto en la página de códigos 850 (como en una consola de Windows\n"
                    "con esa página)")
        .Describe("-h", "", "muestra esta ayuda y termina");
  };
  exercises::DrawCommandLine line;
  if (const std::optional<std::string> refusal = exercises::ReadDrawCommandLine(given, own, line)) {
    return exercises::UsageError("ejercicios", *refusal, &line);
  }
  if (line.help) {
    PrintHelp(own);
    return 0;
  }
  exercises::SheetOptions& options = line.options;
  options.variantes = variantes;
  options.report.ampliado = ampliado;
  const std::optional<out::Encoding> encoding = line.encoding ? line.encoding : leading_encoding;
  std::optional<std::uint64_t>& seed = line.seed;
  if (points && !points->each.empty() && static_cast<int>(points->each.size()) != options.count) {
    return exercises::UsageError("ejercicios", "--puntos lleva " +
                                                   std::to_string(points->each.size()) +
                                                   " puntos para " + std::to_string(options.count) +
                                                   " ejercicios; dé uno por ejercicio, o un total");
  }

  exercises::SheetHeader header;
  header.command = ops::CommandText("ejercicios", recorded);
  const bool seed_chosen = !seed;
  if (!seed) {
    seed = exercises::ChooseSeed();
    header.command += " --semilla " + std::to_string(*seed);
  }
  header.seed = options.seed = *seed;
  header.titulo = titulo;
  header.espacio = espacio;
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

  if (clave) {
    // The line that makes the key: the same command with the solutions, without --clave.
    const std::string line = KeyLine(header, recorded, *seed) + "\n";
    out::AppendFile file;
    if (!file.Open(clave->c_str()) || !file.Append(line.data(), line.size(), true) ||
        !file.Close()) {
      out::PrintErr("repbin ejercicios: no se puede escribir la clave en \"%s\"\n", clave->c_str());
      return 2;
    }
  }

  // A students' sheet (no key in it, no --clave) whose seed the program chose would leave the
  // teacher no way to make its key again: the seed line goes to standard error, which the copy
  // for the students (standard output) never holds.
  const bool keys_in_sheet = soluciones || form == exercises::Form::kGift ||
                             form == exercises::Form::kJson || form == exercises::Form::kMoodle;
  if (seed_chosen && !clave && !keys_in_sheet) {
    out::PrintErrText(("repbin ejercicios: " + KeyLine(header, recorded, *seed) + "\n").c_str());
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
    // The answer tables first, from a draw without traces, then the key with them.
    exercises::GenerateEach(options, [&](const exercises::Exercise& e) {
      writer.AddAnswer(e);
      write(false);
    });
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
